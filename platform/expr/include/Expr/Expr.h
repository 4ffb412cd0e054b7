// Expr: a repository expression, a tree of tokens kept as one byte string in
// prefix order, plus the format string that the user typed.
//
//   Expr e = ExprBuilder().Op(kAdd).Int(1).ID(VoidID(3001, 42)).End().Build();
//   for (AExpr::Iterator it = e.Begin(); it != e.End(); ++it) { ... }  // one root
//   e.Accept(visitor);     // SetTargetExpr(&e), then the root token's Visit
//
// Token layout (all integers big-endian):
//   bytes 0-1   type code: a leaf TokenType (0-11) or an operator OpCode (300-576)
//   byte 2..    leaf payload (int32, uint32, string, 8-byte stored VoidID, ...)
//               or, for an operator, uint32 operand count and uint32 byte length
//               of the operands that follow, so ++ skips a whole operand in O(1).
//
// Bytes handed in from elsewhere (SetTokenBytes, the constructor from bytes)
// are validated once, in full and without recursion; a corrupt expression
// throws BlobDecodeError with the byte offset. Walks over a valid expression
// then need no further checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "Expr/TokenLayout.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"

class BaseToken;
class TokenVisitor;

class AExpr {
 public:
  // A position inside an expression's token bytes. ++ steps over the whole
  // token at the position, its operands included.
  class Iterator {
   public:
    Iterator() = default;
    Iterator(const uint8* pos, const uint8* end) : m_pos(pos), m_end(end) {}

    // The bytes of the token at this position.
    const uint8* operator*() const { return m_pos; }
    Iterator& operator++() {
      const std::size_t n = ExprLayout::TokenLengthWithin(m_pos, m_end);
      if (n == 0) return StepChecked();
      m_pos += n;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++*this;
      return old;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.m_pos == b.m_pos; }

    const uint8* Position() const { return m_pos; }
    const uint8* Limit() const { return m_end; }
    // Bytes of the token at this position, operands included.
    std::size_t TokenLength() const;

   private:
    // ++ over a token the inline reader could not measure: asserts or
    // throws BlobDecodeError saying what is wrong.
    Iterator& StepChecked();

    const uint8* m_pos = nullptr;
    const uint8* m_end = nullptr;
  };

  virtual ~AExpr() = default;

  virtual Iterator Begin() const = 0;
  virtual Iterator End() const = 0;
  // Number of tokens (nodes); 0 for an empty expression.
  virtual std::size_t Size() const = 0;
  // Calls visitor.SetTargetExpr(this), then dispatches the root token.
  // Does nothing for an empty expression.
  virtual void Accept(TokenVisitor& visitor) = 0;
  virtual const VXString& GetFormatStr() const = 0;
  virtual void SetFormatStr(const VXString& formatStr) = 0;

  // The token object for the token at pos; end bounds the read.
  BaseToken& GetToken(const Iterator& pos, const Iterator& end) const;
};

class Expr : public AExpr {
 public:
  Expr() = default;
  // Takes foreign token bytes: validates them in full (throws BlobDecodeError).
  explicit Expr(ByteVector tokenBytes, VXString formatStr = {});
  Expr(const Expr&) = default;
  Expr(Expr&&) noexcept = default;
  Expr& operator=(const Expr&) = default;
  Expr& operator=(Expr&&) noexcept = default;
  ~Expr() override = default;

  Iterator Begin() const override;
  Iterator End() const override;
  std::size_t Size() const override { return m_tokenCount; }
  void Accept(TokenVisitor& visitor) override;
  const VXString& GetFormatStr() const override { return m_formatStr; }
  void SetFormatStr(const VXString& formatStr) override { m_formatStr = formatStr; }

  // Same tokens and same format string (the count and depth follow from the tokens).
  friend bool operator==(const Expr& a, const Expr& b) {
    return a.m_tokens == b.m_tokens && a.m_formatStr == b.m_formatStr;
  }

  const ByteVector& GetTokenBytes() const { return m_tokens; }
  // Replaces the tokens with foreign bytes, validated in full first; on error
  // the expression is left unchanged.
  void SetTokenBytes(ByteVector tokenBytes);
  bool IsEmpty() const { return m_tokens.empty(); }

  // Type code of the root token (a TokenType or an OpCode); -1 when empty.
  int GetExpressionTokenType() const;
  // Tokens on the longest path from the root to a leaf; 0 when empty.
  // Recursive walkers can refuse expressions deeper than their stack allows.
  std::size_t GetNestingDepth() const { return m_depth; }

  // Ids of the objects the expression refers to, in token order. With
  // bUnique each id is reported once, at its first occurrence.
  void GetObjectIDsInExpr(VoidIDVector& ids, bool bUnique) const;

  // The objects the expression refers to. Ids are collected here; turning
  // them into objects is the object model's business, so the object model
  // supplies the specialization for its gateway and handle vector.
  template <class Gateway, class ObjectVector>
  void GetObjectsInExpr(Gateway* pRp, ObjectVector& objects, bool bUnique) const;

 private:
  friend class ExprBuilder;
  // For bytes already known to be well formed (the builder).
  struct TrustedTag {};
  Expr(TrustedTag, ByteVector tokenBytes, std::size_t tokenCount, std::size_t depth)
      : m_tokens(std::move(tokenBytes)), m_tokenCount(tokenCount), m_depth(depth) {}

  ByteVector m_tokens;
  VXString m_formatStr;
  std::size_t m_tokenCount = 0;
  std::size_t m_depth = 0;
};
