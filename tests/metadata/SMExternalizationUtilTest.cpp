// Externalized display names and descriptions, KEX UI hints, the segment
// rules file, translation keys and the XML description, against a
// repository built in code:
//
//   physical  KexDB (target 47).T1.{C1, "it's \"x\" y"}, KexDB.A1.AC (alias of C1),
//             Plain (target 12).P.PC
//   logical   BM.Facts.{Amount->C1, Plain->PC, Derived, Both->C1+PC, Aliased->AC,
//                       Avg->C1 (AVG rule), Summed->C1 (SUM rule), Twice->PC | C1}
//             BM."GL Segment Codes".Code->C1
//   presentation "Sales Area"."Orders Tbl".{"Net Revenue"->Plain, "Kex Amount"->Amount},
//                "Orders Tbl".H.L, customer type Households
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMExternalizationUtil.h"
#include "Utility/ServerLog.h"
#include "common/ScopedEnv.h"
#include "objectmodel/RpBuilder.h"

namespace {

using EU = ExternalizationUtil;

class Externalization : public ::testing::Test {
 protected:
  void SetUp() override {
    auto kex = b.Add(kTIDADatabase, U"KexDB").Set(RpProp::kTargetType, std::int64_t{47});
    auto t1 = kex.Child(kTIDATable, U"T1");
    c1 = t1.Child(kTIDAColumn, U"C1");
    quoted = t1.Child(kTIDAColumn, U"it's \"x\" y");
    auto ac = kex.Child(kTIDATable, U"A1").Child(kTIDAColumn, U"AC");
    ac.As<AColumn>()->SetSourceColumn(b.At(c1).As<AColumn>());
    auto pcol = b.Add(kTIDADatabase, U"Plain")
                    .Set(RpProp::kTargetType, std::int64_t{12})
                    .Child(kTIDATable, U"P")
                    .Child(kTIDAColumn, U"PC");
    table1 = t1;

    auto bm = b.Add(kTIDASubjectArea, U"BM");
    auto facts = bm.Child(kTIDALogicalTable, U"Facts");
    const auto attr = [&](const char32_t* name) { return facts.Child(kTIDAAttribute, name); };
    amount = attr(U"Amount").Set(RpProp::kDescription, VXString(U"Line amount\nin euros"));
    plain = attr(U"Plain");
    derived = attr(U"Derived").Set(RpProp::kDerived, true);
    both = attr(U"Both");
    aliased = attr(U"Aliased");
    avg = attr(U"Avg");
    summed = attr(U"Summed");
    twice = attr(U"Twice");
    for (const auto& [column, op] : {std::pair{avg, kAvg}, std::pair{summed, kSum}}) {
      const Expr rule = ExprBuilder().Op(op).ID(c1).End().Build();
      b.At(column).Child(kTIDAMeasureDefn, U"M").Child(kTIDAAggrRule, U"R").Set(RpProp::kAggrExpr, rule);
    }
    const auto id = [](const VoidID& v) { return ExprBuilder().ID(v).Build(); };
    ALogicalTableSource::SourceDefinition first, second;
    first.m_logicalToPhysical = {
        {id(amount), id(c1)},  {id(plain), id(pcol)}, {id(both), ExprBuilder().Op(kAdd).ID(c1).ID(pcol).End().Build()},
        {id(aliased), id(ac)}, {id(avg), id(c1)},     {id(summed), id(c1)},
        {id(twice), id(pcol)}};
    second.m_logicalToPhysical = {{id(twice), id(c1)}};
    facts.Child(kTIDALogicalTableSource, U"S1").As<ALogicalTableSource>()->SetSourceDefinition(first);
    facts.Child(kTIDALogicalTableSource, U"S2").As<ALogicalTableSource>()->SetSourceDefinition(second);
    auto segment = bm.Child(kTIDALogicalTable, U"GL Segment Codes");
    code = segment.Child(kTIDAAttribute, U"Code");
    ALogicalTableSource::SourceDefinition seg;
    seg.m_logicalToPhysical = {{id(code), id(c1)}};
    segment.Child(kTIDALogicalTableSource, U"S").As<ALogicalTableSource>()->SetSourceDefinition(seg);

    sa = b.Add(kTIDACatalogFolder, U"Sales Area");
    tbl = b.At(sa).Child(kTIDAEntityFolder, U"Orders Tbl");
    net = b.At(tbl).Child(kTIDAFolderAttr, U"Net Revenue");
    kexCol = b.At(tbl).Child(kTIDAFolderAttr, U"Kex Amount");
    b.Relate(RpRel::kLogicalToPresentationColumn, {plain, net});
    b.Relate(RpRel::kLogicalToPresentationColumn, {amount, kexCol});
    hier = b.At(tbl).Child(kTIDAPresentationHierarchy, U"H");
    level = b.At(hier).Child(kTIDAPresentationLevel, U"L");
    households = b.Add(kTIDAMktg_CustomerType, U"Households");
  }

