// The repository archive: records written to a real file and read back, the
// downgrade file, and the repository manager's close on destruction.
#include <gtest/gtest.h>

#include "Utility/Crc32.h"
#include "common/Caught.h"
#include "common/ScratchDir.h"
#include "objectmodel/Networker.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpBuilder.h"

namespace {
// A folder of the test binary's own, removed when it ends.
const testutil::ScratchDir kScratch;
std::string Temp(const std::string& name) { return kScratch.Path(name); }
}  // namespace

TEST(ARpArchive, RecordsComeBackFromTheFileInWriteOrder) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto db = b.Add(kTIDADatabase, U"Sales DW");
  const auto table = db.Child(kTIDATable, U"Orders \u00e9");
  const std::string path = Temp("records.rpa");
  {
    DiskFile file(path);
    ARpArchive archive(file);
    EXPECT_TRUE(archive.WriteObject(*table.Obj()));
    EXPECT_TRUE(archive.WriteObject(*db.Obj()));
    EXPECT_EQ(archive.GetRecordCount(), 2u);
    archive.Finish();
    file.Close();
  }
  const std::vector<ARpArchive::Record> back = ARpArchive::ReadFile(path);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].m_id, table.Id());
  EXPECT_EQ(back[0].m_parent, db.Id());
  EXPECT_EQ(back[0].m_name, U"Orders \u00e9");
  EXPECT_EQ(back[1].m_id, db.Id());
  EXPECT_TRUE(back[1].m_parent.IsNull());
}

TEST(ARpArchive, DowngradeFileTakesOnlyTheTypesItCanHold) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto db = b.Add(kTIDADatabase, U"DB");
  const auto pool = db.Child(kTIDAConnectionPool, U"Pool");
  const std::string path = Temp("main.rpa"), old = Temp("old.rpa");
  {
    DiskFile file(path), downgrade(old);
    ARpArchive archive(file);
    archive.m_typesNotDowngraded.insert(kTIDAConnectionPool);
    const long header = file.GetPosition();
    EXPECT_TRUE(archive.WriteObject(*pool.Obj(), &downgrade));
    EXPECT_EQ(downgrade.GetPosition(), 0);  // nothing written
    EXPECT_TRUE(archive.WriteObject(*db.Obj(), &downgrade));
    EXPECT_GT(downgrade.GetPosition(), 0);
    EXPECT_EQ(file.GetPosition(), header);  // the archive itself took nothing
    archive.Finish();
    file.Close();
    downgrade.Close();
  }
  const auto back = ARpArchive::ReadFile(old);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].m_id, db.Id());
  EXPECT_EQ(back[0].m_name, U"DB");
  EXPECT_TRUE(back[0].m_parent.IsNull());  // the older format has no parents
  EXPECT_TRUE(ARpArchive::ReadFile(path).empty());
}

namespace {
// Archive bytes written by hand: header, records, trailer.
ByteVector Bytes(std::initializer_list<std::vector<std::uint8_t>> parts) {
  ByteVector out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
// An archive written into memory.
struct MemoryFile : AFile {
  ByteVector bytes;
  long GetPosition() const override { return static_cast<long>(bytes.size()); }
  void Write(const uint8* data, std::size_t size) override { bytes.insert(bytes.end(), data, data + size); }
};
const std::vector<std::uint8_t> kMagic = {'S', 'M', 'R', 'P', 'A', 'R', 'C'};
// DW (3023:1) at the top, Orders (3001:7) in it.
const std::vector<std::uint8_t> kRecordDW = {0x00, 0x00, 0x0B, 0xCF, 0, 0, 0, 1, 0, 0,   0,
                                             0,    0,    0,    0,    0, 0, 0, 0, 2, 'D', 'W'};
const std::vector<std::uint8_t> kRecordOrders = {0x00, 0x00, 0x0B, 0xB9, 0, 0, 0, 7,   0x00, 0x00, 0x0B, 0xCF, 0,
                                                 0,    0,    1,    0,    0, 0, 6, 'O', 'r',  'd',  'e',  'r',  's'};
// The two records in the checked format, with their count and the CRC-32 of
// everything before it, worked out apart from this code.
ByteVector Checked() { return Bytes({kMagic, {3}, kRecordDW, kRecordOrders, {0, 0, 0, 2}, {0xD5, 0x3A, 0x15, 0xB2}}); }
}  // namespace

TEST(ARpArchive, ReadsTheCheckedFormatAndTheOlderOnes) {
  const ByteVector checked = Checked();
  const ByteVector unchecked = Bytes({kMagic, {2}, kRecordDW, kRecordOrders});
  for (const ByteVector& bytes : {checked, unchecked}) {
    const std::vector<ARpArchive::Record> back = ARpArchive::ReadBytes(bytes);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].m_id, VoidID(kTIDADatabase, 1));
    EXPECT_TRUE(back[0].m_parent.IsNull());
    EXPECT_EQ(back[0].m_name, U"DW");
    EXPECT_EQ(back[1].m_id, VoidID(kTIDATable, 7));
    EXPECT_EQ(back[1].m_parent, VoidID(kTIDADatabase, 1));
    EXPECT_EQ(back[1].m_name, U"Orders");
  }
  // The writer writes exactly those bytes.
  ARpGateway rp;
  RpBuilder b(rp);
  const auto dw = b.Add(kTIDADatabase, U"DW", VoidID::NullID, VoidID(kTIDADatabase, 1));
  const auto orders = dw.Child(kTIDATable, U"Orders", VoidID(kTIDATable, 7));
  MemoryFile memory;
  ARpArchive archive(memory);
  archive.WriteObject(*dw.Obj());
  archive.WriteObject(*orders.Obj());
  archive.Finish();
  EXPECT_EQ(memory.bytes, checked);
  EXPECT_THROW(archive.WriteObject(*dw.Obj()), ArchiveError);

  // A count that disagrees with the records, under a matching checksum.
  ByteVector miscounted = Bytes({kMagic, {3}, kRecordDW, kRecordOrders, {0, 0, 0, 3}});
  const std::uint32_t crc = Crc32::Update(0, miscounted.data(), miscounted.size());
  for (int shift = 24; shift >= 0; shift -= 8) miscounted.push_back(static_cast<uint8>(crc >> shift));
  EXPECT_THROW(ARpArchive::ReadBytes(miscounted), ArchiveError);
}

