// Custom display names through the tool, against the sample: bundle strings
// come from the SQLite file the build generates from samples/bundles.tsv,
// in the language --lang sets, falling back to en, else the key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"

namespace {

using cmdtest::RunTool;

const std::vector<std::string> kColumns = {
    "names",         "--display",          "--type",   "PRESENTATION COLUMN",
    "--parent-type", "PRESENTATION TABLE", "--parent", "\"Localized Sales\"..\"Products\""};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST(CmdDisplayNames, ColumnsInTwoLanguages) {
  cmdtest::ExpectRuns({
      // Product Id: plain text; Product Name: a bundle string; Category: an
      // unset label variable gives the own name.
      {kColumns, 0, "Product Id\tProduct number\nProduct Name\tProduct name\nCategory\tCategory\n"},
      {With(kColumns, {"--lang", "fr"}), 0,
       "Product Id\tProduct number\nProduct Name\tNom du produit\nCategory\tCategory\n"},
      {With(kColumns, {"--lang", "de"}), 0,
       "Product Id\tProduct number\nProduct Name\tProduct name\nCategory\tCategory\n"},
  });
}

TEST(CmdDisplayNames, FoldersHierarchiesLevelsAndCustomerTypes) {
  struct Case {
    std::vector<std::string> args;
    std::string line;  // one line expected among the output
  } cases[] = {
      {{"--type", "4004", "--lang", "fr"}, "Localized Sales\tVentes localisées\n"},
      {{"--type", "4004"}, "Localized Sales\tLocalized sales\n"},
      {{"--type", "4008", "--lang", "fr"}, "Products\tProduits\n"},
      {{"--type", "4028", "--lang", "fr"}, "Catalog\tCatalogue\n"},
      {{"--type", "4030", "--lang", "fr"}, "Category\tCategory\n"},  // only en: the fallback
      {{"--type", "4014", "--lang", "fr"}, "Households\tHouseholds (fr)\n"},
      {{"--type", "4004"}, "Sales Analysis\tSales Analysis\n"},  // no display name
  };
  for (const Case& c : cases) {
    const auto r = RunTool(With({"names", "--display"}, c.args));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(c.line), std::string::npos) << c.line << " in\n" << r.out;
  }
}

TEST(CmdDisplayNames, ShowPrintsTheCustomTextsWhenPresent) {
  const auto fr = RunTool(
      {"show", "--lang", "fr", "--type", "PRESENTATION COLUMN", "\"Localized Sales\"..\"Products\".\"Product Name\""});
  EXPECT_EQ(fr.exitCode, 0) << fr.err;
  EXPECT_NE(fr.out.find("display  Nom du produit\n"), std::string::npos) << fr.out;
  EXPECT_NE(fr.out.find("descr    The name printed on the box\n"), std::string::npos) << fr.out;

  const auto plain = RunTool({"show", "--type", "PRESENTATION TABLE", "\"Sales Analysis\"..\"Orders\""});
  EXPECT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.out.find("display  "), std::string::npos);
  EXPECT_EQ(plain.out.find("descr    "), std::string::npos);
}

}  // namespace
