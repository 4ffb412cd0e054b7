// The repository archive: records written to a real file and read back, the
// downgrade file, and the repository manager's close on destruction.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "objectmodel/Networker.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpBuilder.h"

namespace {
std::string Temp(const std::string& name) { return ::testing::TempDir() + "archive_test_" + name; }
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
    file.Close();
  }
  const std::vector<ARpArchive::Record> back = ARpArchive::ReadFile(path);
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].m_id, table.Id());
  EXPECT_EQ(back[0].m_parent, db.Id());
  EXPECT_EQ(back[0].m_name, U"Orders \u00e9");
  EXPECT_EQ(back[1].m_id, db.Id());
  EXPECT_TRUE(back[1].m_parent.IsNull());
  std::remove(path.c_str());
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
    file.Close();
    downgrade.Close();
  }
  const auto back = ARpArchive::ReadFile(old);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].m_id, db.Id());
  EXPECT_EQ(back[0].m_name, U"DB");
  EXPECT_TRUE(back[0].m_parent.IsNull());  // the older format has no parents
  EXPECT_TRUE(ARpArchive::ReadFile(path).empty());
  std::remove(path.c_str());
  std::remove(old.c_str());
}

TEST(ARpArchive, ForeignOrDamagedFilesAreRefused) {
  ARpGateway rp;
  const Ref<ARpObject> db = rp.CreateObject(kTIDADatabase, U"DB");
  const std::string path = Temp("damaged.rpa");
  {
    DiskFile file(path);
    ARpArchive archive(file);
    archive.WriteObject(*db);
    file.Close();
  }
  ByteVector bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ByteVector truncated(bytes.begin(), bytes.end() - 2);
  EXPECT_THROW(ARpArchive::ReadBytes(truncated), ArchiveError);
  ByteVector foreign = bytes;
  foreign[0] = 'X';
  EXPECT_THROW(ARpArchive::ReadBytes(foreign), ArchiveError);
  ByteVector future = bytes;
  future[7] = 9;
  EXPECT_THROW(ARpArchive::ReadBytes(future), ArchiveError);
  EXPECT_THROW(ARpArchive::ReadFile(Temp("missing.rpa")), ArchiveError);
  EXPECT_THROW(DiskFile("/nonexistent/dir/x.rpa"), ArchiveError);
  std::remove(path.c_str());
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
