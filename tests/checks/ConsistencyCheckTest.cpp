// The check suite on small repositories built in code: a clean model that
// no check reports, each break of it reported once by the right check, and
// a check that throws.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

#include "Checks/ConsistencyCheck.h"
#include "Expr/ExprBuilder.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "checks/CleanModel.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"

namespace {

struct Finding {
  std::string check;
  MessageId id;
  VoidID object;
};

std::vector<Finding> Findings(ARpGateway& rp, const ConsistencyCheckOptions& options = {}) {
  std::vector<Finding> out;
  for (const ConsistencyMessage& m : RunConsistencyChecks(rp, options)) {
    const ConsistencyCheck* check = CheckOfMessage(m);
    out.push_back({check ? check->m_id : "?", m.GetMessageId(), m.GetMainObject().GetID()});
  }
  return out;
}

TEST(ConsistencyCheck, CleanModelHasNoFindings) {
  CleanModel m;
  const std::vector<Finding> found = Findings(m.rp);
  for (const Finding& f : found) ADD_FAILURE() << f.check << " on " << ToNarrow(f.object.ToString());
}

// Each row breaks the clean model in one way; exactly one finding follows,
// from the named check, about the named object.
struct BreakCase {
  const char* check;
  MessageId id;
  std::function<Ref<ARpObject>(CleanModel&)> breakIt;  // returns the object the finding is about
};

TEST(ConsistencyCheck, EachBreakIsReportedOnceByItsCheck) {
  const std::vector<BreakCase> cases = {
      {"logical-column-unmapped", 38009, [](CleanModel& m) { return m.Add(kTIDAAttribute, U"Unmapped", m.ltable); }},
      {"logical-table-without-source", 38017,
       [](CleanModel& m) {
         m.rp.DeleteObject(m.lts.GetID());
         return m.ltable;
       }},
      {"derived-column-empty", 38055,
       [](CleanModel& m) {
         return m.b.At(m.ltable.GetID()).Child(kTIDAAttribute, U"Formula").Set(RpProp::kDerived, true).Obj();
       }},
      {"derived-column-uses-itself", 38052,
       [](CleanModel& m) {
         Ref<ARpObject> c = m.b.At(m.ltable.GetID()).Child(kTIDAAttribute, U"Twice").Set(RpProp::kDerived, true).Obj();
         Ref<AAttribute>(c)->SetExpr(ExprBuilder().Op(kMultiply).ID(c.GetID()).Int(2).End().Build());
         return c;
       }},
      // A deleted physical column: the mapping still names it.
      {"logical-column-mapped-to-deleted", 38108,
       [](CleanModel& m) {
         m.rp.DeleteObject(m.colA.GetID(), false);
         return m.lcol;
       }},
      {"expression-refers-to-deleted", 38202,
       [](CleanModel& m) {
         Ref<ARpObject> other = m.Add(kTIDAAttribute, U"Doomed", m.ltable);
         const Expr uses = ExprBuilder().Op(kAdd).ID(other.GetID()).Int(1).End().Build();
         Ref<ARpObject> c = m.b.At(m.ltable.GetID())
                                .Child(kTIDAAttribute, U"Uses Doomed")
                                .Set(RpProp::kDerived, true)
                                .Set(RpProp::kExpr, uses)
                                .Obj();
         m.rp.DeleteObject(other.GetID());
         return c;
       }},
      {"source-reads-deleted-table", 38107,
       [](CleanModel& m) {
         Ref<ARpObject> gone = m.Add(kTIDATable, U"GONE", m.db);
         RpSourceDefinition defn = Ref<ALogicalTableSource>(m.lts)->GetSourceDefinition();
         defn.m_physicalTables.push_back(gone.GetID());
         Ref<ALogicalTableSource>(m.lts)->SetSourceDefinition(defn);
         m.rp.DeleteObject(gone.GetID());
         return m.lts;
       }},
      {"source-maps-nothing", 38010,
       [](CleanModel& m) {
         RpSourceDefinition defn = Ref<ALogicalTableSource>(m.lts)->GetSourceDefinition();
         Ref<ARpObject> second = m.Add(kTIDALogicalTableSource, U"LTS2", m.ltable);
         defn.m_logicalToPhysical.front().second = Expr();
         Ref<ALogicalTableSource>(second)->SetSourceDefinition(defn);
         return second;
       }},
      {"logical-key-without-columns", 38084, [](CleanModel& m) { return m.Add(kTIDAKey, U"Empty", m.ltable); }},
      {"level-without-key", 38011,
       [](CleanModel& m) {
         return m.b.At(m.level.GetID())
             .Child(kTIDALevel, U"Detail")
             .Relate(RpRel::kLevelAttributes, 0, {m.lcol.GetID()})
             .Obj();
       }},
      {"presentation-column-without-logical", 38073,
       [](CleanModel& m) {
         m.rp.EraseTuple(RpRel::kLogicalToPresentationColumn, {m.lcol.GetID(), m.pcol.GetID()});
         return m.pcol;
       }},
      {"presentation-column-duplicate-name", 38209,
       [](CleanModel& m) {
         Ref<ARpObject> twin = m.Add(kTIDAFolderAttr, U"ID", m.ptable);
         m.rp.InsertTuple(RpRel::kLogicalToPresentationColumn, {m.lcol.GetID(), twin.GetID()});
         return twin;
       }},
      {"physical-table-duplicate-name", 38179,
       [](CleanModel& m) {
         auto twin = m.b.At(m.db.GetID()).Child(kTIDATable, U"Orders");
         twin.Child(kTIDAColumn, U"ID").Set(RpProp::kDataType, VXString(U"INTEGER"));
         return twin.Obj();
       }},
      {"alias-collides-with-sibling", 38210,
       [](CleanModel& m) {
         auto other = m.b.At(m.db.GetID()).Child(kTIDATable, U"ARCHIVE").Alias(U"orders");
         other.Child(kTIDAColumn, U"ID").Set(RpProp::kDataType, VXString(U"INTEGER"));
         return other.Obj();
       }},
      {"physical-column-without-type", 38150, [](CleanModel& m) { return m.Add(kTIDAColumn, U"NOTE", m.table); }},
      {"subject-area-without-business-model", 38213,
       [](CleanModel& m) {
         Ref<ACatalogFolder>(m.sa)->SetSubjectArea(Ref<ASubjectArea>());
         return m.sa;
       }},
      {"description-undefined-session-variable", 38203,
       [](CleanModel& m) {
         m.b.At(m.pcol.GetID())
             .Set(RpProp::kDisplayDescription, VXString(U"Ids for VALUEOF(VX_SESSION.NOT_DEFINED)"))
             .Set(RpProp::kDisplayDescriptionUse, true);
         return m.pcol;
       }},
      {"variable-initializer-broken", 39053, [](CleanModel& m) { return m.Add(kTIDARpVariable, U"EMPTY_VAR"); }},
  };
  for (const BreakCase& c : cases) {
    SCOPED_TRACE(c.check);
    CleanModel m;
    const Ref<ARpObject> culprit = c.breakIt(m);
    const std::vector<Finding> found = Findings(m.rp);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].check, c.check);
    EXPECT_EQ(found[0].id, c.id);
    EXPECT_EQ(found[0].object, culprit.GetID());
  }
}

