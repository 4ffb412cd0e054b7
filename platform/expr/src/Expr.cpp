#include "Expr/Expr.h"

#include <iterator>
#include <unordered_set>

#include "Expr/Tokens.h"
#include "ExprLayout.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"

AExpr::Iterator& AExpr::Iterator::StepChecked() {
  if (m_pos == nullptr || m_pos >= m_end) {
    VXAssert::handleAssert("platform/expr/src/Expr.cpp", __LINE__, "m_pos < m_end");
  }
  m_pos += ExprLayout::CheckedTokenLength(m_pos, m_pos, m_end);
  return *this;
}

std::size_t AExpr::Iterator::TokenLength() const {
  if (m_pos == nullptr || m_pos >= m_end) return 0;
  return ExprLayout::CheckedTokenLength(m_pos, m_pos, m_end);
}

BaseToken& AExpr::GetToken(const Iterator& pos, const Iterator& end) const {
  const uint8* p = pos.Position();
  const uint8* e = end.Position();
  if (p == nullptr || p >= e || static_cast<std::size_t>(e - p) < ExprLayout::kCodeBytes) {
    VXAssert::handleAssert("platform/expr/src/Expr.cpp", __LINE__, "pos < end");
  }
  // The leaf singletons by type code, gathered once; every walk asks here
  // for every token.
  static BaseToken* const kLeaves[] = {&SymbolToken::Instance(),
                                       &QualifiedSymbolToken::Instance(),
                                       &IDToken::Instance(),
                                       &FloatToken::Instance(),
                                       &IntToken::Instance(),
                                       &VXStringToken::Instance(),
                                       nullptr,
                                       &VXDateToken::Instance(),
                                       &VXTimeToken::Instance(),
                                       &VXDateTimeToken::Instance(),
                                       &SubqueryToken::Instance(),
                                       &ZirconNumberToken::Instance()};
  static_assert(BaseToken::kSymbol == 0 && BaseToken::kQualifiedSymbol == 1 && BaseToken::kID == 2 &&
                BaseToken::kFloat == 3 && BaseToken::kInt == 4 && BaseToken::kVXString == 5 &&
                BaseToken::kOpCode == 6 && BaseToken::kVXDate == 7 && BaseToken::kVXTime == 8 &&
                BaseToken::kVXDateTime == 9 && BaseToken::kSubquery == 10 && BaseToken::kZirconNumber == 11);
  const int code = ExprLayout::ReadCode(p);
  if (code < static_cast<int>(std::size(kLeaves)) && kLeaves[code]) return *kLeaves[code];
  if (ExprLayout::IsOperatorCode(code)) return OpCodeToken::Instance();
  throw BlobDecodeError("unknown token type code " + std::to_string(code), 0);
}

Expr::Expr(ByteVector tokenBytes, VXString formatStr) : m_formatStr(std::move(formatStr)) {
  SetTokenBytes(std::move(tokenBytes));
}

void Expr::SetTokenBytes(ByteVector tokenBytes) {
  const auto result = ExprLayout::Validate(tokenBytes.data(), tokenBytes.data() + tokenBytes.size());
  m_tokens = std::move(tokenBytes);
  m_tokenCount = result.tokenCount;
  m_depth = result.depth;
}

AExpr::Iterator Expr::Begin() const { return Iterator(m_tokens.data(), m_tokens.data() + m_tokens.size()); }

AExpr::Iterator Expr::End() const {
  const uint8* end = m_tokens.data() + m_tokens.size();
  return Iterator(end, end);
}

void Expr::Accept(TokenVisitor& visitor) {
  visitor.SetTargetExpr(this);
  if (m_tokens.empty()) return;
  Iterator root = Begin();
  GetToken(root, End()).Accept(visitor, root);
}

int Expr::GetExpressionTokenType() const {
  if (m_tokens.empty()) return -1;
  return ExprLayout::ReadCode(m_tokens.data());
}

void Expr::GetObjectIDsInExpr(VoidIDVector& ids, bool bUnique) const {
  std::unordered_set<VoidID> seen;
  const uint8* p = m_tokens.data();
  const uint8* end = p + m_tokens.size();
  // Prefix order visits every token once, without recursion.
  while (p < end) {
    if (ExprLayout::ReadCode(p) == BaseToken::kID) {
      const VoidID id = SORpPortable::PStoredVoidIDFormatToVoidID(p + ExprLayout::kCodeBytes);
      if (!bUnique || seen.insert(id).second) ids.push_back(id);
    }
    p += ExprLayout::PrefixStep(p);
  }
}
