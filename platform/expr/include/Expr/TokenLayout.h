// The byte layout of tokens (see Expr.h), as inline readers: every walk
// steps over every token, and a call into the library per token would cost
// more than the step itself. The checked readers that explain a corrupt token
// stay in the library; these only answer for a token that is well formed and
// inside its bounds, and say so by returning 0 otherwise.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Expr/OpCode.h"
#include "Utility/VXString.h"

namespace ExprLayout {

constexpr std::size_t kCodeBytes = 2;
constexpr std::size_t kOpHeaderBytes = 10;  // code, operand count, operand bytes
// Every token is at least this long, so an int32 read at byte 2 of any
// token stays inside it.
constexpr std::size_t kMinTokenBytes = 6;
constexpr std::size_t kDateBytes = 6;
constexpr std::size_t kTimeBytes = 7;

inline std::uint16_t ReadCode(const uint8* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }
inline std::uint32_t ReadU32(const uint8* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Which codes in kFirstOpCode..kLastOpCode name an operator, from the one
// operator list.
inline constexpr std::array<bool, kLastOpCode - kFirstOpCode + 1> kOperatorCodes = [] {
  std::array<bool, kLastOpCode - kFirstOpCode + 1> codes{};
#define SMUTIL_OPEXPR_CODE(Class, Name, Code, Min, Max, Shape) codes[Code - kFirstOpCode] = true;
  SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_CODE)
#undef SMUTIL_OPEXPR_CODE
  return codes;
}();

constexpr bool IsOperatorCode(int code) {
  return code >= kFirstOpCode && code <= kLastOpCode && kOperatorCodes[code - kFirstOpCode];
}

// Length of the token at p, operands included, when it is known and lies
// wholly before end; 0 otherwise (a code that names no token, a cut-off
// header or payload), which the checked reader then explains.
inline std::size_t TokenLengthWithin(const uint8* p, const uint8* end) {
  if (p == nullptr || p >= end || static_cast<std::size_t>(end - p) < kMinTokenBytes) return 0;
  const std::size_t room = static_cast<std::size_t>(end - p);
  const int code = ReadCode(p);
  std::size_t n = 0;
  if (code >= kFirstOpCode) {
    if (!IsOperatorCode(code) || room < kOpHeaderBytes) return 0;
    n = kOpHeaderBytes + std::size_t{ReadU32(p + 6)};
  } else {
    // Leaf codes as BaseToken::TokenType numbers them (Expr.cpp holds the
    // two to the same numbers).
    switch (code) {
      case 0:   // symbol
      case 1:   // qualified symbol
      case 5:   // string
      case 10:  // subquery
      case 11:  // number
        n = kCodeBytes + 4 + std::size_t{ReadU32(p + kCodeBytes)};
        break;
      case 2:  // object id
      case 3:  // float
        n = kCodeBytes + 8;
        break;
      case 4:  // integer
        n = kCodeBytes + 4;
        break;
      case 7:  // date
        n = kCodeBytes + kDateBytes;
        break;
      case 8:  // time
        n = kCodeBytes + kTimeBytes;
        break;
      case 9:  // timestamp
        n = kCodeBytes + kDateBytes + kTimeBytes;
        break;
      default:
        return 0;
    }
  }
  return n <= room ? n : 0;
}

}  // namespace ExprLayout
