// Fuzz target: logical SQL rendering of arbitrary token bytes.
//
// The bytes go through the expression model's validation first; a decode
// error is an acceptable answer. A valid expression is then rendered in the
// plain mode without a repository, fully qualified against a small
// repository whose ids the input may hit (3003:1.., 2006:1.., 3031:1..), and
// by id. The renderer may refuse with one of its documented exceptions
// (broken parameter codes, too deep, not supported yet, subquery bytes that
// do not decode); anything else, a
// crash, a hang or a read past the end is a finding.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "Expr/Expr.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXThread.h"
#include "objectmodel/RpBuilder.h"

namespace {

ARpGateway& Repository() {
  static ARpGateway* rp = [] {
    auto* g = new ARpGateway();
    RpBuilder b(*g);
    auto orders = b.Add(kTIDADatabase, U"Sales DB").Child(kTIDATable, U"Orders");
    orders.Child(kTIDAColumn, U"Amount");
    orders.Child(kTIDAColumn, U"select");
    auto fact = b.Add(kTIDASubjectArea, U"Retail").Child(kTIDALogicalTable, U"Fact");
    fact.Child(kTIDAAttribute, U"Revenue");
    fact.Child(kTIDAAttribute, U"Unit \"Price\"");
    Ref<ARpVariable>(b.Add(kTIDARpVariable, U"CurDay").Obj())->SetVariableType(ARpVariable::kDynamic);
    return g;
  }();
  return *rp;
}

void RenderAll(Expr& expr) {
  try {
    ToPrettyStringVisitor::SimpleStringFrom(expr, nullptr);
  } catch (const VXAssertException&) {
  } catch (const RenderNotSupportedError&) {
  } catch (const VXStackOverflowException&) {
  } catch (const BlobDecodeError&) {  // a subquery's bytes that are no query spec
  }
  try {
    ToPrettyStringVisitor::StringFrom(expr, &Repository(), true, true, false, false, false);
    ToPrettyStringVisitor::StringFromWithoutSingleQuote(expr, &Repository());
    ToPrettyStringVisitor::StringFrom(expr, &Repository(), false, false, false, true, false);
  } catch (const VXAssertException&) {
  } catch (const RenderNotSupportedError&) {
  } catch (const VXStackOverflowException&) {
  } catch (const BlobDecodeError&) {  // a subquery's bytes that are no query spec
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
  RenderAll(*expr);
  return 0;
}