  Ref<ARpObject> Obj(const VoidID& id) { return rp.GetObject(id); }
  void SetText(const VoidID& id, const VXString& text) {
    b.At(id).Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, text);
  }
  unsigned State(const VoidID& id) { return EU::GetDisplayNameState(Obj(id)); }

  ARpGateway rp;
  RpBuilder b{rp};
  VoidID c1, quoted, table1, amount, plain, derived, both, aliased, avg, summed, twice, code;
  VoidID sa, tbl, net, kexCol, hier, level, households;
};

// ---- names --------------------------------------------------------------------

TEST_F(Externalization, SessionReferencesQuoteNamesWithBlanks) {
  EXPECT_EQ(EU::GetNameForCustomDisplay(U"Net Revenue 2"), U"Net_Revenue_2");
  EXPECT_EQ(EU::MakeVXSessionString(U"Net Revenue"), U"VX_SESSION.\"Net Revenue\"");
  EXPECT_EQ(EU::MakeVXSessionString(U"NET"), U"VX_SESSION.NET");
  EXPECT_EQ(EU::MakeValueOfVXSession(U"Net Revenue"), U"VALUEOF(VX_SESSION.\"Net Revenue\")");
  EXPECT_EQ(EU::MakeValueOf(U"a b", true), U"VALUEOF(\"a b\")");
  EXPECT_EQ(EU::MakeValueOf(U"a b", false), U"VALUEOF(a b)");
  EXPECT_EQ(EU::GetVXSessionPrefix(), U"VX_SESSION.");
  EXPECT_EQ(EU::GetNameForKEXCustomDisplay(Obj(quoted)), U"IT_S__X__Y");
}

TEST_F(Externalization, GeneratorsPerType) {
  struct Case {
    VoidID id;
    bool bKex;
    const char32_t* name;
    const char32_t* description;
  };
  const Case cases[] = {
      {sa, false, U"CN_Sales_Area", U"CD_Sales_Area"},
      {households, false, U"CN_Households", U"CD_Households"},
      {tbl, false, U"CN_Sales_Area_Orders_Tbl", U"CD_Sales_Area_Orders_Tbl"},
      // The table's first column with a KEX column behind it names the table.
      {tbl, true, U"KEX_LABEL_KEXDB_T1", U"CD_Sales_Area_Orders_Tbl"},
      {net, false, U"CN_Sales_Area_Orders_Tbl_Net_Revenue", U"CD_Sales_Area_Orders_Tbl_Net_Revenue"},
      {net, true, U"CN_Sales_Area_Orders_Tbl_Net_Revenue", U"CD_Sales_Area_Orders_Tbl_Net_Revenue"},
      {kexCol, true, U"KEX_LABEL_KEXDB_T1_C1", U"KEX_TOOLTIP_KEXDB_T1_C1"},
      {hier, false, U"CN_Sales_Area_Orders_Tbl_H", U"CD_Sales_Area_Orders_Tbl_H"},
      {hier, true, U"KEX_LABEL_KEXDB_T1", U"CD_Sales_Area_Orders_Tbl_H"},
      {level, true, U"CN_Sales_Area_Orders_Tbl_H_L", U"CD_Sales_Area_Orders_Tbl_H_L"},
      {amount, false, U"", U""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToNarrow(Obj(c.id)->GetName()));
    EXPECT_EQ(EU::GenerateCustomDisplayNameInternal(Obj(c.id), c.bKex), c.name);
    EXPECT_EQ(EU::GenerateCustomDescriptionInternal(Obj(c.id), c.bKex), c.description);
  }
  EXPECT_EQ(EU::GenerateCustomDisplayName(Obj(net), false),
            U"VALUEOF(VX_SESSION.CN_Sales_Area_Orders_Tbl_Net_Revenue)");
  EXPECT_EQ(EU::GenerateCustomDescription(Obj(kexCol), true), U"VALUEOF(VX_SESSION.KEX_TOOLTIP_KEXDB_T1_C1)");
}

