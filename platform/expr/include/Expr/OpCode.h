// OpCode: the operator codes of the expression model, and what the model
// knows about each operator (name, operand counts, operand shape).
//
//   if (const OpInfo* info = GetOpInfo(code)) { info->name; info->minArgs; }
#pragma once

#include <cstddef>
#include <string_view>

#include "Expr/OpExprList.h"

enum OpCode : int {
#define SMUTIL_OPEXPR_ENUM(Class, Name, Code, Min, Max, Shape) k##Name = Code,
  SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_ENUM)
#undef SMUTIL_OPEXPR_ENUM

  // Parameter codes, stored as IntToken values inside operators (date parts,
  // interval kinds, truth values); never a token's type code.
  Par_YEAR = 383,
  Par_MONTH = 384,
  Par_DAY = 385,
  Par_HOUR = 386,
  Par_MINUTE = 387,
  Par_SECOND = 388,
  Par_QUARTEROFYEAR = 389,
  Par_WEEKOFYEAR = 390,
  Par_DAYOFYEAR = 391,
  Par_MONTHOFQUARTER = 392,
  Par_WEEKOFQUARTER = 393,
  Par_DAYOFQUARTER = 394,
  Par_FRACSECOND = 395,
  Par_WEEK = 396,
  Par_QUARTER = 397,
  Par_TRUE = 456,
  Par_FALSE = 457,
  Par_UNKNOWN = 458,
  Par_NOTTRUE = 459,
  Par_NOTFALSE = 460,
  Par_NOTUNKNOWN = 461,
};

constexpr int kFirstOpCode = 300;
constexpr int kLastOpCode = 576;

// What the model knows about one operator class.
struct OpInfo {
  OpCode code;
  std::string_view className;  // "OpExprAdd"
  std::string_view name;       // "Add": the text-form spelling
  int minArgs;
  int maxArgs;  // -1: no upper limit
  std::string_view shape;
  int slot;  // position in the OpExprVisitor slot order
};

// Info for an operator code; nullptr when the code names no operator class.
const OpInfo* GetOpInfo(int code);
// Info by text-form spelling (case-sensitive); nullptr when unknown.
const OpInfo* FindOpInfoByName(std::string_view name);
// Every operator, in slot order.
const OpInfo* GetOpInfoTable();
constexpr std::size_t kOpClassCount = 0
#define SMUTIL_OPEXPR_COUNT(Class, Name, Code, Min, Max, Shape) +1
    SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_COUNT)
#undef SMUTIL_OPEXPR_COUNT
    ;
