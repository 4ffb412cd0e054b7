// ToStringVisitor: the compact internal text form of an expression, and its
// parser. Repository files and tests hold expressions in this form; parsing
// the text of an expression gives back exactly the same token bytes.
//
//   VXString text = ToStringVisitor::StringFrom(expr);
//       // Add(1,Multiply(#3001:42,2.5))
//   Expr back = ToStringVisitor::ExprFrom(text);   // back.GetTokenBytes() == expr's
//
// Grammar (blanks, tabs and line breaks may stand between tokens):
//   expr     := Name '(' [expr (',' expr)*] ')'       an operator, by its list name
//             | integer                              -12           IntToken
//             | float                                2.5  1e+20    FloatToken (always has '.' or an exponent)
//             | "F'" 16 hex digits "'"               bit pattern of a non-finite double
//             | string                               'it''s'       VXStringToken (quote doubled)
//             | "S" string                           S'Region'     SymbolToken
//             | "Q[" [string (',' string)*] "]"      Q['A','B']    QualifiedSymbolToken
//             | "#" int32 ":" uint32                 #3001:42      IDToken
//             | "D'YYYY-MM-DD'"                                    VXDateToken
//             | "T'HH:MM:SS[.fraction]'"                           VXTimeToken
//             | "TS'YYYY-MM-DD HH:MM:SS[.fraction]'"               VXDateTimeToken
//             | "SQ'" hex digits "'"                                SubqueryToken
//             | "Z'" decimal text "'"                Z'-12.50E+3'  ZirconNumberToken
// Empty (or blank) text is the empty expression. Writing and parsing walk
// without recursion, so nesting depth is limited only by memory.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "Expr/Expr.h"
#include "Expr/Tokens.h"

// Bad expression text: what was wrong, and where (a character index).
class ExprTextError : public std::runtime_error {
 public:
  ExprTextError(const std::string& what, std::size_t position);
  std::size_t GetPosition() const { return m_position; }

 private:
  std::size_t m_position;
};

class ToStringVisitor : public TokenVisitor {
 public:
  // The text form of the whole expression; empty for an empty expression.
  static VXString StringFrom(const AExpr& expr);
  // Parses the text form; throws ExprTextError.
  static Expr ExprFrom(const VXString& text);

  ToStringVisitor() = default;
  // Text written so far by Visit calls (expr.Accept(visitor) writes the whole
  // expression).
  const VXString& GetString() const { return m_str; }

  void Visit(SymbolToken& token, AExpr::Iterator& context) override;
  void Visit(QualifiedSymbolToken& token, AExpr::Iterator& context) override;
  void Visit(IDToken& token, AExpr::Iterator& context) override;
  void Visit(FloatToken& token, AExpr::Iterator& context) override;
  void Visit(IntToken& token, AExpr::Iterator& context) override;
  void Visit(VXStringToken& token, AExpr::Iterator& context) override;
  // Writes the operator and all its operands.
  void Visit(OpCodeToken& token, AExpr::Iterator& context) override;
  void Visit(VXDateToken& token, AExpr::Iterator& context) override;
  void Visit(VXTimeToken& token, AExpr::Iterator& context) override;
  void Visit(VXDateTimeToken& token, AExpr::Iterator& context) override;
  void Visit(SubqueryToken& token, AExpr::Iterator& context) override;
  void Visit(ZirconNumberToken& token, AExpr::Iterator& context) override;
  void SetTargetExpr(AExpr* pTargetExpr) override { m_pTargetExpr = pTargetExpr; }

 private:
  void WriteSubtree(const AExpr::Iterator& root);
  void Append(std::string_view ascii);
  void AppendQuoted(const VXString& value);

  VXString m_str;
  AExpr* m_pTargetExpr = nullptr;
};