TEST_F(Externalization, GeneratorUnderANewNameOrWithoutAncestor) {
  EXPECT_EQ(EU::GenerateCustomDisplayName(Obj(net), U"Gross Sales", false),
            U"VALUEOF(VX_SESSION.CN_Sales_Area_Orders_Tbl_Gross_Sales)");
  EXPECT_EQ(EU::GenerateCustomDisplayName(Obj(sa), U"New Area", false), U"VALUEOF(VX_SESSION.CN_New_Area)");
  // Levels take the three-part form under a new name.
  EXPECT_EQ(EU::GenerateCustomDisplayName(Obj(level), U"New L", false), U"VALUEOF(VX_SESSION.CN_Orders_Tbl_H_New_L)");
  // The KEX form comes from the physical column, whatever the new name.
  EXPECT_EQ(EU::GenerateCustomDisplayName(Obj(kexCol), U"Other", true), U"VALUEOF(VX_SESSION.KEX_LABEL_KEXDB_T1_C1)");
  // A missing ancestor gives no name.
  auto loose = b.Add(kTIDAFolderAttr, U"Loose");
  EXPECT_EQ(EU::GenerateCustomDisplayNameInternal(Obj(loose), false), U"");
  EXPECT_EQ(EU::GenerateCustomDisplayNameInternal(Ref<ARpObject>(), false), U"");
}

// ---- states -------------------------------------------------------------------

TEST_F(Externalization, StateOfOneObject) {
  EXPECT_EQ(State(net), 16u);  // use flag off
  EXPECT_EQ(State(amount), 0u);
  EXPECT_EQ(EU::GetDisplayNameState(Ref<ARpObject>()), 16u);
  b.At(net).Set(RpProp::kDisplayNameUse, true);
  EXPECT_EQ(State(net), 16u);  // on, but empty

  Ref<ARpObject> n = Obj(net);
  EU::SetDisplayName(n, true, false);
  EXPECT_EQ(State(net), 2u);
  SetText(net, U"valueof(vx_session.cn_sales_area_orders_tbl_net_revenue)");
  EXPECT_EQ(State(net), 2u);  // compared ignoring case
  SetText(net, U"Net");
  EXPECT_EQ(State(net), 8u);

  Ref<ARpObject> k = Obj(kexCol);
  EU::SetDisplayName(k, true, true);
  EXPECT_EQ(Obj(kexCol)->GetString(RpProp::kDisplayName), U"VALUEOF(VX_SESSION.KEX_LABEL_KEXDB_T1_C1)");
  EXPECT_EQ(State(kexCol), 4u);
  EU::SetDisplayName(k, true, false);
  EXPECT_EQ(State(kexCol), 2u);
  SetText(kexCol, U"VALUEOF(VX_SESSION.KEX_LABEL_KEXDB_T1_C1) ");
  EXPECT_EQ(State(kexCol), 8u);

  Ref<ARpObject> t = Obj(tbl);
  EU::SetDisplayName(t, true, true);
  EXPECT_EQ(State(tbl), 4u);

  // Once the mapping leads elsewhere, the KEX texts are only hand-entered text.
  EU::SetDisplayName(k, true, true);
  Ref<AFolderAttr>(Obj(kexCol))->SetLogicalColumn(Ref<AAttribute>(Obj(plain)));
  EXPECT_EQ(State(kexCol), 8u);
  EXPECT_EQ(State(tbl), 8u);
}