TEST(ARpArchive, ForeignOrDamagedFilesAreRefused) {
  ByteVector foreign = Checked();
  foreign[0] = 'X';
  EXPECT_THROW(ARpArchive::ReadBytes(foreign), ArchiveError);
  ByteVector future = Checked();
  future[7] = 9;
  EXPECT_THROW(ARpArchive::ReadBytes(future), ArchiveError);
  EXPECT_THROW(ARpArchive::ReadFile(Temp("missing.rpa")), ArchiveError);
  EXPECT_THROW(DiskFile("/nonexistent/dir/x.rpa"), ArchiveError);
  // A write after the file was closed names the file first.
  const std::string path = Temp("closed.rpa");
  DiskFile closed(path);
  closed.Close();
  const uint8 byte = 0;
  const auto late = testutil::Caught<ArchiveError>([&] { closed.Write(&byte, 1); });
  ASSERT_TRUE(late);
  EXPECT_EQ(late->GetSource(), path);
  EXPECT_EQ(std::string(late->what()), path + ": write after close");
}

TEST(Crc32, TheCheckValueOfTheStandard) {
  EXPECT_EQ(Crc32::Update(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(Crc32::Update(Crc32::Update(0, "1234", 4), "56789", 5), 0xCBF43926u);
  EXPECT_EQ(Crc32::Update(0, "", 0), 0u);
}

TEST(ARpArchive, EveryBitFlipAndEveryTruncationIsRefused) {
  ARpGateway rp;
  RpBuilder b(rp);
  const auto db = b.Add(kTIDADatabase, U"Sales DW");
  const auto table = db.Child(kTIDATable, U"Orders");
  const auto column = table.Child(kTIDAColumn, U"Amount \u00e9");
  MemoryFile memory;
  ARpArchive archive(memory);
  for (const auto& o : {db, table, column}) archive.WriteObject(*o.Obj());
  archive.Finish();
  const ByteVector good = memory.bytes;
  ASSERT_EQ(ARpArchive::ReadBytes(good).size(), 3u);
  std::size_t readBack = 0;
  for (std::size_t i = 0; i < good.size(); ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      ByteVector flipped = good;
      flipped[i] = static_cast<uint8>(flipped[i] ^ (1u << bit));
      try {
        ARpArchive::ReadBytes(flipped);
        ++readBack;
      } catch (const ArchiveError&) {
      }
    }
  }
  EXPECT_EQ(readBack, 0u);
  // Every cut but the empty file (which holds no records, as a downgrade file may).
  for (std::size_t n = 1; n < good.size(); ++n) {
    EXPECT_THROW(ARpArchive::ReadBytes(ByteVector(good.begin(), good.begin() + static_cast<long>(n))), ArchiveError)
        << n;
  }
}

TEST(RpMgr, AnnouncedRepositoryIsClosedWhenDestroyed) {
  struct Sink : RpMgr::Notifications {
    int m_inserted = 0, m_closed = 0;
    void newRPCreated(ARpGateway&, RpMgr::InsertRpOptions) override { ++m_inserted; }
    void rpClosed(ARpGateway&) override { ++m_closed; }
  } sink;
  RpMgr::startNotify(&sink, RpMgr::kProcessDimensionCache);
  { ARpGateway never; }
  {
    ARpGateway rp;
    RpMgr::InsertRp(rp, RpMgr::kRPNone);
    EXPECT_TRUE(RpMgr::IsOpen(rp));
  }
  {
    ARpGateway rp;
    RpMgr::InsertRp(rp, RpMgr::kRPNone);
    RpMgr::CloseRp(rp);  // closed once, not again on destruction
    EXPECT_FALSE(RpMgr::IsOpen(rp));
  }
  RpMgr::stopNotify(&sink);
  EXPECT_EQ(sink.m_inserted, 2);
  EXPECT_EQ(sink.m_closed, 2);
}
