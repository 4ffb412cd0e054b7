#include "Expr/Tokens.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "Expr/OpExpr.h"
#include "ExprLayout.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXAssert.h"

namespace {

constexpr const char* kSrc = "platform/expr/src/Tokens.cpp";

// A cursor over the payload of the token at pos, after checking that the
// token there is of the expected kind.
BlobCursor PayloadCursor(const AExpr::Iterator& pos, int code, const char* condition) {
  const uint8* p = pos.Position();
  const uint8* end = pos.Limit();
  if (p == nullptr || p >= end || end - p < 2 || ExprLayout::ReadCode(p) != code) {
    VXAssert::handleAssert(kSrc, __LINE__, condition);
  }
  BlobCursor c(p, end);
  c.Take(ExprLayout::kCodeBytes, "type code");
  return c;
}

std::uint64_t ReadU64(BlobCursor& c) {
  const std::uint64_t hi = c.ReadUInt32();
  return (hi << 32) | c.ReadUInt32();
}

void PutString(ByteVector& out, const VXString& s) { DataBlobUtil::ToByteVector(out, s); }

}  // namespace

void ReportTokenOutsideExpression() { VXAssert::handleAssert(kSrc, __LINE__, "pos < end"); }

#define SMUTIL_DEFINE_TOKEN(Class) \
  Class& Class::Instance() {       \
    static Class instance;         \
    return instance;               \
  }                                \
  void Class::Accept(TokenVisitor& visitor, AExpr::Iterator& position) { visitor.Visit(*this, position); }

SMUTIL_DEFINE_TOKEN(SymbolToken)
SMUTIL_DEFINE_TOKEN(QualifiedSymbolToken)
SMUTIL_DEFINE_TOKEN(IDToken)
SMUTIL_DEFINE_TOKEN(FloatToken)
SMUTIL_DEFINE_TOKEN(IntToken)
SMUTIL_DEFINE_TOKEN(VXStringToken)
SMUTIL_DEFINE_TOKEN(VXDateToken)
SMUTIL_DEFINE_TOKEN(VXTimeToken)
SMUTIL_DEFINE_TOKEN(VXDateTimeToken)
SMUTIL_DEFINE_TOKEN(SubqueryToken)
SMUTIL_DEFINE_TOKEN(ZirconNumberToken)
SMUTIL_DEFINE_TOKEN(OpCodeToken)
#undef SMUTIL_DEFINE_TOKEN

VXString SymbolToken::GetSymbolName(const AExpr::Iterator& pos) const {
  return PayloadCursor(pos, kSymbol, "token is a SymbolToken").ReadString();
}

void SymbolToken::Init(ByteVector& out, const VXString& name) {
  ExprLayout::PutCode(out, kSymbol);
  PutString(out, name);
}

VXStringVector QualifiedSymbolToken::GetQualifiedSymbolName(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kQualifiedSymbol, "token is a QualifiedSymbolToken");
  c.ReadUInt32();  // byte length, for skipping
  return c.ReadStringVector();
}

void QualifiedSymbolToken::Init(ByteVector& out, const VXStringVector& name) {
  ExprLayout::PutCode(out, kQualifiedSymbol);
  const std::size_t lengthAt = out.size();
  ExprLayout::PutU32(out, 0);
  DataBlobUtil::ToByteVector(out, name);
  ExprLayout::SetU32(out.data() + lengthAt, static_cast<std::uint32_t>(out.size() - lengthAt - 4));
}

VoidID IDToken::GetObjID(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kID, "token is an IDToken");
  return SORpPortable::PStoredVoidIDFormatToVoidID(c.Take(SORpPortable::kStoredVoidIDSize, "object id"));
}

void IDToken::Init(ByteVector& out, const VoidID& id) {
  ExprLayout::PutCode(out, kID);
  SORpPortable::VoidIDToPStoredVoidIDFormat(id, out);
}

double FloatToken::GetValue(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kFloat, "token is a FloatToken");
  return std::bit_cast<double>(ReadU64(c));
}

void FloatToken::Init(ByteVector& out, double value) {
  ExprLayout::PutCode(out, kFloat);
  const auto bits = std::bit_cast<std::uint64_t>(value);
  ExprLayout::PutU32(out, static_cast<std::uint32_t>(bits >> 32));
  ExprLayout::PutU32(out, static_cast<std::uint32_t>(bits));
}

std::int32_t IntToken::GetValue(const AExpr::Iterator& pos) const {
  return PayloadCursor(pos, kInt, "token is an IntToken").ReadInt32();
}

