// Arbitrary text for the expression parser: it either refuses it with
// ExprTextError or accepts it, and then writing and parsing again is stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Expr/ToStringVisitor.h"
#include "Utility/DataBlobUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const VXString text = ToVXString(std::string_view(reinterpret_cast<const char*>(data), size));
  Expr expr;
  try {
    expr = ToStringVisitor::ExprFrom(text);
  } catch (const ExprTextError&) {
    return 0;
  }
  const VXString written = ToStringVisitor::StringFrom(expr);
  const Expr back = ToStringVisitor::ExprFrom(written);
  if (back.GetTokenBytes() != expr.GetTokenBytes()) std::abort();
  if (ToStringVisitor::StringFrom(back) != written) std::abort();
  // The bytes are also acceptable as foreign bytes, except where an operator
  // parameter is out of its table: the text writes parameters as plain
  // numbers and leaves them to the checks that foreign bytes get.
  try {
    if (Expr(expr.GetTokenBytes()).Size() != expr.Size()) std::abort();
  } catch (const BlobDecodeError&) {
  }
  return 0;
}