TEST_F(Externalization, SwitchingOffClearsTextAndFlag) {
  Ref<ARpObject> n = Obj(net);
  EU::SetDisplayName(n, true, false);
  EU::SetCustomDescription(n, true, false);
  EU::SetDisplayName(n, false, false);
  EXPECT_FALSE(n->GetBool(RpProp::kDisplayNameUse));
  EXPECT_EQ(n->GetString(RpProp::kDisplayName), U"");
  EXPECT_EQ(State(net), 16u);
  EXPECT_EQ(EU::GetCustomDescriptionState(n), 2u);
  EU::SetCustomDescription(n, false, false);
  EXPECT_EQ(EU::GetCustomDescriptionState(n), 16u);
  // Types without a display name are left alone.
  Ref<ARpObject> a = Obj(amount);
  EU::SetDisplayName(a, true, false);
  EXPECT_FALSE(a->HasProperty(RpProp::kDisplayName));
}

TEST_F(Externalization, DescriptionStates) {
  Ref<ARpObject> k = Obj(kexCol);
  EU::SetCustomDescription(k, true, true);
  EXPECT_EQ(k->GetString(RpProp::kDisplayDescription), U"VALUEOF(VX_SESSION.KEX_TOOLTIP_KEXDB_T1_C1)");
  EXPECT_EQ(EU::GetCustomDescriptionState(k), 4u);
  // Tables have no KEX description: the default one is stored and reported.
  Ref<ARpObject> t = Obj(tbl);
  EU::SetCustomDescription(t, true, true);
  EXPECT_EQ(t->GetString(RpProp::kDisplayDescription), U"VALUEOF(VX_SESSION.CD_Sales_Area_Orders_Tbl)");
  EXPECT_EQ(EU::GetCustomDescriptionState(t), 2u);
  EXPECT_EQ(EU::GetCustomDescriptionState(Obj(households)), 16u);
}

TEST(ExternalizationStates, OnMeansSomeOfTwoFourEightAndNotSixteen) {
  const std::pair<unsigned, bool> cases[] = {{0, false},  {2, true}, {4, true},  {8, true},   {16, false},
                                             {18, false}, {6, true}, {14, true}, {30, false}, {20, false}};
  for (auto [state, on] : cases) {
    EXPECT_EQ(EU::IsDisplayNameStateOn(state), on) << state;
    EXPECT_EQ(EU::IsCustomDescriptionStateOn(state), on) << state;
  }
}

TEST_F(Externalization, SelectionOrsTheStates) {
  Ref<ARpObject> n = Obj(net), k = Obj(kexCol), s = Obj(sa), h = Obj(hier);
  EU::SetDisplayName(n, true, false);  // 2
  EU::SetDisplayName(k, true, true);   // 4
  SetText(sa, U"Sales");               // 8
  // hier stays off (16); amount is of another type (0).
  const Ref<ARpObject> a = Obj(amount);
  struct Case {
    std::vector<Ref<ARpObject>> objects;
    unsigned state;
    bool on;
  };
  const Case cases[] = {
      {{}, 0, false},    {{n}, 2, true},        {{n, h}, 18, false},       {{n, k}, 6, true}, {{a, n}, 2, true},
      {{n, a}, 2, true}, {{n, k, s}, 14, true}, {{h, s, k, n}, 30, false}, {{a}, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EU::GetDisplayNameState(c.objects), c.state) << c.objects.size();
    EXPECT_EQ(EU::IsDisplayNameStateOn(c.objects), c.on) << c.objects.size();
  }
  EXPECT_TRUE(EU::IsDisplayNameStateOn(n));
  EXPECT_FALSE(EU::IsDisplayNameStateOn(h));
}

