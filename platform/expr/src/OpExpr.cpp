#include "Expr/OpExpr.h"

#include <algorithm>
#include <array>
#include <string>

#include "Expr/Tokens.h"
#include "ExprLayout.h"
#include "Utility/VXAssert.h"

namespace {

constexpr const char* kSrc = "platform/expr/src/OpExpr.cpp";

constexpr OpInfo kOpInfos[] = {
#define SMUTIL_OPEXPR_INFO(Class, Name, Code, Min, Max, Shape) OpInfo{k##Name, #Class, #Name, Min, Max, Shape, 0},
    SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_INFO)
#undef SMUTIL_OPEXPR_INFO
};
static_assert(std::size(kOpInfos) == kOpClassCount);

constexpr bool CodesAreUniqueAndInRange() {
  for (std::size_t i = 0; i < std::size(kOpInfos); ++i) {
    if (kOpInfos[i].code < kFirstOpCode || kOpInfos[i].code > kLastOpCode) return false;
    for (std::size_t j = i + 1; j < std::size(kOpInfos); ++j) {
      if (kOpInfos[i].code == kOpInfos[j].code || kOpInfos[i].name == kOpInfos[j].name) return false;
    }
  }
  return true;
}
static_assert(CodesAreUniqueAndInRange(), "every operator needs its own code in 300..576 and its own name");

struct Tables {
  std::array<OpInfo, kOpClassCount> infos{};
  std::array<const OpInfo*, kLastOpCode - kFirstOpCode + 1> byCode{};
  std::array<OpExpr*, kLastOpCode - kFirstOpCode + 1> opByCode{};
  std::array<const OpInfo*, kOpClassCount> byName{};

  Tables() {
    for (std::size_t i = 0; i < kOpClassCount; ++i) {
      infos[i] = kOpInfos[i];
      infos[i].slot = static_cast<int>(i);
      byCode[infos[i].code - kFirstOpCode] = &infos[i];
      byName[i] = &infos[i];
    }
    std::sort(byName.begin(), byName.end(), [](const OpInfo* a, const OpInfo* b) { return a->name < b->name; });
#define SMUTIL_OPEXPR_INSTANCE(Class, Name, Code, Min, Max, Shape) opByCode[Code - kFirstOpCode] = &Class::Instance();
    SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_INSTANCE)
#undef SMUTIL_OPEXPR_INSTANCE
  }
};

const Tables& GetTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

const OpInfo* GetOpInfo(int code) {
  if (code < kFirstOpCode || code > kLastOpCode) return nullptr;
  return GetTables().byCode[code - kFirstOpCode];
}

const OpInfo* FindOpInfoByName(std::string_view name) {
  const auto& byName = GetTables().byName;
  auto it = std::lower_bound(byName.begin(), byName.end(), name,
                             [](const OpInfo* info, std::string_view n) { return info->name < n; });
  return it != byName.end() && (*it)->name == name ? *it : nullptr;
}

const OpInfo* GetOpInfoTable() { return GetTables().infos.data(); }

OpExpr* GetOpExprForCode(int code) {
  if (code < kFirstOpCode || code > kLastOpCode) return nullptr;
  return GetTables().opByCode[code - kFirstOpCode];
}

const OpInfo& OpExpr::GetOpInfo() const { return *::GetOpInfo(GetOpCode()); }

void OpExpr::ReportNotThisOperator() { VXAssert::handleAssert(kSrc, __LINE__, "token at pos is this operator"); }

AExpr::Iterator OpExpr::GetArgIterator(int index, const AExpr::Iterator& pos, int limit) const {
  const int count = GetArgCount(pos);
  if (index < 0 || index >= count || index > limit) {
    VXAssert::handleAssert(kSrc, __LINE__, "0 <= index && index < GetArgCount(pos) && index <= limit");
  }
  AExpr::Iterator arg = FirstOperand(pos);
  for (int i = 0; i < index; ++i) ++arg;
  return arg;
}

#define SMUTIL_OPEXPR_DEFINE(Class, Name, Code, Min, Max, Shape) \
  Class& Class::Instance() {                                     \
    static Class instance;                                       \
    return instance;                                             \
  }                                                              \
  void Class::Accept(OpExprVisitor& visitor, AExpr::Iterator& position) { visitor.Visit(*this, position); }
SMUTIL_OPEXPR_LIST(SMUTIL_OPEXPR_DEFINE)
#undef SMUTIL_OPEXPR_DEFINE