// What a defined session variable or a bundle variable looks like is not a
// finding; only a name nothing defines is.
TEST(ConsistencyCheck, DescriptionVariablesThatAreDefinedAreNotReported) {
  for (const char32_t* description : {U"For VALUEOF(VX_SESSION.REGION)", U"VALUEOF(VX_SESSION.KEX_BUNDLE_TITLE)",
                                      U"No variable at all", U"VALUEOF(COMPANY) is a repository variable"}) {
    CleanModel m;
    Ref<ARpObject> block = m.rp.CreateObject(kTIDAInitBlock, U"Profile");
    Ref<AInitBlock>(block)->SetInitString(U"SELECT REGION FROM PROFILE");
    Ref<ARpObject> region = m.rp.CreateObject(kTIDARpVariable, U"REGION", block.GetID());
    Ref<ARpVariable>(region)->SetVariableType(ARpVariable::kSession);
    Ref<ARpVariable>(region)->SetExpr(ExprBuilder().Int(1).Build());
    Ref<AFolderAttr>(m.pcol)->SetDisplayDescription(description);
    Ref<AFolderAttr>(m.pcol)->SetDisplayDescriptionUse(true);
    EXPECT_TRUE(Findings(m.rp).empty()) << ToNarrow(description);
  }
}

// A variable's initializer: empty, naming a deleted object, or failing to
// render (a truth-value code outside its table) is reported; a plain value
// and a reference to a live object are not.
TEST(ConsistencyCheck, VariableInitializers) {
  struct Case {
    const char32_t* text;  // the initializer's text form; empty: none
    bool bReported;
  };
  for (const Case& c :
       {Case{U"", true}, Case{U"Truth(1,455)", true}, Case{U"Add(1,2)", false}, Case{U"'Bramble'", false}}) {
    CleanModel m;
    Ref<ARpObject> variable = m.rp.CreateObject(kTIDARpVariable, U"V");
    if (*c.text) Ref<ARpVariable>(variable)->SetExpr(ToStringVisitor::ExprFrom(c.text));
    const std::vector<Finding> found = Findings(m.rp);
    EXPECT_EQ(found.size(), c.bReported ? 1u : 0u) << ToNarrow(c.text);
    if (!found.empty()) {
      EXPECT_EQ(found[0].id, 39053u);
    }
  }
  CleanModel m;
  Ref<ARpObject> variable = m.rp.CreateObject(kTIDARpVariable, U"V");
  Ref<ARpVariable>(variable)->SetExpr(ExprBuilder().ID(m.colB.GetID()).Build());
  EXPECT_TRUE(Findings(m.rp).empty());
  m.rp.DeleteObject(m.colB.GetID());
  ASSERT_EQ(Findings(m.rp).size(), 1u);
  EXPECT_EQ(Findings(m.rp)[0].object, variable.GetID());
}