// ---- variables ------------------------------------------------------------------

TEST(ExternalizationVariables, ExtractValueOfListsEachVariableOnce) {
  VXStringVector vars{U"stale"};
  EU::ExtractValueOf(U"", U"a VALUEOF( VX_SESSION.A ) b valueof(vx_session.a) VALUEOF(NQ(1)) ValueOf(B)", vars);
  EXPECT_EQ(vars, (VXStringVector{U"VX_SESSION.A", U"NQ(1)", U"B"}));
  EU::ExtractValueOf(U"", U"VALUEOF(X", vars);
  EXPECT_TRUE(vars.empty());
  EU::ExtractValueOf(U"", U"no references", vars);
  EXPECT_TRUE(vars.empty());
}

TEST_F(Externalization, DisplayNameVariablesNeedTheUseFlag) {
  b.At(net).Set(RpProp::kDisplayName, VXString(U"VALUEOF(VX_SESSION.X)"));
  VXStringVector vars;
  EU::GetDisplayNameVariables(Obj(net), vars);
  EXPECT_TRUE(vars.empty());
  SetText(net, U"VALUEOF(VX_SESSION.X) / VALUEOF(VX_SESSION.\"Y z\")");
  EU::GetDisplayNameVariables(Obj(net), vars);
  EXPECT_EQ(vars, (VXStringVector{U"VX_SESSION.X", U"VX_SESSION.\"Y z\""}));
}

// ---- KEX search ---------------------------------------------------------------------

TEST_F(Externalization, PhysicalColumnSearchRules) {
  struct Case {
    VoidID logical;
    bool bSkipQualified, bPermitMultiple, bSkipAggregation;
    bool found;
    VoidID physical;
  };
  const Case cases[] = {
      {amount, false, false, false, true, c1},   {plain, false, false, false, false, {}},  // target type 12
      {derived, false, false, false, false, {}},                                           // derived column
      {both, false, false, false, false, {}},                                              // two objects
      {both, false, true, false, true, c1},                                                // the first one decides
      {aliased, false, false, false, true, c1},                                            // the alias column's base
      {avg, false, false, false, false, {}},                                               // AVG aggregation
      {avg, false, false, true, true, c1},       {summed, false, false, false, true, c1},
      {twice, false, false, false, true, c1},   // the second source qualifies
      {amount, true, false, false, false, {}},  // Facts is no segment table
      {code, true, false, false, true, c1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToNarrow(Obj(c.logical)->GetName()));
    Ref<AColumn> physical;
    EXPECT_EQ(EU::GetPhysicalColumnForKEXUIHints(Ref<AAttribute>(Obj(c.logical)), physical, c.bSkipQualified,
                                                 c.bPermitMultiple, c.bSkipAggregation),
              c.found);
    if (c.found) {
      EXPECT_EQ(physical.GetID(), c.physical);
    }
  }
  Ref<AColumn> physical;
  EXPECT_TRUE(EU::GetPhysicalColumnForKEXUIHints(Ref<AFolderAttr>(Obj(kexCol)), physical, false, false, false));
  EXPECT_FALSE(EU::GetPhysicalColumnForKEXUIHints(Ref<AFolderAttr>(Obj(net)), physical, false, false, false));
  Ref<ATable> table;
  EXPECT_TRUE(EU::GetPhysicalTableForKEXUIHints(Ref<AEntityFolder>(Obj(tbl)), table));
  EXPECT_EQ(table.GetID(), table1);
}

