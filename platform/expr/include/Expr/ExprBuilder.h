// ExprBuilder: makes expressions in code, in prefix order.
//
//   Expr e = ExprBuilder()
//                .Op(kAdd)                 // opens an operator
//                  .Int(1)
//                  .ID(VoidID(3001, 42))
//                .End()                    // closes it
//                .Build();
//
// Operand counts and the operand shapes of the operator list are checked as
// the expression is built (std::invalid_argument names the operator and the
// operand), so Build always yields a well-formed expression. Building is
// iterative: nesting depth is limited only by memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Expr/Expr.h"
#include "Expr/OpCode.h"
#include "Utility/VXDateTime.h"

class ExprBuilder {
 public:
  ExprBuilder() = default;

  ExprBuilder& Op(OpCode code);
  ExprBuilder& End();

  ExprBuilder& Symbol(const VXString& name);
  ExprBuilder& QualifiedSymbol(const VXStringVector& name);
  ExprBuilder& ID(const VoidID& id);
  ExprBuilder& Float(double value);
  ExprBuilder& Int(std::int32_t value);
  ExprBuilder& String(const VXString& value);
  ExprBuilder& Date(const VXDate& value);
  ExprBuilder& Time(const VXTime& value);
  ExprBuilder& DateTime(const VXDateTime& value);
  ExprBuilder& Subquery(const ByteVector& querySpecBytes);
  ExprBuilder& ZirconNumber(const std::string& decimalText);
  // Appends a whole expression as one operand (or as the root).
  ExprBuilder& Append(const Expr& expr);

  // Operators still open.
  std::size_t OpenCount() const { return m_stack.size(); }
  // The finished expression; the builder is left empty. Throws
  // std::invalid_argument when an operator is still open or there is no root.
  Expr Build();

 private:
  struct Frame {
    std::size_t headerOffset;
    std::uint32_t count;
    int code;
  };
  // Checks that a token of `code` may come next, then notes it as an operand.
  void BeginToken(int code);
  void NoteDepth(std::size_t depth) {
    if (depth > m_depth) m_depth = depth;
  }

  ByteVector m_bytes;
  std::vector<Frame> m_stack;
  std::size_t m_tokenCount = 0;
  std::size_t m_depth = 0;
  bool m_bRootDone = false;
};
