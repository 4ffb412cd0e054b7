#include <gtest/gtest.h>

#include "CatalogueOverride.h"
#include "Utility/ErrorMessage.h"
#include "common/Caught.h"

TEST(ErrorMessage, ThrownWithPlaceAndCatalogueText) {
  CatalogueOverride cat("23005 = Repository variable %1 is not defined.\n");
  const auto e = testutil::Caught<ErrorMessage>(
      [&] { SUGThrow("server/Metadata/Src/SMUtil.cpp", 2299, ErrorMessage(23005, {U"MyVar"})); });
  ASSERT_TRUE(e);
  EXPECT_EQ(e->GetMessageNumber(), 23005u);
  EXPECT_EQ(e->GetArguments(), VXStringVector{U"MyVar"});
  EXPECT_EQ(e->GetFile(), "server/Metadata/Src/SMUtil.cpp");
  EXPECT_EQ(e->GetLine(), 2299);
  EXPECT_STREQ(e->what(), "[23005] Repository variable MyVar is not defined.");
  EXPECT_EQ(e->GetText(), U"[23005] Repository variable MyVar is not defined.");
  ErrorMessage two(23006);
  two.AddArgument(U"Q").AddArgument(U"V");
  EXPECT_EQ(two.GetArguments().size(), 2u);
}