// The grand total level needs neither key nor columns; a level below it does.
TEST(ConsistencyCheck, GrandTotalLevelIsExempt) {
  CleanModel m;
  Ref<ARpObject> top = m.rp.CreateObject(kTIDALevel, U"All", m.dim.GetID());
  EXPECT_TRUE(Findings(m.rp).empty());
  Ref<ARpObject> below = m.rp.CreateObject(kTIDALevel, U"Nothing", top.GetID());
  const std::vector<Finding> found = Findings(m.rp);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].object, below.GetID());
  EXPECT_EQ(found[1].object, below.GetID());
  std::vector<MessageId> ids{found[0].id, found[1].id};
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<MessageId>{38011, 38026}));
}

// A check that throws on one object: one error about that object with the
// exception's text; the same check still runs on the other objects and the
// other checks on the failing object.
TEST(ConsistencyCheck, ThrowingCheckBecomesOneErrorAndTheRunGoesOn) {
  CleanModel m;
  Ref<ARpObject> extra = m.rp.CreateObject(kTIDATable, U"EXTRA", m.db.GetID());
  const VoidID failing = m.table.GetID();
  const std::vector<ConsistencyCheck> table = {
      {"explodes",
       38146,
       {kTIDATable},
       [failing](const CheckContext& c) {
         if (c.Object().GetID() == failing) throw std::runtime_error("index out of range at 7");
         c.Report({c.Object()});
       },
       "throws on one table",
       ""},
      {"reports",
       38146,
       {kTIDATable},
       [](const CheckContext& c) { c.Report({c.Object()}); },
       "reports every table",
       ""},
  };
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(m.rp, {}, table);
  ASSERT_EQ(found.size(), 4u);  // explodes on EXTRA, reports on both, one failure
  std::size_t failures = 0;
  for (const ConsistencyMessage& msg : found) {
    if (msg.GetMessageId() != kCheckFailedMessageId) continue;
    ++failures;
    EXPECT_EQ(msg.GetMainObject().GetID(), failing);
    EXPECT_EQ(msg.GetType(), MSG_ERROR);
    const std::string text = ToNarrow(msg.GetText(false));
    EXPECT_NE(text.find("explodes"), std::string::npos) << text;
    EXPECT_NE(text.find("index out of range at 7"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[38220]", 0), std::string::npos) << text;
  }
  EXPECT_EQ(failures, 1u);
  EXPECT_EQ(std::count_if(found.begin(), found.end(),
                          [&](const ConsistencyMessage& msg) { return msg.GetMainObject().GetID() == extra.GetID(); }),
            2);
}

// A finding whose message could not be written (an object missing) is the
// check's failure, not a record that throws when it is sorted or printed.
TEST(ConsistencyCheck, FindingThatCannotBeWrittenIsTheChecksFailure) {
  CleanModel m;
  const std::vector<ConsistencyCheck> table = {
      {"too-few", 38011, {kTIDATable}, [](const CheckContext& c) { c.Report({c.Object()}); }, "one of two objects", ""},
      {"null-object", 38146, {kTIDATable}, [](const CheckContext& c) { c.Report({Ref<ARpObject>()}); }, "null", ""},
  };
  const std::vector<ConsistencyMessage> found = RunConsistencyChecks(m.rp, {}, table);
  ASSERT_EQ(found.size(), 2u);
  for (const ConsistencyMessage& msg : found) {
    EXPECT_EQ(msg.GetMessageId(), kCheckFailedMessageId);
    EXPECT_EQ(msg.GetMainObject().GetID(), m.table.GetID());
    EXPECT_FALSE(msg.GetText(false).empty());
  }
  EXPECT_NE(ToNarrow(found[0].GetText(false) + found[1].GetText(false)).find("its message needs 2"), std::string::npos);
}

TEST(ConsistencyCheck, FindingsAreSortedAndFilteredByTypeAndScope) {
  CleanModel m;
  Ref<ARpObject> t1 = m.rp.CreateObject(kTIDATable, U"B_EMPTY", m.db.GetID());
  Ref<ARpObject> t2 = m.rp.CreateObject(kTIDATable, U"A_EMPTY", m.db.GetID());
  Ref<ARpObject> col = m.rp.CreateObject(kTIDAColumn, U"UNTYPED", m.table.GetID());
  const std::vector<ConsistencyMessage> all = RunConsistencyChecks(m.rp, {});
  ASSERT_EQ(all.size(), 3u);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  // Tables before columns (type id), and by unique number within a type.
  EXPECT_EQ(all[0].GetMainObject().GetID(), t1.GetID());
  EXPECT_EQ(all[1].GetMainObject().GetID(), t2.GetID());
  EXPECT_EQ(all[2].GetMainObject().GetID(), col.GetID());

  ConsistencyCheckOptions columnsOnly;
  columnsOnly.m_types = {kTIDAColumn};
  ASSERT_EQ(Findings(m.rp, columnsOnly).size(), 1u);
  EXPECT_EQ(Findings(m.rp, columnsOnly)[0].object, col.GetID());

  ConsistencyCheckOptions scoped;
  scoped.m_scope.emplace();
  scoped.m_scope->insert(t2.GetID());
  ASSERT_EQ(Findings(m.rp, scoped).size(), 1u);
  EXPECT_EQ(Findings(m.rp, scoped)[0].object, t2.GetID());
}

TEST(ConsistencyCheck, EveryCheckHasItsOwnIdAndMessage) {
  const std::vector<ConsistencyCheck>& table = ConsistencyCheckTable();
  EXPECT_GE(table.size(), 25u);
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(FindConsistencyCheck(table[i].m_id), &table[i]);
    // The message's text is built from objects (it has a recipe), so a
    // finding always has a text.
    EXPECT_TRUE(ConsistencyMessage::GetRecipeObjectCount(table[i].m_messageId).has_value()) << table[i].m_id;
    for (std::size_t j = i + 1; j < table.size(); ++j) {
      EXPECT_NE(table[i].m_messageId, table[j].m_messageId) << table[i].m_id << " " << table[j].m_id;
    }
  }
}

}  // namespace
