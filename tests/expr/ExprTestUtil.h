// Helpers shared by the expression tests: operands that fit an operator's
// shape, and random well-formed expressions.
#pragma once

#include <random>

#include "Expr/ExprBuilder.h"
#include "Expr/OpCode.h"

namespace exprtest {

// Appends one random leaf (any kind).
inline void RandomLeaf(ExprBuilder& b, std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 10);
  std::uniform_int_distribution<std::int32_t> anyInt(INT32_MIN, INT32_MAX);
  switch (kind(rng)) {
    case 0:
      b.Symbol(U"Col" + std::u32string(1, U'a' + rng() % 26));
      break;
    case 1:
      b.QualifiedSymbol({U"A", U"b'c", U"\u00e9t\u00e9"});
      break;
    case 2:
      b.ID(VoidID(static_cast<TypeID>(anyInt(rng)), static_cast<std::uint32_t>(rng())));
      break;
    case 3:
      b.Float(std::uniform_real_distribution<double>(-1e6, 1e6)(rng));
      break;
    case 4:
      b.Int(anyInt(rng));
      break;
    case 5:
      b.String(U"it's \U0001F600 ok");
      break;
    case 6:
      b.Date(VXDate(1 + rng() % 9999, 1 + rng() % 12, 1 + rng() % 28));
      break;
    case 7:
      b.Time(VXTime(rng() % 24, rng() % 60, rng() % 60, rng() % 2 ? 0u : rng() % 1000000000u));
      break;
    case 8:
      b.DateTime(VXDateTime(VXDate(2024, 2, 29), VXTime(23, 59, 59, 1)));
      break;
    case 9:
      b.Subquery(ByteVector{0, 1, 0xfe, static_cast<uint8>(rng())});
      break;
    default:
      b.ZirconNumber("-12.50E+3");
      break;
  }
}

// Appends an operand that fits shape letter `shape` (see OpExprList.h).
inline void OperandFor(char shape, ExprBuilder& b, std::mt19937& rng) {
  switch (shape) {
    case 'I':
      b.Int(static_cast<std::int32_t>(rng() % 1000));
      break;
    case 'D':
      b.ID(VoidID(3001, rng() % 100));
      break;
    case 'S':
      b.String(U"NAME");
      break;
    case 'T':
      b.Op(kDataType).Int(2).Int(20).Int(-1).End();
      break;
    default:
      RandomLeaf(b, rng);
      break;
  }
}

// Appends a random expression of at most `budget` operators.
inline void RandomExpr(ExprBuilder& b, std::mt19937& rng, int& budget, int depth) {
  if (budget <= 0 || depth > 12 || rng() % 3 == 0) return RandomLeaf(b, rng);
  --budget;
  const OpInfo& info = GetOpInfoTable()[rng() % kOpClassCount];
  const int maxArgs = info.maxArgs < 0 ? info.minArgs + 4 : info.maxArgs;
  const int n = info.minArgs + static_cast<int>(rng() % (maxArgs - info.minArgs + 1));
  b.Op(info.code);
  for (int i = 0; i < n; ++i) {
    const char shape = i < static_cast<int>(info.shape.size()) ? info.shape[i] : '*';
    if (shape == '*') {
      RandomExpr(b, rng, budget, depth + 1);
    } else {
      OperandFor(shape, b, rng);
    }
  }
  b.End();
}

// The smallest well-formed instance of an operator (its minimum operand
// count, at least one operand when it may take any).
inline Expr MinimalInstance(const OpInfo& info, std::mt19937& rng) {
  ExprBuilder b;
  b.Op(info.code);
  const int n = info.minArgs == 0 && info.maxArgs != 0 ? 1 : info.minArgs;
  for (int i = 0; i < n; ++i) OperandFor(i < static_cast<int>(info.shape.size()) ? info.shape[i] : '*', b, rng);
  return b.End().Build();
}

}  // namespace exprtest
