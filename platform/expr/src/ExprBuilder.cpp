#include "Expr/ExprBuilder.h"

#include <stdexcept>
#include <string>

#include "Expr/Tokens.h"
#include "ExprLayout.h"

using ExprLayout::FitsShape;
using ExprLayout::ShapeName;

void ExprBuilder::BeginToken(int code) {
  if (m_stack.empty()) {
    if (m_bRootDone) throw std::invalid_argument("expression already has its root; a second one cannot follow");
  } else {
    Frame& top = m_stack.back();
    const OpInfo& info = *GetOpInfo(top.code);
    if (info.maxArgs >= 0 && top.count >= static_cast<std::uint32_t>(info.maxArgs)) {
      throw std::invalid_argument(std::string(info.name) + " takes at most " + std::to_string(info.maxArgs) +
                                  " operands");
    }
    if (top.count < info.shape.size() && !FitsShape(info.shape[top.count], code)) {
      throw std::invalid_argument("operand " + std::to_string(top.count + 1) + " of " + std::string(info.name) +
                                  " must be " + ShapeName(info.shape[top.count]));
    }
    ++top.count;
  }
  ++m_tokenCount;
}

ExprBuilder& ExprBuilder::Op(OpCode code) {
  if (GetOpInfo(code) == nullptr) throw std::invalid_argument("no operator has code " + std::to_string(code));
  BeginToken(code);
  m_stack.push_back(Frame{m_bytes.size(), 0, code});
  ExprLayout::PutCode(m_bytes, code);
  ExprLayout::PutU32(m_bytes, 0);
  ExprLayout::PutU32(m_bytes, 0);
  NoteDepth(m_stack.size());
  return *this;
}

ExprBuilder& ExprBuilder::End() {
  if (m_stack.empty()) throw std::invalid_argument("End without an open operator");
  const Frame top = m_stack.back();
  const OpInfo& info = *GetOpInfo(top.code);
  if (static_cast<std::int64_t>(top.count) < info.minArgs) {
    throw std::invalid_argument(std::string(info.name) + " needs at least " + std::to_string(info.minArgs) +
                                " operands, has " + std::to_string(top.count));
  }
  const std::size_t operandBytes = m_bytes.size() - top.headerOffset - ExprLayout::kOpHeaderBytes;
  if (operandBytes > UINT32_MAX) throw std::invalid_argument(std::string(info.name) + " operands exceed 4 GB");
  ExprLayout::SetU32(m_bytes.data() + top.headerOffset + 2, top.count);
  ExprLayout::SetU32(m_bytes.data() + top.headerOffset + 6, static_cast<std::uint32_t>(operandBytes));
  m_stack.pop_back();
  if (m_stack.empty()) m_bRootDone = true;
  return *this;
}

#define SMUTIL_LEAF(Method, Type, Code, Call)       \
  ExprBuilder& ExprBuilder::Method(Type value) {    \
    const std::size_t before = m_bytes.size();      \
    BeginToken(Code);                               \
    try {                                           \
      Call;                                         \
    } catch (...) {                                 \
      m_bytes.resize(before);                       \
      if (!m_stack.empty()) --m_stack.back().count; \
      --m_tokenCount;                               \
      throw;                                        \
    }                                               \
    NoteDepth(m_stack.size() + 1);                  \
    if (m_stack.empty()) m_bRootDone = true;        \
    return *this;                                   \
  }

SMUTIL_LEAF(Symbol, const VXString&, BaseToken::kSymbol, SymbolToken::Init(m_bytes, value))
SMUTIL_LEAF(QualifiedSymbol, const VXStringVector&, BaseToken::kQualifiedSymbol,
            QualifiedSymbolToken::Init(m_bytes, value))
SMUTIL_LEAF(ID, const VoidID&, BaseToken::kID, IDToken::Init(m_bytes, value))
SMUTIL_LEAF(Float, double, BaseToken::kFloat, FloatToken::Init(m_bytes, value))
SMUTIL_LEAF(Int, std::int32_t, BaseToken::kInt, IntToken::Init(m_bytes, value))
SMUTIL_LEAF(String, const VXString&, BaseToken::kVXString, VXStringToken::Init(m_bytes, value))
SMUTIL_LEAF(Date, const VXDate&, BaseToken::kVXDate, VXDateToken::Init(m_bytes, value))
SMUTIL_LEAF(Time, const VXTime&, BaseToken::kVXTime, VXTimeToken::Init(m_bytes, value))
SMUTIL_LEAF(DateTime, const VXDateTime&, BaseToken::kVXDateTime, VXDateTimeToken::Init(m_bytes, value))
SMUTIL_LEAF(Subquery, const ByteVector&, BaseToken::kSubquery, SubqueryToken::Init(m_bytes, value))
SMUTIL_LEAF(ZirconNumber, const std::string&, BaseToken::kZirconNumber, ZirconNumberToken::Init(m_bytes, value))
#undef SMUTIL_LEAF

ExprBuilder& ExprBuilder::Append(const Expr& expr) {
  if (expr.IsEmpty()) throw std::invalid_argument("cannot append an empty expression");
  BeginToken(expr.GetExpressionTokenType());
  m_tokenCount += expr.Size() - 1;
  NoteDepth(m_stack.size() + expr.GetNestingDepth());
  const ByteVector& bytes = expr.GetTokenBytes();
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  if (m_stack.empty()) m_bRootDone = true;
  return *this;
}

Expr ExprBuilder::Build() {
  if (!m_stack.empty()) {
    throw std::invalid_argument(std::to_string(m_stack.size()) + " operator(s) still open, innermost " +
                                std::string(GetOpInfo(m_stack.back().code)->name));
  }
  Expr result(Expr::TrustedTag{}, std::move(m_bytes), m_tokenCount, m_depth);
  *this = ExprBuilder();
  return result;
}
