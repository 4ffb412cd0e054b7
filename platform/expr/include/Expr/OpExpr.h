// Operator classes and the operator visitor, all generated from the one list
// in OpExprList.h.
//
//   AExpr::Iterator it = expr.Begin();                       // an operator token
//   OpExpr& op = OpCodeToken::Instance().GetOpExpr(it);
//   int n = op.GetArgCount(it);
//   AExpr::Iterator arg = op.GetArgIterator(0, it, 2147483647);   // first operand
//   ++arg;                                                    // the second one
//   op.Accept(opVisitor, it);               // opVisitor.Visit(OpExprAdd&, it) ...
//
// Like tokens, operator objects are stateless: one per class.
#pragma once

#include <cstdint>
#include <limits>

#include "Expr/Expr.h"
#include "Expr/OpCode.h"
#include "Expr/OpExprList.h"
#include "Utility/VXString.h"

class OpExprVisitor;

class OpExpr {
 public:
  virtual ~OpExpr() = default;
  virtual void Accept(OpExprVisitor& visitor, AExpr::Iterator& position) = 0;
  virtual OpCode GetOpCode() const = 0;
  const OpInfo& GetOpInfo() const;

  // Number of operands of the operator token at pos.
  int GetArgCount(const AExpr::Iterator& pos) const {
    const uint8* p = pos.Position();
    if (!HasHeaderAt(pos) || ExprLayout::ReadCode(p) != GetOpCode()) ReportNotThisOperator();
    return static_cast<int>(ExprLayout::ReadU32(p + 2));
  }
  // The same for whichever operator's token is at pos (the caller read its
  // code); a position that holds no operator header is a logic error.
  static int ArgCountAt(const AExpr::Iterator& pos) {
    if (!HasHeaderAt(pos) || !ExprLayout::IsOperatorCode(ExprLayout::ReadCode(pos.Position()))) {
      ReportNotThisOperator();
    }
    return static_cast<int>(ExprLayout::ReadU32(pos.Position() + 2));
  }
  // The position of the first operand of the operator token at pos, whose
  // count was read (GetArgCount, ArgCountAt) and is not 0.
  static AExpr::Iterator FirstOperand(const AExpr::Iterator& pos) {
    return AExpr::Iterator(pos.Position() + ExprLayout::kOpHeaderBytes, pos.Limit());
  }
  // The position of operand `index` of the operator token at pos; pos itself
  // is left alone. `limit` caps the index the caller may ask for (callers
  // pass 2147483647). An index outside the operands is a logic error
  // (VXAssertException). Steps over index operands, each in constant time.
  [[nodiscard]] AExpr::Iterator GetArgIterator(int index, const AExpr::Iterator& pos, int limit) const;

 protected:
  OpExpr() = default;
  static bool HasHeaderAt(const AExpr::Iterator& pos) {
    const uint8* p = pos.Position();
    return p != nullptr && p < pos.Limit() && static_cast<std::size_t>(pos.Limit() - p) >= ExprLayout::kOpHeaderBytes;
  }
  [[noreturn]] static void ReportNotThisOperator();
  OpExpr(const OpExpr&) = delete;
  OpExpr& operator=(const OpExpr&) = delete;
};

// Values a few operator classes carry besides their code.
template <int Code>
struct OpExprStatics {};

template <>
struct OpExprStatics<kValueOfSession> {
  // The prefix of session variables: VALUEOF(VX_SESSION."name").
  static inline const VXString VX_SESSION{U"VX_SESSION"};
};

// The optional distance operand of ISANCESTOR / ISDESCENDANT holds this value
// when the user gave none. The smallest int32 is never a real distance.
template <>
struct OpExprStatics<kIsAncestor> {
  static constexpr std::int32_t kDummyIntLiteral = std::numeric_limits<std::int32_t>::min();
};
template <>
struct OpExprStatics<kIsDescendant> {
  static constexpr std::int32_t kDummyIntLiteral = std::numeric_limits<std::int32_t>::min();
};

template <>
struct OpExprStatics<kMultiRank> {
  enum RankDirection : std::int32_t { kError = 0, kDESC = 1, kASC = 2 };
};

template <>
struct OpExprStatics<kBin> {
  enum BinReturnSpec : std::int32_t { kNUMBER = 0, kRANGE = 1, kRANGE_LOW = 2, kRANGE_HIGH = 3 };
};

struct BinningEnum {
  enum BinBucketingStrategy : std::int32_t { kEQUIDEPTH = 0, kEQUIWIDTH = 1 };
};

#define SMUTIL_OPEXPR_CLASS(Class, Name, Code, Min, Max, Shape)              \
  class Class : public OpExpr, public OpExprStatics<Code> {                  \
   public:                                                                   \
    static Class& Instance();                                                \
    void Accept(OpExprVisitor& visitor, AExpr::Iterator& position) override; \
    OpCode GetOpCode() const override { return k##Name; }                    \
                                                                             \
   private:                                                                  \
    Class() = default;                                                       \
  };
SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_CLASS)
#undef SMUTIL_OPEXPR_CLASS

// The operator object for an operator code; nullptr when none.
OpExpr* GetOpExprForCode(int code);

// One Visit per operator class, in the list's slot order.
class OpExprVisitor {
 public:
  virtual ~OpExprVisitor() = default;
#define SMUTIL_OPEXPR_VISIT(Class, Name, Code, Min, Max, Shape) \
  virtual void Visit(Class& token, AExpr::Iterator& opContext) = 0;
  SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_VISIT)
#undef SMUTIL_OPEXPR_VISIT
};
