// smutil rekey, sanitize and archive on copies of the sample repository.
#include <gtest/gtest.h>

#include <filesystem>

#include "CmdToolRun.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpFile.h"

namespace {
using cmdtest::ReadFile;
using cmdtest::RunTool;
using cmdtest::RunToolWithInput;
using cmdtest::ToolRun;

const std::string kSample = std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml";
// The pass phrase the README gives for the sample's sealed passwords.
const std::string kSamplePassPhrase = "sample-pass-phrase";

std::string CopyOfSample(const testutil::ScratchDir& dir) {
  std::filesystem::copy_file(kSample, dir.Path("copy.rpd.xml"));
  return dir.Path("copy.rpd.xml");
}

// The plain texts of every sealed connection-pool password, opened with passPhrase
// ("<does not open>" for one that does not).
std::vector<std::string> PoolPasswords(const std::string& file, const VXString& passPhrase) {
  std::unique_ptr<ARpGateway> rp = RpFile::Load(file);
  VoidIDVector ids;
  rp->GetObjectIDsOfType(kTIDAConnectionPool, ids);
  std::vector<std::string> out;
  for (const VoidID& id : ids) {
    const ByteVector sealed = Ref<AConnectionPool>(rp->GetObject(id))->GetEncryptedPassword();
    if (sealed.empty()) continue;
    ByteVector plain;
    const bool ok =
        MetadataUtil::DecryptAESPassword(passPhrase, ToVXString(std::string(sealed.begin(), sealed.end())), plain);
    out.push_back(ok ? std::string(plain.begin(), plain.end()) : "<does not open>");
  }
  return out;
}
}  // namespace

TEST(CmdRekey, ReKeysFromStandardInputAndTheEnvironment) {
  const testutil::ScratchDir dir;
  const std::string file = CopyOfSample(dir);
  const std::vector<std::string> before = PoolPasswords(file, ToVXString(kSamplePassPhrase));
  ASSERT_GE(before.size(), 2u);
  for (const std::string& p : before) EXPECT_NE(p, "<does not open>");

  ToolRun r = RunToolWithInput({"rekey", file}, kSamplePassPhrase + "\nfresh phrase\n",
                               {"SMUTIL_OLD_PASSPHRASE", "SMUTIL_NEW_PASSPHRASE"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("sealed passwords re-keyed"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find(kSamplePassPhrase), std::string::npos);
  EXPECT_EQ(PoolPasswords(file, U"fresh phrase"), before);

  const std::string out = dir.Path("out.xml");
  r = RunTool({"rekey", file, "--out", out},
              {"SMUTIL_OLD_PASSPHRASE=fresh phrase", "SMUTIL_NEW_PASSPHRASE=" + kSamplePassPhrase});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(PoolPasswords(out, ToVXString(kSamplePassPhrase)), before);
  EXPECT_EQ(PoolPasswords(file, U"fresh phrase"), before);  // --out leaves FILE alone
}

TEST(CmdRekey, WrongOldPassPhraseWritesNothing) {
  const testutil::ScratchDir dir;
  const std::string file = CopyOfSample(dir);
  const std::string original = ReadFile(file);
  ToolRun r = RunTool({"rekey", file}, {"SMUTIL_OLD_PASSPHRASE=not it", "SMUTIL_NEW_PASSPHRASE=x"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("old pass phrase does not open"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("not it"), std::string::npos);  // never echoed
  EXPECT_EQ(ReadFile(file), original);
  // No pass phrases at all (standard input is empty), and pass phrases on the
  // command line are not an option.
  r = RunTool({"rekey", file}, {"SMUTIL_OLD_PASSPHRASE", "SMUTIL_NEW_PASSPHRASE"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no old pass phrase"), std::string::npos) << r.err;
  EXPECT_EQ(RunTool({"rekey", file, "--old", "a", "--new", "b"}).exitCode, 2);
  EXPECT_EQ(ReadFile(file), original);
}

TEST(CmdSanitize, WritesACopyWithoutConnectionDetails) {
  const testutil::ScratchDir dir;
  const std::string in = CopyOfSample(dir);
  const std::string out = dir.Path("out.xml");
  const std::string original = ReadFile(in);
  ToolRun r = RunTool({"sanitize", in, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("6 connection pools and 1 LDAP server, written to"), std::string::npos) << r.out;
  EXPECT_EQ(ReadFile(in), original);
  std::unique_ptr<ARpGateway> rp = RpFile::Load(out);
  VoidIDVector ids;
  rp->GetObjectIDsOfType(kTIDAConnectionPool, ids);
  ASSERT_FALSE(ids.empty());
  for (const VoidID& id : ids) {
    Ref<AConnectionPool> pool(rp->GetObject(id));
    EXPECT_EQ(pool->GetDataSourceName(), U"<Replace Me>");
    EXPECT_TRUE(pool->GetEncryptedPassword().empty());
  }
}

TEST(CmdArchive, WritesEveryObject) {
  const testutil::ScratchDir dir;
  const std::string out = dir.Path("sample.rpa");
  ToolRun r = RunTool({"archive", kSample, out});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::unique_ptr<ARpGateway> rp = RpFile::Load(kSample);
  const std::vector<ARpArchive::Record> records = ARpArchive::ReadFile(out);
  EXPECT_EQ(records.size(), rp->GetObjectCount());
  EXPECT_EQ(r.out,
            kSample + ": " + std::to_string(rp->GetObjectCount()) + " objects written to the archive " + out + "\n");
}
