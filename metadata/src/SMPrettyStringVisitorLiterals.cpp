// Literals, data types and subqueries.
#include <charconv>
#include <iterator>

#include "Metadata/SMPrettyStringVisitor.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "Utility/SystemUtility.h"
#include "Utility/VXDateTime.h"

using pretty_detail::Operands;

namespace {

using TypeParams = ToPrettyStringVisitor::DataTypeSpelling;
using DataTypeRow = ToPrettyStringVisitor::DataTypeSpelling;

// The SQL text of each data type code of the server's data type enumeration,
// indexed by code. Codes without an SQL form (uint4, money, interval, object,
// boolean) never occur in a well-formed data-type operator.
constexpr DataTypeRow kDataTypes[] = {
    {U" BIT ", TypeParams::kNone},                  // 0
    {U" CHARACTER ", TypeParams::kOptionalLength},  // 1
    {U" VARCHAR ", TypeParams::kLength},            // 2
    {U" VARCHAR ", TypeParams::kLength},            // 3
    {U" BIT ", TypeParams::kOptionalLength},        // 4
    {U" BIT VARYING ", TypeParams::kLength},        // 5
    {U" BIT VARYING ", TypeParams::kLength},        // 6
    {U" SMALLINT ", TypeParams::kNone},             // 7
    {U" SMALLINT ", TypeParams::kNone},             // 8
    {U" SMALLINT ", TypeParams::kNone},             // 9
    {U" SMALLINT ", TypeParams::kNone},             // 10
    {U" INTEGER ", TypeParams::kNone},              // 11
    {U"", TypeParams::kNoSqlForm},                  // 12 uint4
    {U" FLOAT ", TypeParams::kOptionalLength},      // 13
    {U" DOUBLE PRECISION ", TypeParams::kNone},     // 14
    {U"", TypeParams::kNoSqlForm},                  // 15 money
    {U" NUMERIC ", TypeParams::kLengthAndScale},    // 16
    {U" DECIMAL ", TypeParams::kLengthAndScale},    // 17
    {U" DATE ", TypeParams::kNone},                 // 18
    {U" TIME ", TypeParams::kOptionalLength},       // 19
    {U" TIMESTAMP ", TypeParams::kOptionalLength},  // 20
    {U" TIMESTAMP ", TypeParams::kOptionalLength},  // 21
    {U"", TypeParams::kNoSqlForm},                  // 22 interval
    {U"", TypeParams::kNoSqlForm},                  // 23 object
    {U"", TypeParams::kNoSqlForm},                  // 24 boolean
    {U" UNKNOWN ", TypeParams::kNone},              // 25
};

// The SQL text of a data type code; a code without an SQL form, or outside
// the enumeration, is a broken invariant.
VXString DataTypeText(std::int32_t code, std::int32_t length, std::int32_t scale) {
  if (code < 0 || static_cast<std::size_t>(code) >= std::size(kDataTypes) ||
      kDataTypes[code].params == TypeParams::kNoSqlForm) {
    VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "data type without an SQL form");
  }
  const DataTypeRow& row = kDataTypes[code];
  VXString text(row.keyword);
  const bool bLength = row.params == TypeParams::kLength || length >= 0;
  if (row.params == TypeParams::kNone || !bLength) return text;
  text += U"( ";
  text += BaseStringUtil::StringFrom(length);
  if (row.params == TypeParams::kLengthAndScale && scale >= 0) {
    text += U", ";
    text += BaseStringUtil::StringFrom(scale);
  }
  text += U" )";
  return text;
}

}  // namespace

std::span<const ToPrettyStringVisitor::DataTypeSpelling> ToPrettyStringVisitor::DataTypeSpellings() {
  return kDataTypes;
}

void ToPrettyStringVisitor::Visit(IntToken& token, AExpr::Iterator& context) {
  // Digits straight into the output: integers are among the commonest leaves.
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<int>(token.GetValue(context))).ptr;
  m_cumulativeStr.append(digits, end);
}

void ToPrettyStringVisitor::Visit(FloatToken& token, AExpr::Iterator& context) {
  m_cumulativeStr += BaseStringUtil::StringFrom(token.GetValue(context), m_bSuffix);
}

void ToPrettyStringVisitor::Visit(ZirconNumberToken& token, AExpr::Iterator& context) {
  m_cumulativeStr += BaseStringUtil::StdStringToString(token.GetValue(context), SystemUtility::GetMultiByteCodePage());
}

void ToPrettyStringVisitor::Visit(VXStringToken& token, AExpr::Iterator& context) {
  const VXString value = token.GetValue(context);
  if (m_bWithoutSingleQuote) {
    m_cumulativeStr += value;
    return;
  }
  AppendQuotedIdentifier(m_cumulativeStr, value, QuotingRules::kSqlStringLiteral);
}

void ToPrettyStringVisitor::Visit(VXDateToken& token, AExpr::Iterator& context) {
  Append(U" DATE '");
  m_cumulativeStr +=
      DateTimeMetaData::Convert(token.GetVXDate(context), DateTimeMetaData::global_stdInternationalDateFormat);
  Append(U"'");
}

void ToPrettyStringVisitor::Visit(VXTimeToken& token, AExpr::Iterator& context) {
  Append(U" TIME '");
  m_cumulativeStr += ToVXString(token.GetVXTime(context).ToString(0));
  Append(U"'");
}

void ToPrettyStringVisitor::Visit(VXDateTimeToken& token, AExpr::Iterator& context) {
  Append(U" TIMESTAMP '");
  m_cumulativeStr += ToVXString(token.GetVXDateTime(context).ToString(0));
  Append(U"'");
}

void ToPrettyStringVisitor::Visit(SubqueryToken& token, AExpr::Iterator& context) {
  // The query-text writer installs itself when the library loads; a host
  // that removed it broke the rendering of every subquery.
  const SubqueryWriter own = pretty_detail::ThreadSubqueryWriter();
  const SubqueryWriter writer = own ? own : GetSubqueryWriter();
  if (!writer) VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "no query-text writer for a subquery");
  m_cumulativeStr += writer(token.GetValue(context), m_pRp, m_bFullyQualified);
}

void ToPrettyStringVisitor::Visit(OpExprDataType& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  const std::int32_t code = IntToken::Instance().GetValue(ops.Take());
  const std::int32_t length = IntToken::Instance().GetValue(ops.Take());
  const std::int32_t scale = IntToken::Instance().GetValue(ops.Take());
  m_cumulativeStr += DataTypeText(code, length, scale);
}
