// Literals, data types, subqueries and variable references.
#include <charconv>

#include "Metadata/SMPrettyStringVisitor.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SystemUtility.h"
#include "Utility/VXDateTime.h"

using pretty_detail::Operands;

namespace {

void AppendPrecision(VXString& text, std::int32_t precision) {
  if (precision < 0) return;
  text += U"( ";
  text += BaseStringUtil::StringFrom(precision);
  text += U" )";
}

// The SQL text of a data type code (the server's data type enumeration).
// Codes without an SQL form (uint4 12, money 15, interval 22, object 23,
// boolean 24) never occur in a well-formed data-type operator; meeting one,
// or a code outside the enumeration, is a broken invariant.
VXString DataTypeText(std::int32_t code, std::int32_t length, std::int32_t scale) {
  VXString text;
  switch (code) {
    case 0:
      text = U" BIT ";
      break;
    case 1:
      text = U" CHARACTER ";
      AppendPrecision(text, length);
      break;
    case 2:
    case 3:
      text = U" VARCHAR ( " + BaseStringUtil::StringFrom(length) + U" )";
      break;
    case 4:
      text = U" BIT ";
      AppendPrecision(text, length);
      break;
    case 5:
    case 6:
      text = U" BIT VARYING ( " + BaseStringUtil::StringFrom(length) + U" )";
      break;
    case 7:
    case 8:
    case 9:
    case 10:
      text = U" SMALLINT ";
      break;
    case 11:
      text = U" INTEGER ";
      break;
    case 13:
      text = U" FLOAT ";
      AppendPrecision(text, length);
      break;
    case 14:
      text = U" DOUBLE PRECISION ";
      break;
    case 16:
    case 17:
      text = code == 16 ? U" NUMERIC " : U" DECIMAL ";
      if (length >= 0) {
        text += U"( ";
        text += BaseStringUtil::StringFrom(length);
        if (scale >= 0) {
          text += U", ";
          text += BaseStringUtil::StringFrom(scale);
        }
        text += U" )";
      }
      break;
    case 18:
      text = U" DATE ";
      break;
    case 19:
      text = U" TIME ";
      AppendPrecision(text, length);
      break;
    case 20:
    case 21:
      text = U" TIMESTAMP ";
      AppendPrecision(text, length);
      break;
    case 25:
      text = U" UNKNOWN ";
      break;
    default:
      VXAssert::handleLogicError(pretty_detail::kSrc, __LINE__, "data type without an SQL form");
  }
  return text;
}

}  // namespace

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
  // SQL string literal: quotes doubled. A NUL ends the text, as it would for
  // any consumer that reads the literal as a C string.
  m_cumulativeStr.push_back(U'\'');
  for (char32_t c : value) {
    if (c == U'\0') break;
    m_cumulativeStr.push_back(c);
    if (c == U'\'') m_cumulativeStr.push_back(U'\'');
  }
  m_cumulativeStr.push_back(U'\'');
}

void ToPrettyStringVisitor::Visit(VXDateToken& token, AExpr::Iterator& context) {
  Append(U" DATE '");
  m_cumulativeStr += DateTimeMetaData::Convert(token.GetVXDate(context), DateTimeMetaData::global_stdInternationalDateFormat);
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
  const SubqueryWriter writer = GetSubqueryWriter();
  if (!writer) {
    throw RenderNotSupportedError(
        "a subquery cannot be rendered yet: the query-text writer is not part of this build");
  }
  m_cumulativeStr += writer(token.GetValue(context), m_pRp, m_bFullyQualified);
}

void ToPrettyStringVisitor::Visit(OpExprDataType& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  const std::int32_t code = IntToken::Instance().GetValue(ops.Take());
  const std::int32_t length = IntToken::Instance().GetValue(ops.Take());
  const std::int32_t scale = IntToken::Instance().GetValue(ops.Take());
  m_cumulativeStr += DataTypeText(code, length, scale);
}

// ---- variables --------------------------------------------------------------------
// The VALUEOF forms need the variable and initialization-block rules, which
// come with the variable rendering; until then they refuse clearly instead of
// writing text that would read back as something else.

namespace {
[[noreturn]] void ValueOfNotYet(const char* form) {
  throw RenderNotSupportedError(std::string("variable references (") + form + ") cannot be rendered yet");
}
}  // namespace

void ToPrettyStringVisitor::Visit(OpExprValueOf&, AExpr::Iterator&) { ValueOfNotYet("VALUEOF of a repository variable"); }
void ToPrettyStringVisitor::Visit(OpExprValueOfSession&, AExpr::Iterator&) { ValueOfNotYet("VALUEOF(VX_SESSION...)"); }
void ToPrettyStringVisitor::Visit(OpExprValueOfSessionByIndex&, AExpr::Iterator&) {
  ValueOfNotYet("VALUEOF of a session variable by index");
}
void ToPrettyStringVisitor::Visit(OpExprValueOfSessionNew&, AExpr::Iterator&) {
  ValueOfNotYet("VALUEOF of a session variable");
}
void ToPrettyStringVisitor::Visit(OpExprValueOfSessionNewByIndex&, AExpr::Iterator&) {
  ValueOfNotYet("VALUEOF of a session variable by index");
}
void ToPrettyStringVisitor::Visit(OpExprValueOfSessionVariableBlock&, AExpr::Iterator&) {
  ValueOfNotYet("VALUEOF of an initialization block's variable");
}
void ToPrettyStringVisitor::Visit(OpExprValueOfSessionVariableBlockNew&, AExpr::Iterator&) {
  ValueOfNotYet("VALUEOF of an initialization block");
}
