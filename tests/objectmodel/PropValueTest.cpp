// Comparing property values: source definitions by what they hold, every
// other kind as the value it is.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "Expr/ExprBuilder.h"
#include "objectmodel/ObjectModel.h"

namespace {

using SourcePtr = std::shared_ptr<const RpSourceDefinition>;

RpSourceDefinition Source() {
  RpSourceDefinition defn;
  defn.m_logicalToPhysical.emplace_back(ExprBuilder().ID(VoidID(3003, 4)).Build(), Expr());
  defn.m_physicalTables = {VoidID(3001, 7)};
  defn.m_joins.push_back({{VoidID(3001, 7), VoidID(3001, 8)}, VoidID::NullID});
  defn.m_whereClause = ExprBuilder().String(U"open").Build();
  return defn;
}

TEST(PropValue, SourceDefinitionsCompareByWhatTheyHold) {
  const RpPropValue a = std::make_shared<const RpSourceDefinition>(Source());
  const RpPropValue b = std::make_shared<const RpSourceDefinition>(Source());
  EXPECT_TRUE(SamePropValue(a, b));  // two copies, one content
  EXPECT_TRUE(SamePropValue(RpPropValue(SourcePtr()), RpPropValue(SourcePtr())));
  EXPECT_FALSE(SamePropValue(a, RpPropValue(SourcePtr())));
  EXPECT_FALSE(SamePropValue(RpPropValue(SourcePtr()), a));

  // Each member counts.
  const std::function<void(RpSourceDefinition&)> changes[] = {
      [](RpSourceDefinition& d) { d.m_bDistinct = true; },
      [](RpSourceDefinition& d) { d.m_whereClause = ExprBuilder().String(U"closed").Build(); },
      [](RpSourceDefinition& d) { d.m_joins[0].second = VoidID(3005, 1); },
      [](RpSourceDefinition& d) { d.m_physicalTables.push_back(VoidID(3001, 8)); },
      [](RpSourceDefinition& d) { d.m_logicalToPhysical[0].second = ExprBuilder().ID(VoidID(3003, 5)).Build(); },
  };
  for (const auto& change : changes) {
    RpSourceDefinition d = Source();
    change(d);
    EXPECT_FALSE(SamePropValue(a, std::make_shared<const RpSourceDefinition>(d)));
  }
}

TEST(PropValue, OtherKindsCompareAsValuesAndKindsNeverMix) {
  EXPECT_TRUE(SamePropValue(RpPropValue(VXString(U"x")), RpPropValue(VXString(U"x"))));
  EXPECT_FALSE(SamePropValue(RpPropValue(VXString(U"x")), RpPropValue(VXString(U"X"))));
  EXPECT_FALSE(SamePropValue(RpPropValue(std::int64_t{1}), RpPropValue(true)));
  EXPECT_FALSE(SamePropValue(RpPropValue(std::monostate()), RpPropValue(SourcePtr())));
  EXPECT_FALSE(SamePropValue(RpPropValue(SourcePtr()), RpPropValue(std::monostate())));
  EXPECT_TRUE(SamePropValue(RpPropValue(VoidID(3001, 7)), RpPropValue(VoidID(3001, 7))));
}

}  // namespace
