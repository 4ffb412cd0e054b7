// Arbitrary token bytes: validation either refuses them with BlobDecodeError
// or accepts them, and then every walk over them is safe and the text form
// reads back to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "Expr/Expr.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"
#include "Expr/VoidIDCollector.h"
#include "Utility/DataBlobUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Expr expr;
  try {
    expr = Expr(ByteVector(data, data + size));
  } catch (const BlobDecodeError&) {
    return 0;
  }
  VoidIDCollector ids(false);
  expr.Accept(ids);
  VoidIDVector direct;
  expr.GetObjectIDsInExpr(direct, false);
  if (direct != ids.GetVoidIDs()) std::abort();

  // Step over the operands of every operator on the leftmost path.
  for (AExpr::Iterator it = expr.Begin(); it != expr.End();) {
    if (GetTokenTypeCode(it) < kFirstOpCode) break;
    OpExpr& op = OpCodeToken::Instance().GetOpExpr(it);
    const int n = op.GetArgCount(it);
    if (n == 0) break;
    AExpr::Iterator arg = op.GetArgIterator(0, it, 2147483647);
    for (int i = 1; i < n; ++i) ++arg;
    it = op.GetArgIterator(0, it, 2147483647);
  }

  const VXString text = ToStringVisitor::StringFrom(expr);
  const Expr back = ToStringVisitor::ExprFrom(text);
  if (back.GetTokenBytes() != expr.GetTokenBytes()) std::abort();
  return 0;
}