TEST_F(Externalization, HiddenFlag) {
  VXStringStringMap map{{U"other", U"1"}};
  EU::SetKEXIsHiddenProperty(map, true);
  EXPECT_EQ(map.at(U"KEX_IS_HIDDEN"), U"true");
  Obj(c1)->SetPropertyMap(map);
  EXPECT_TRUE(EU::IsRelatedKEXAttributeHidden(Ref<AColumn>(Obj(c1))));
  EXPECT_TRUE(EU::IsRelatedKEXAttributeHidden(Ref<AAttribute>(Obj(amount))));
  EXPECT_FALSE(EU::IsRelatedKEXAttributeHidden(Ref<AAttribute>(Obj(plain))));
  Obj(c1)->SetPropertyMap({{U"KEX_IS_HIDDEN", U"TRUE"}});
  EXPECT_TRUE(EU::IsRelatedKEXAttributeHidden(Ref<AColumn>(Obj(c1))));
  Obj(c1)->SetPropertyMap({{U"KEX_IS_HIDDEN", U"yes"}});
  EXPECT_FALSE(EU::IsRelatedKEXAttributeHidden(Ref<AColumn>(Obj(c1))));
  EU::SetKEXIsHiddenProperty(map, false);
  EXPECT_EQ(map, (VXStringStringMap{{U"other", U"1"}}));

  Ref<AFolderAttr> column(Obj(net));
  EU::SetHideObjectExpr(column, true);
  EXPECT_EQ(column->GetHideObjectExpr(), ExprBuilder().Int(1).Build());
  EU::SetHideObjectExpr(column, false);
  EXPECT_TRUE(column->GetHideObjectExpr().IsEmpty());
}

// ---- segment rules ---------------------------------------------------------------------

class SegmentRules : public ::testing::Test {
 protected:
  void SetUp() override {
    home = std::filesystem::temp_directory_path() / ("smutil_rules_" + std::to_string(::getpid()));
    dir = home / "segment-rules";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(std::filesystem::path(SMUTIL_SAMPLES_DIR) / "segment-rules/segment-rules.xsd",
                               dir / "segment-rules.xsd", std::filesystem::copy_options::overwrite_existing);
    env.emplace("SMUTIL_HOME", home.c_str());
  }
  void TearDown() override {
    env.reset();
    EU::InitalizeUnqualifiedPrefixList();
    std::filesystem::remove_all(home);
  }
  void WriteRules(const std::string& text) { std::ofstream(dir / "segment-rules.xml") << text; }

  std::filesystem::path home, dir;
  std::optional<testutil::ScopedEnv> env;
};

TEST_F(SegmentRules, PrefixesOfTheFileAndTheBuiltInOne) {
  WriteRules(R"(<SegmentRules><MappingRules UnqualifiedDimensionPrefix="Cost Center"/>
                <MappingRules UnqualifiedDimensionPrefix="Company"/></SegmentRules>)");
  EU::InitalizeUnqualifiedPrefixList();
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"COST CENTER Segment"));
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"Company"));
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"gl segment 3"));
  EXPECT_FALSE(EU::IsKEXUnqualifiedSegmentTable(U"The Company"));
  EXPECT_FALSE(EU::IsKEXUnqualifiedSegmentTable(U"GL Segmen"));
}

TEST_F(SegmentRules, TheSampleRulesFileIsValid) {
  const testutil::ScopedEnv samples("SMUTIL_HOME", SMUTIL_SAMPLES_DIR);
  ScopedLogCapture capture;
  EU::InitalizeUnqualifiedPrefixList();
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"Cost Center Segment"));
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"Balancing Segment 2"));
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"GL Segment Accounts"));
  EXPECT_FALSE(EU::IsKEXUnqualifiedSegmentTable(U"Ledger Balances"));
  EXPECT_TRUE(capture.Records().empty());
}

TEST_F(SegmentRules, MissingFileLeavesTheBuiltInPrefix) {
  ScopedLogCapture capture;
  EU::InitalizeUnqualifiedPrefixList();
  EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"GL Segment Accounts"));
  EXPECT_FALSE(EU::IsKEXUnqualifiedSegmentTable(U"Cost Center"));
  EXPECT_TRUE(capture.Contains(LogSeverity::kTrace, U"no file"));
}

