// Qualified names as people type them, and the objects they name.
#include <gtest/gtest.h>

#include "Metadata/SMNameText.h"
#include "objectmodel/TypeIDs.h"

namespace {

struct TextCase {
  const char32_t* text;
  QualifiedName expected;
};

TEST(SMNameText, TypedNamesTable) {
  const TextCase cases[] = {
      {U"Sales.Orders", {U"Sales", U"Orders"}},
      {U"\"Sales DW\".SALESDB", {U"Sales DW", U"SALESDB"}},
      {U"\"Sales\"..\"Orders\"", {U"Sales", U"", U"Orders"}},
      {U"\"A.B\".C", {U"A.B", U"C"}},
      {U"\"Say \"\"hi\"\"\".x", {U"Say \"hi\"", U"x"}},
      {U"Sales.\"Orders\"", {U"Sales", U"Orders"}},
      {U"\"\"", {U""}},
      {U"Orders", {U"Orders"}},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(QualifiedNameFromText(c.text), c.expected) << ToNarrow(c.text);
  }
}

TEST(SMNameText, ObjectsByIdOrNameOfEveryType) {
  ARpGateway rp;
  const Ref<ARpObject> db = rp.CreateObject(kTIDADatabase, U"Sales");
  const Ref<ARpObject> model = rp.CreateObject(kTIDASubjectArea, U"Sales");
  const Ref<ARpObject> table = rp.CreateObject(kTIDALogicalTable, U"Orders", model->GetID());

  const RpObjectVector both = FindObjectsNamedByText(&rp, U"Sales");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].GetID(), db->GetID());  // types in the order the repository first had them
  EXPECT_EQ(both[1].GetID(), model->GetID());
  EXPECT_EQ(FindObjectsNamedByText(&rp, U"Sales", kTIDASubjectArea).size(), 1u);
  EXPECT_EQ(FindObjectsNamedByText(&rp, U"\"Sales\".Orders").front().GetID(), table->GetID());
  EXPECT_EQ(FindObjectsNamedByText(&rp, table->GetID().ToString()).front().GetID(), table->GetID());
  // An id of another type than asked, a name in another case: nothing.
  EXPECT_TRUE(FindObjectsNamedByText(&rp, table->GetID().ToString(), kTIDADatabase).empty());
  EXPECT_TRUE(FindObjectsNamedByText(&rp, U"sales.orders").empty());
}

}  // namespace
