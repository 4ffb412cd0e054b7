// Shared by the SMPrettyStringVisitor*.cpp sources: the operand cursor that
// every operator body walks with, and the source path of assertions.
#pragma once

#include <array>
#include <climits>
#include <span>
#include <string_view>

#include "Expr/OpExpr.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Utility/VXAssert.h"

namespace pretty_detail {

inline constexpr const char* kSrc = "server/Metadata/Src/SMPrettyStringVisitor.cpp";

// The words of an operator with a Visit body of its own, from the operator
// table in SMPrettyStringVisitorOperators.cpp: its opening, then the
// keywords its body writes between operands, in the order the table gives.
using OwnBodyWords = ToPrettyStringVisitor::OwnBodySpelling;
// The row of code; an operator without one is a broken invariant.
const OwnBodyWords& WordsOf(int code);
// The words BIN writes for its bucketing strategy (the default is
// unwritten: an empty text) and BIN and WIDTH_BUCKET for what they return;
// the logical SQL parser reads them back from here.
std::span<const ToPrettyStringVisitor::ParameterSpelling> BinStrategySpellings();
std::span<const ToPrettyStringVisitor::ParameterSpelling> BinReturnSpellings();
// A subquery writer for this thread alone, taking precedence over the one
// installed for every thread while it is set (null: none). The logical SQL
// writer sets it while it writes a statement, so that subqueries inside its
// expressions come out in its own grammar and no other thread's rendering
// sees it.
ToPrettyStringVisitor::SubqueryWriter SetThreadSubqueryWriter(ToPrettyStringVisitor::SubqueryWriter writer);
ToPrettyStringVisitor::SubqueryWriter ThreadSubqueryWriter();

// The operands of one operator, in stored order. The cursor knows how many
// there are, so no body can step onto a sibling's tokens whatever counts an
// operand claims (MULTI-RANK's column count, the member count of a hierarchy
// list): asking for an operand that is not there is a broken invariant.
class Operands {
 public:
  // Keeps its own position, starting on the first operand (when there is
  // one): a cursor read straight after its own update stays in registers.
  Operands(OpExpr& op, AExpr::Iterator& opContext) : m_pos(opContext), m_count(op.GetArgCount(opContext)) {
    if (m_count > 0) m_pos = OpExpr::FirstOperand(opContext);
  }
  // The same for the operator at opContext, whichever it is.
  explicit Operands(AExpr::Iterator& opContext) : m_pos(opContext), m_count(OpExpr::ArgCountAt(opContext)) {
    if (m_count > 0) m_pos = OpExpr::FirstOperand(opContext);
  }
  int Count() const { return m_count; }
  // Index of the operand at the position; Count() when all were taken.
  int Index() const { return m_index; }
  int Left() const { return m_count - m_index; }
  bool AtEnd() const { return m_index >= m_count; }
  // The position of the current operand.
  const AExpr::Iterator& At() const {
    if (AtEnd()) VXAssert::handleAssert(kSrc, __LINE__, "operand index < operand count");
    return m_pos;
  }
  // The current operand's position; the cursor moves to the next one.
  AExpr::Iterator Take() {
    AExpr::Iterator here = At();
    ++m_index;
    // Stepping off the last operand is not needed, and would leave the
    // expression when the operator is its last token.
    if (m_index < m_count) ++m_pos;
    return here;
  }

 private:
  AExpr::Iterator m_pos;
  int m_count;
  int m_index = 0;
};

}  // namespace pretty_detail