TEST_F(SegmentRules, InvalidFileLeavesTheBuiltInPrefix) {
  const char* invalid[] = {
      // the required attribute is missing from the second rule
      R"(<SegmentRules><MappingRules UnqualifiedDimensionPrefix="Cost Center"/><MappingRules/></SegmentRules>)",
      // an element the schema does not know
      R"(<SegmentRules><Rule UnqualifiedDimensionPrefix="Cost Center"/></SegmentRules>)",
      // an empty prefix
      R"(<SegmentRules><MappingRules UnqualifiedDimensionPrefix=""/></SegmentRules>)",
      // not well formed
      R"(<SegmentRules><MappingRules UnqualifiedDimensionPrefix="Cost Center">)",
  };
  for (const char* text : invalid) {
    SCOPED_TRACE(text);
    WriteRules(text);
    ScopedLogCapture capture;
    EU::InitalizeUnqualifiedPrefixList();
    EXPECT_FALSE(EU::IsKEXUnqualifiedSegmentTable(U"Cost Center"));
    EXPECT_TRUE(EU::IsKEXUnqualifiedSegmentTable(U"GL Segment"));
    EXPECT_TRUE(capture.Contains(LogSeverity::kError, U"is not valid"));
  }
}

// ---- translation keys and XML description -------------------------------------------------

TEST_F(Externalization, TranslationKeys) {
  b.At(kexCol).Set(RpProp::kTranslationKey, VXString(U"K_AMOUNT"));
  b.At(level).Set(RpProp::kTranslationKey, VXString(U"K_L"));
  EXPECT_EQ(EU::GetTranslationKey(Obj(kexCol)), U"K_AMOUNT");
  EXPECT_EQ(EU::GetTranslationKey(Obj(level)), U"K_L");
  EXPECT_EQ(EU::GetTranslationKey(Obj(net)), U"");
  auto facts = rp.GetObject(Obj(amount)->GetParentObject().GetID());
  EXPECT_FALSE(EU::CouldHaveTranslationKey(facts));  // logical table 2035
  EXPECT_TRUE(EU::CouldHaveTranslationKey(Obj(level)));
  EXPECT_TRUE(EU::CouldHaveTranslationKey(Obj(households)));
  EXPECT_FALSE(EU::CouldHaveTranslationKey(Obj(c1)));
}

TEST_F(Externalization, XMLDescriptionEscapesAndUsesTheTranslationKey) {
  b.At(kexCol).Set(RpProp::kTranslationKey, VXString(U"K<&>\"'"));
  b.At(kexCol).Set(RpProp::kUpgradeID, ByteVector{0x3F, 0x25, 0x04, 0xE0, 0x4F, 0x89, 0x41, 0xD3, 0x9A, 0x0C, 0x03,
                                                  0x05, 0xE8, 0x2C, 0x33, 0x01});
  VXString s = U"<Objects>\n";
  EU::XMLDescribeObjectStart(Obj(kexCol), s, 1, false, true);
  EU::XMLDescribeObjectEnd(s, 0);
  EXPECT_EQ(s,
            U"<Objects>\n"
            U"  <Object>\n"
            U"    <Name>K&lt;&amp;&gt;&quot;&apos;</Name>\n"
            U"    <Type>Presentation Column</Type>\n"
            U"    <UpgradeID>3F2504E0-4F89-41D3-9A0C-0305E82C3301</UpgradeID></Object>");

  s.clear();
  EU::XMLDescribeObjectStart(Obj(table1), s, 0, false, true);  // no translation key: the name
  EXPECT_EQ(s, U"<Object>\n  <Name>T1</Name>\n  <Type>Physical Table</Type>\n  <UpgradeID></UpgradeID>");

  s.clear();
  EU::XMLDescribeObjectStart(Obj(quoted), s, 0, true, true);
  EXPECT_NE(s.find(U"<Name>&quot;KexDB&quot;...&quot;T1&quot;.&quot;it&apos;s "
                   U"&quot;&quot;x&quot;&quot; y&quot;</Name>"),
            VXString::npos)
      << ToNarrow(s);
  s.clear();
  EU::XMLDescribeEnd(s, U"Objects", 2);
  EXPECT_EQ(s, U"    </Objects>");
}

