// Token classes and the token visitor.
//
// Token objects are stateless: there is one object per class, and every
// accessor is given the position of the token it reads.
//
//   AExpr::Iterator it = expr.Begin();
//   BaseToken& tok = expr.GetToken(it, expr.End());
//   if (auto* i = dynamic_cast<IntToken*>(&tok)) value = i->GetValue(it);
//   tok.Accept(visitor, it);      // visitor.Visit(IntToken&, it)
//
// Payloads (after the two type-code bytes, integers big-endian):
//   Symbol, VXString    string: uint32 byte count + UTF-8
//   QualifiedSymbol     uint32 count + that many strings
//   ID                  8-byte stored VoidID
//   Float               8-byte IEEE-754 double
//   Int                 int32
//   VXDate              int32 year, byte month, byte day
//   VXTime              byte hour, byte minute, byte second, uint32 nanosecond
//   VXDateTime          VXDate payload then VXTime payload
//   Subquery            uint32 byte count + the query spec's bytes
//   ZirconNumber        string holding decimal digits ("-12.50E+3")
//   operator (OpCode)   uint32 operand count, uint32 byte length of the operands
//
// An accessor given a position that does not hold its kind of token raises
// VXAssertException; a payload running past the iterator's limit raises
// BlobDecodeError.
#pragma once

#include <cstdint>
#include <string>

#include "Expr/Expr.h"
#include "Expr/OpCode.h"
#include "Utility/VXDateTime.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"

class TokenVisitor;
class OpExpr;

class BaseToken {
 public:
  // Leaf type codes (bytes 0-1 of a leaf token). An operator token carries its
  // OpCode there instead; kOpCode is only the class tag of OpCodeToken.
  enum TokenType : int {
    kSymbol = 0,
    kQualifiedSymbol = 1,
    kID = 2,
    kFloat = 3,
    kInt = 4,
    kVXString = 5,
    kOpCode = 6,
    kVXDate = 7,
    kVXTime = 8,
    kVXDateTime = 9,
    kSubquery = 10,
    kZirconNumber = 11,
  };

  virtual ~BaseToken() = default;
  virtual void Accept(TokenVisitor& visitor, AExpr::Iterator& position) = 0;
  virtual TokenType GetTokenType() const = 0;

 protected:
  BaseToken() = default;
  BaseToken(const BaseToken&) = delete;
  BaseToken& operator=(const BaseToken&) = delete;
};

// The type code at bytes 0-1 of the token at pos (a TokenType or an OpCode).
// Inline: a walk asks it of every token; a position outside its expression
// goes to the assertion facility.
[[noreturn]] void ReportTokenOutsideExpression();
inline int GetTokenTypeCode(const AExpr::Iterator& pos) {
  const uint8* p = pos.Position();
  if (p == nullptr || p >= pos.Limit() || pos.Limit() - p < 2) ReportTokenOutsideExpression();
  return (p[0] << 8) | p[1];
}

#define SMUTIL_DECLARE_TOKEN(Class, Type)                                 \
 public:                                                                  \
  static Class& Instance();                                               \
  void Accept(TokenVisitor& visitor, AExpr::Iterator& position) override; \
  TokenType GetTokenType() const override { return Type; }                \
                                                                          \
 private:                                                                 \
  Class() = default;

class SymbolToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(SymbolToken, kSymbol)
 public:
  VXString GetSymbolName(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, const VXString& name);
};

class QualifiedSymbolToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(QualifiedSymbolToken, kQualifiedSymbol)
 public:
  VXStringVector GetQualifiedSymbolName(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, const VXStringVector& name);
};

class IDToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(IDToken, kID)
 public:
  VoidID GetObjID(const AExpr::Iterator& pos) const;
  // Appends an object-reference token.
  static void Init(ByteVector& out, const VoidID& id);
};

class FloatToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(FloatToken, kFloat)
 public:
  double GetValue(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, double value);
};

class IntToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(IntToken, kInt)
 public:
  std::int32_t GetValue(const AExpr::Iterator& pos) const;
  // Appends an integer literal token.
  static void Init(ByteVector& out, std::int32_t value);
};

class VXStringToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(VXStringToken, kVXString)
 public:
  VXString GetValue(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, const VXString& value);
};

class VXDateToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(VXDateToken, kVXDate)
 public:
  VXDate GetVXDate(const AExpr::Iterator& pos) const;
  // Throws std::invalid_argument for a date that IsValid rejects.
  static void Init(ByteVector& out, const VXDate& value);
};

class VXTimeToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(VXTimeToken, kVXTime)
 public:
  VXTime GetVXTime(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, const VXTime& value);
};

class VXDateTimeToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(VXDateTimeToken, kVXDateTime)
 public:
  VXDateTime GetVXDateTime(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, const VXDateTime& value);
};

class SubqueryToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(SubqueryToken, kSubquery)
 public:
  // The bytes of a query spec; the expression model does not read them.
  ByteVector GetValue(const AExpr::Iterator& pos) const;
  static void Init(ByteVector& out, const ByteVector& querySpecBytes);
};

class ZirconNumberToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(ZirconNumberToken, kZirconNumber)
 public:
  // Narrow decimal text, e.g. "-12.50E+3".
  std::string GetValue(const AExpr::Iterator& pos) const;
  // Throws std::invalid_argument unless the text is a decimal number:
  // [+-]digits[.digits][(E|e)[+-]digits], or with digits only after the point.
  static void Init(ByteVector& out, const std::string& decimalText);
  static bool IsDecimalText(const std::string& text);
};

class OpCodeToken : public BaseToken {
  SMUTIL_DECLARE_TOKEN(OpCodeToken, kOpCode)
 public:
  // The operator object for the operator token at pos.
  OpExpr& GetOpExpr(const AExpr::Iterator& pos) const;
  OpCode GetOpCode(const AExpr::Iterator& pos) const;
};

#undef SMUTIL_DECLARE_TOKEN

// One Visit per leaf class, in this slot order, then SetTargetExpr.
class TokenVisitor {
 public:
  virtual ~TokenVisitor() = default;
  virtual void Visit(SymbolToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(QualifiedSymbolToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(IDToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(FloatToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(IntToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(VXStringToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(OpCodeToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(VXDateToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(VXTimeToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(VXDateTimeToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(SubqueryToken& token, AExpr::Iterator& context) = 0;
  virtual void Visit(ZirconNumberToken& token, AExpr::Iterator& context) = 0;
  virtual void SetTargetExpr(AExpr* pTargetExpr) = 0;
};