void IntToken::Init(ByteVector& out, std::int32_t value) {
  ExprLayout::PutCode(out, kInt);
  ExprLayout::PutU32(out, static_cast<std::uint32_t>(value));
}

VXString VXStringToken::GetValue(const AExpr::Iterator& pos) const {
  return PayloadCursor(pos, kVXString, "token is a VXStringToken").ReadString();
}

void VXStringToken::Init(ByteVector& out, const VXString& value) {
  ExprLayout::PutCode(out, kVXString);
  PutString(out, value);
}

VXDate VXDateToken::GetVXDate(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kVXDate, "token is a VXDateToken");
  return ExprLayout::DecodeDate(c.Take(ExprLayout::kDateBytes, "date"));
}

void VXDateToken::Init(ByteVector& out, const VXDate& value) {
  if (!value.IsValid()) throw std::invalid_argument("invalid date " + value.ToString());
  ExprLayout::PutCode(out, kVXDate);
  ExprLayout::PutDate(out, value);
}

VXTime VXTimeToken::GetVXTime(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kVXTime, "token is a VXTimeToken");
  return ExprLayout::DecodeTime(c.Take(ExprLayout::kTimeBytes, "time"));
}

void VXTimeToken::Init(ByteVector& out, const VXTime& value) {
  if (!value.IsValid()) throw std::invalid_argument("invalid time " + value.ToString(9));
  ExprLayout::PutCode(out, kVXTime);
  ExprLayout::PutTime(out, value);
}

VXDateTime VXDateTimeToken::GetVXDateTime(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kVXDateTime, "token is a VXDateTimeToken");
  const uint8* p = c.Take(ExprLayout::kDateBytes + ExprLayout::kTimeBytes, "timestamp");
  return VXDateTime(ExprLayout::DecodeDate(p), ExprLayout::DecodeTime(p + ExprLayout::kDateBytes));
}

void VXDateTimeToken::Init(ByteVector& out, const VXDateTime& value) {
  if (!value.IsValid()) throw std::invalid_argument("invalid timestamp " + value.ToString(9));
  ExprLayout::PutCode(out, kVXDateTime);
  ExprLayout::PutDate(out, value.GetDate());
  ExprLayout::PutTime(out, value.GetTime());
}

ByteVector SubqueryToken::GetValue(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kSubquery, "token is a SubqueryToken");
  const std::uint32_t n = c.ReadCount(1, "subquery byte");
  const uint8* p = c.Take(n, "subquery");
  return ByteVector(p, p + n);
}

void SubqueryToken::Init(ByteVector& out, const ByteVector& querySpecBytes) {
  ExprLayout::PutCode(out, kSubquery);
  ExprLayout::PutU32(out, static_cast<std::uint32_t>(querySpecBytes.size()));
  out.insert(out.end(), querySpecBytes.begin(), querySpecBytes.end());
}

std::string ZirconNumberToken::GetValue(const AExpr::Iterator& pos) const {
  BlobCursor c = PayloadCursor(pos, kZirconNumber, "token is a ZirconNumberToken");
  const std::uint32_t n = c.ReadCount(1, "number byte");
  const uint8* p = c.Take(n, "number");
  return std::string(reinterpret_cast<const char*>(p), n);
}

bool ZirconNumberToken::IsDecimalText(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  auto digits = [&] {
    const std::size_t start = i;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i;
    return i - start;
  };
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t mantissa = digits();
  if (i < n && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  return i == n;
}

void ZirconNumberToken::Init(ByteVector& out, const std::string& decimalText) {
  if (!IsDecimalText(decimalText)) throw std::invalid_argument("not a decimal number: \"" + decimalText + "\"");
  ExprLayout::PutCode(out, kZirconNumber);
  ExprLayout::PutU32(out, static_cast<std::uint32_t>(decimalText.size()));
  out.insert(out.end(), decimalText.begin(), decimalText.end());
}

OpCode OpCodeToken::GetOpCode(const AExpr::Iterator& pos) const {
  const int code = GetTokenTypeCode(pos);
  if (!ExprLayout::IsOperatorCode(code)) VXAssert::handleAssert(kSrc, __LINE__, "token is an OpCodeToken");
  return static_cast<OpCode>(code);
}

OpExpr& OpCodeToken::GetOpExpr(const AExpr::Iterator& pos) const { return *GetOpExprForCode(GetOpCode(pos)); }