TEST_F(Externalization, DescriptionFallsBackToTheLogicalObject) {
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(kexCol)), U"Line amount\nin euros");
  b.At(kexCol).Set(RpProp::kDescription, VXString(U"Own"));
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(kexCol)), U"Own");
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(net)), U"");
  EXPECT_EQ(EU::GetExternalizationDescription(Ref<ARpObject>()), U"");
}

// A presentation table without a description of its own reports the one of
// the logical column its first presentation column presents; the logical
// table that column belongs to does not count.
TEST_F(Externalization, TableDescriptionFallsBackToTheFirstColumnsLogicalColumn) {
  b.At(Obj(amount)->GetParentObject().GetID()).Set(RpProp::kDescription, VXString(U"Facts table"));
  // The first column, Net Revenue, presents Plain, which has no description.
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(tbl)), U"");
  b.At(plain).Set(RpProp::kDescription, VXString(U"Plain revenue"));
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(tbl)), U"Plain revenue");
  b.At(tbl).Set(RpProp::kDescription, VXString(U"Orders"));
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(tbl)), U"Orders");

  // A table whose first column presents no logical column has no fallback,
  // even when a later column has one with a description.
  const VoidID lone = b.At(sa).Child(kTIDAEntityFolder, U"Lone");
  b.At(lone).Child(kTIDAFolderAttr, U"Unbound");
  const VoidID bound = b.At(lone).Child(kTIDAFolderAttr, U"Bound");
  b.Relate(RpRel::kLogicalToPresentationColumn, {amount, bound});
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(lone)), U"");
  // And a table without columns has none either.
  EXPECT_EQ(EU::GetExternalizationDescription(Obj(b.At(sa).Child(kTIDAEntityFolder, U"Empty"))), U"");
}

TEST_F(Externalization, ExportRowsInOrder) {
  b.At(kexCol).Set(RpProp::kTranslationKey, VXString(U"K_AMOUNT"));
  SetText(kexCol, U"VALUEOF(VX_SESSION.A) of VALUEOF(vx_session.a) VALUEOF(VX_SESSION.B)");
  b.At(kexCol)
      .Set(RpProp::kDisplayDescriptionUse, true)
      .Set(RpProp::kDisplayDescription,
           VXString(U"VALUEOF(VX_SESSION.KEX_TOOLTIP_X)\nVALUEOF(VX_SESSION.D) VALUEOF(REPO_VAR)"));
  SetText(sa, U"VALUEOF(VX_SESSION.S)");
  // A column that presents no logical column says so.
  auto loose = b.At(tbl).Child(kTIDAFolderAttr, U"Loose");
  SetText(loose, U"VALUEOF(VX_SESSION.L)");
  std::vector<FourVXStrings> rows{{U"kept", U"", U"", U""}};
  EU::GetExternalizationInfo({Obj(kexCol), Obj(amount), Obj(net), Obj(sa), Obj(loose)}, rows);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[5].logicalColumn, U"(no logical column)");
  const auto fields = [](const FourVXStrings& r) { return VXStringVector{r.s1, r.s2, r.s3, r.logicalColumn}; };
  const VXString label = U"Presentation Column \"Kex Amount\"";
  const VXString logical = U"Logical Column \"\"BM\".\"Facts\".\"Amount\"\"";
  const VXStringVector expected[] = {
      {U"kept", U"", U"", U""},  // the caller's row stays in front
      {label, U"VX_SESSION.A", U"K_AMOUNT", logical},
      {label, U"VX_SESSION.B", U"K_AMOUNT", logical},
      {label, U"VX_SESSION.D", U"Line amount in euros", logical},
      {U"Subject Area \"Sales Area\"", U"VX_SESSION.S", U"", U""},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(fields(rows[i]), expected[i]) << i;
}

}  // namespace
