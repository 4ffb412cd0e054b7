// Fuzz target: logical SQL rendering of arbitrary token bytes.
//
// The bytes go through the expression model's validation first; a decode
// error is an acceptable answer. A valid expression is then rendered in
// every naming mode: the plain flags in all their combinations (with and
// without a repository), by catalog folder, re-parented, by presentation
// table names, with renamed databases, by id-to-text map, with ids mapped
// to other ids, and without literal quotes, against a small repository
// whose ids the input may hit (3003:1.., 3004:1.., 2006:1.., 4010:1..,
// 3031:1.., 3033:1..), with display names switched on, a logical column shown
// in the catalog and a column the user may not read. Every GetFormatExpr
// overload shows a format string stored through SetFormatExpr. The renderer
// may refuse only with the errors it documents for valid input (too deep,
// subquery bytes that are no query spec). An assertion means validation let through an expression the
// renderer cannot write: a finding, as are a crash, a hang or a read past
// the end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "Expr/Expr.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"
#include "objectmodel/RpBuilder.h"

namespace {

struct Fixture {
  ARpGateway rp;
  Ref<ACatalogFolder> area;
  Ref<ARpObject> oldParent;
  VoidID column;
};

Fixture& Repository() {
  static Fixture* f = [] {
    auto* fx = new Fixture();
    RpBuilder b(fx->rp);
    auto orders = b.Add(kTIDADatabase, U"Sales DB").Child(kTIDATable, U"Orders");
    fx->column = orders.Child(kTIDAColumn, U"Amount");
    orders.Child(kTIDAColumn, U"select");
    fx->oldParent = fx->rp.GetObject(orders);
    auto fact = b.Add(kTIDASubjectArea, U"Retail").Child(kTIDALogicalTable, U"Fact");
    const VoidID revenue = fact.Child(kTIDAAttribute, U"Revenue");
    const VoidID price = fact.Child(kTIDAAttribute, U"Unit \"Price\"");
    auto area = b.Add(kTIDACatalogFolder, U"Sales");
    auto table = area.Child(kTIDAEntityFolder, U"Orders");
    const VoidID shown = table.Child(kTIDAFolderAttr, U"Amount");
    const VoidID hidden = table.Child(kTIDAFolder, U"Inner").Child(kTIDAFolderAttr, U"Price");
    b.Relate(RpRel::kLogicalToPresentationColumn, {revenue, shown});
    b.Relate(RpRel::kLogicalToPresentationColumn, {price, hidden});
    b.At(area).Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, U"Ventes");
    b.At(shown).Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, U"Montant");
    fx->rp.DenyRead(hidden);
    fx->area = Ref<ACatalogFolder>(fx->rp.GetObject(area));
    Ref<ARpVariable>(b.Add(kTIDARpVariable, U"CurDay").Obj())->SetVariableType(ARpVariable::kDynamic);
    auto block = b.Add(kTIDASessionVariableBlock, U"Init");
    Ref<ARpVariable>(block.Child(kTIDARpVariable, U"Region").Obj())->SetVariableType(ARpVariable::kSession);
    return fx;
  }();
  return *f;
}

// Stores the user's text (the rendering with a name or two changed, and the
// fully qualified rendering) and shows it in every mode.
void ShowFormatStrings(const Expr& original) {
  Fixture& f = Repository();
  ARpGateway* rp = &f.rp;
  for (bool bFullyQualified : {false, true}) {
    Expr expr = original;
    VXString text = ToPrettyStringVisitor::StringFrom(expr, rp, false, bFullyQualified, false, false, false);
    text += U" /* 'it''s' */";
    ToPrettyStringVisitor::SetFormatExpr(expr, rp, text);
    for (int flags = 0; flags < 32; flags += 3) {
      ToPrettyStringVisitor::GetFormatExpr(expr, rp, flags & 1, flags & 2, flags & 4, flags & 8, flags & 16);
    }
    for (bool b : {false, true}) {
      ToPrettyStringVisitor::GetFormatExpr(expr, rp, f.area, b);
      ToPrettyStringVisitor::GetFormatExpr(expr, rp, f.oldParent, QualifiedName{U"Retail", U"Fact"}, b);
      ToPrettyStringVisitor::GetFormatExpr(
          expr, rp, QualifiedNameIDPairVector{QualifiedNameIDPair(QualifiedName{U"Sales", U"Orders"}, f.column)}, b);
      ToPrettyStringVisitor::GetFormatExpr(expr, rp, OldDatabaseNameToNewDatabaseNameMap{{U"Sales DB", U"DW"}}, b);
    }
    ToPrettyStringVisitor::GetFormatExpr(expr, rp, VoidIDVXStringMap{{f.column, U"x"}});
  }
}

void RenderEveryMode(const Expr& expr) {
  Fixture& f = Repository();
  ARpGateway* rp = &f.rp;
  ToPrettyStringVisitor::SimpleStringFrom(expr, nullptr);
  ToPrettyStringVisitor::SimpleStringFrom(expr, rp);
  for (int flags = 0; flags < 32; ++flags) {
    ToPrettyStringVisitor::StringFrom(expr, rp, flags & 1, flags & 2, flags & 4, flags & 8, flags & 16);
  }
  ToPrettyStringVisitor::StringFromWithoutSingleQuote(expr, rp);
  for (bool b : {false, true}) {
    ToPrettyStringVisitor::StringFrom(expr, rp, f.area, b);
    ToPrettyStringVisitor::StringFrom(expr, rp, f.oldParent, QualifiedName{U"New DB", U"", U"", U"Orders"}, b);
    ToPrettyStringVisitor::StringFrom(expr, rp, f.oldParent, QualifiedName{U"Retail", U"Fact"}, b);
    ToPrettyStringVisitor::StringFrom(
        expr, rp, QualifiedNameIDPairVector{QualifiedNameIDPair(QualifiedName{U"Sales", U"Orders"}, f.column)}, b);
    ToPrettyStringVisitor::StringFrom(expr, rp, OldDatabaseNameToNewDatabaseNameMap{{U"Sales DB", U"DW"}}, b);
  }
  ToPrettyStringVisitor::StringFrom(expr, rp, VoidIDVXStringMap{{f.column, U"\"Amount\""}});
  ToPrettyStringVisitor::Expr2StringFromExpr1(expr, rp, VoidIDToVoidIDMap{{f.column, VoidID(kTIDAColumn, 99)}});
  ShowFormatStrings(expr);
  if (!ToPrettyStringVisitor::AreExprStringsEqual(expr, expr, rp)) {
    std::fprintf(stderr, "an expression does not read like itself\n");
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<Expr> expr;
  try {
    expr = std::make_unique<Expr>(ByteVector(data, data + size));
  } catch (const BlobDecodeError&) {
    return 0;
  }
  try {
    RenderEveryMode(*expr);
  } catch (const VXStackOverflowException&) {
  } catch (const BlobDecodeError&) {  // a subquery's bytes that are no query spec
  } catch (const VXAssertException& e) {
    std::fprintf(stderr, "assertion while rendering a validated expression: %s\n", e.what());
    std::abort();
  }
  return 0;
}
