// Where the library finds its data: beside its own file in an installation
// (and in the build tree, laid out the same way), or where the environment
// says.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Utility/SUInstallDir.h"
#include "Utility/SUStrUtil.h"
#include "Utility/SUSystemConfig.h"
#include "Utility/SystemUtility.h"
#include "common/ScopedEnv.h"

namespace {
using testutil::ScopedEnv;

TEST(InstallDir, DataDirectoryIsShareSmutilBesideTheLibrary) {
  const ScopedEnv noOverride("SMUTIL_DATA_DIR", nullptr);
  const std::filesystem::path dir = SUInstallDir::DataDirectory();
  EXPECT_EQ(dir.filename(), "smutil");
  EXPECT_EQ(dir.parent_path().filename(), "share");
  // The build tree's data directory is the project's samples.
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "messages.txt")) << dir;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "config.ini")) << dir;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "sample.rpd.xml")) << dir;
  EXPECT_EQ(SUInstallDir::DataFile("sample.rpd.xml"), dir.string() + "/sample.rpd.xml");
}

TEST(InstallDir, DefaultsComeFromTheDataDirectoryUnlessTheEnvironmentSays) {
  const ScopedEnv data("SMUTIL_DATA_DIR", "/opt/elsewhere/data");
  {
    const ScopedEnv a("SMUTIL_CONFIG", nullptr);
    const ScopedEnv b("SMUTIL_MESSAGES", nullptr);
    EXPECT_EQ(SUInstallDir::DataDirectory(), "/opt/elsewhere/data");
    EXPECT_EQ(SUSystemConfig::DefaultConfigFile(), "/opt/elsewhere/data/config.ini");
    EXPECT_EQ(SUStrUtil::DefaultCatalogueFile(), "/opt/elsewhere/data/messages.txt");
  }
  const ScopedEnv a("SMUTIL_CONFIG", "/etc/smutil.ini");
  const ScopedEnv b("SMUTIL_MESSAGES", "/srv/messages.txt");
  EXPECT_EQ(SUSystemConfig::DefaultConfigFile(), "/etc/smutil.ini");
  EXPECT_EQ(SUStrUtil::DefaultCatalogueFile(), "/srv/messages.txt");
  const ScopedEnv home("SMUTIL_HOME", "/srv/home");
  EXPECT_EQ(SystemUtility::GetZirconBIHomeDirectory(), U"/srv/home");
}

}  // namespace
