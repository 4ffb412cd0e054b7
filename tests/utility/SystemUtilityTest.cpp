#include <gtest/gtest.h>

#include "Utility/SUSystemConfig.h"
#include "Utility/SystemUtility.h"
#include "common/ScopedEnv.h"

using testutil::ScopedEnv;

TEST(SystemUtility, EnvironmentThenConfigurationThenDefault) {
  ScopedSystemConfig scoped(SUSystemConfig().SetInstanceName(U"cfg1").SetLegacyInstanceMode(false));
  ::unsetenv("SMUTIL_INSTANCE_NAME");
  ::unsetenv("SMUTIL_COMPONENT_NAME");
  EXPECT_EQ(SystemUtility::GetInstanceName(), U"cfg1");
  EXPECT_EQ(SystemUtility::GetComponentName(), U"smutil");
  {
    ScopedEnv env("SMUTIL_INSTANCE_NAME", "env1");
    ScopedEnv legacy("SMUTIL_LEGACY_INSTANCE_MODE", "true");
    EXPECT_EQ(SystemUtility::GetInstanceName(), U"env1");
    EXPECT_TRUE(SystemUtility::IsLegacyInstanceMode());
  }
  EXPECT_FALSE(SystemUtility::IsLegacyInstanceMode());
  ScopedEnv set("SMUTIL_TEST_EMPTY", "");
  EXPECT_TRUE(SystemUtility::hasEnv(U"SMUTIL_TEST_EMPTY"));
  EXPECT_EQ(SystemUtility::Getenv(U"SMUTIL_TEST_EMPTY"), U"");
  EXPECT_FALSE(SystemUtility::hasEnv(U"SMUTIL_TEST_SURELY_NOT_SET"));
  EXPECT_FALSE(SystemUtility::GetHostName().empty());
}
