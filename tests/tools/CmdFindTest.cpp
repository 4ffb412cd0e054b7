// The find command, run as a user would run it: the built tool in a child
// process over a repository file written for the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CmdToolRun.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpFile.h"

namespace {

// Two subject areas with an Orders table each, one area and one table renamed,
// and a physical table of the same name.
class CmdFind : public ::testing::Test {
 protected:
  void SetUp() override {
    ARpGateway rp;
    RpBuilder b(rp);
    b.Add(kTIDADatabase, U"DB").Child(kTIDATable, U"Orders");
    const auto sales = b.Add(kTIDACatalogFolder, U"Old Sales");
    sales.Rename(U"Sales");
    salesOrders = sales.Child(kTIDAEntityFolder, U"Orders");
    shipments = sales.Child(kTIDAEntityFolder, U"Orders Old");
    b.At(shipments).Rename(U"Shipments");
    hrOrders = b.Add(kTIDACatalogFolder, U"HR").Child(kTIDAEntityFolder, U"orders");
    m_repoPath = m_dir.Path("find.rpd.xml");
    RpFile::Save(rp, m_repoPath);
  }

  static std::string Line(const std::string& qname, const VoidID& id) {
    return qname + "\t" + ToNarrow(id.ToString()) + "\n";
  }

  testutil::ScratchDir m_dir;
  std::string m_repoPath;
  VoidID salesOrders, shipments, hrOrders;
};

}  // namespace

TEST_F(CmdFind, NamedFlexibleAndByteFormConditions) {
  const std::string both = Line("\"Sales\"..\"Orders\"", salesOrders) + Line("\"HR\"..\"orders\"", hrOrders);
  cmdtest::ExpectRuns(
      {
          {{"--type", "PRESENTATION TABLE", "Sales", "", "ORDERS"}, 0, Line("\"Sales\"..\"Orders\"", salesOrders)},
          // One segment: the object's own name, wherever it is.
          {{"--type", "4008", "Orders"}, 0, both},
          // Written as one quoted argument.
          {{"--type", "PRESENTATION TABLE", "\"HR\".\"\".\"Orders\""}, 0, Line("\"HR\"..\"orders\"", hrOrders)},
          // Former names only with --aliases.
          {{"--type", "PRESENTATION TABLE", "Sales", "", "Orders Old"}, 1, "", "--aliases"},
          {{"--aliases", "--type", "PRESENTATION TABLE", "Sales", "", "Orders Old"},
           0,
           Line("\"Sales\"..\"Shipments\"", shipments)},
          {{"--flexible", "--type", "PRESENTATION TABLE", "", "orders"}, 0, both},
          {{"--through-bytes", "--flexible", "--type", "PRESENTATION TABLE", "", "orders"}, 0, both},
          // The subject area's former name, with the full name given.
          {{"--flexible", "--through-bytes", "--type", "PRESENTATION TABLE", "Old Sales", "", "Shipments"},
           0,
           Line("\"Sales\"..\"Shipments\"", shipments)},
          {{"--type", "TABLE", "Nowhere"}, 1, "", "Nowhere"},
      },
      {"--repo", m_repoPath, "find"});
}

TEST(CmdFindSample, FormerNamesOfTableAndSubjectAreaInTheBundledSample) {
  cmdtest::ExpectRuns({
      // "Sales" is a former name of the subject area "Sales Analysis",
      // "Clients" one of its table "Customers".
      {{"find", "--flexible", "--type", "PRESENTATION TABLE", "Sales", "", "Clients"},
       0,
       "\"Sales Analysis\"..\"Customers\"\t4008:2\n"},
      // Both subject areas have a Customers table.
      {{"find", "--type", "PRESENTATION TABLE", "customers"},
       0,
       "\"Sales Analysis\"..\"Customers\"\t4008:2\n\"Marketing Insights\"..\"Customers\"\t4008:5\n"},
  });
}
