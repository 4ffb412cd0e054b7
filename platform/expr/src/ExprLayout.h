// Internal: the byte layout of tokens, shared by the expression, the tokens,
// the builder and the text form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Expr/Expr.h"
#include "Expr/TokenLayout.h"
#include "Utility/VXString.h"

namespace ExprLayout {

inline void PutCode(ByteVector& out, int code) {
  out.push_back(static_cast<uint8>(code >> 8));
  out.push_back(static_cast<uint8>(code));
}
inline void PutU32(ByteVector& out, std::uint32_t v) {
  out.push_back(static_cast<uint8>(v >> 24));
  out.push_back(static_cast<uint8>(v >> 16));
  out.push_back(static_cast<uint8>(v >> 8));
  out.push_back(static_cast<uint8>(v));
}
inline void SetU32(uint8* p, std::uint32_t v) {
  p[0] = static_cast<uint8>(v >> 24);
  p[1] = static_cast<uint8>(v >> 16);
  p[2] = static_cast<uint8>(v >> 8);
  p[3] = static_cast<uint8>(v);
}

bool IsLeafCode(int code);

// Length in bytes of the token at p (operands included), reading at most up
// to end. Throws BlobDecodeError (offset relative to base) when the header is
// cut off, the code is unknown or the token runs past end.
std::size_t CheckedTokenLength(const uint8* base, const uint8* p, const uint8* end);

// Bytes from p to the next token in prefix order: the whole token for a
// leaf, only the header for an operator (its first operand follows).
std::size_t PrefixStep(const uint8* p);

// Whether a token of `code` may stand where an operator's shape letter asks
// for `shape` (see OpExprList.h), and the letter's wording for messages.
bool FitsShape(char shape, int code);
const char* ShapeName(char shape);

struct ValidationResult {
  std::size_t tokenCount = 0;
  std::size_t depth = 0;
};
// Checks a whole expression once: every code known, every payload inside its
// token and well formed, operand counts and lengths consistent and within the
// operator's limits, exactly one root covering all bytes. Iterative, so any
// nesting depth is fine. Throws BlobDecodeError with the byte offset.
// Then checks the parameters operators keep in integer operands (codes of
// data types, interval kinds, truth values, bin strategies and return kinds;
// counts of the operands that follow), so that rendering a valid expression
// never meets a value it has no text for.
ValidationResult Validate(const uint8* begin, const uint8* end);
// The structural checks alone.
ValidationResult ValidateStructure(const uint8* begin, const uint8* end);

}  // namespace ExprLayout

#include "Utility/VXDateTime.h"

namespace ExprLayout {
// Payload encoders/decoders for the date and time leaves; the decoders trust
// that the bytes exist.
void PutDate(ByteVector& out, const VXDate& d);
void PutTime(ByteVector& out, const VXTime& t);
VXDate DecodeDate(const uint8* p);
VXTime DecodeTime(const uint8* p);
}  // namespace ExprLayout
