// The internal text form: writer (ToStringVisitor) and parser, kept together
// so that they change together. See ToStringVisitor.h for the grammar.
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <vector>

#include "Expr/ExprBuilder.h"
#include "Expr/OpExpr.h"
#include "Expr/ToStringVisitor.h"
#include "ExprLayout.h"
#include "Utility/Hex.h"

ExprTextError::ExprTextError(const std::string& what, std::size_t position)
    : std::runtime_error("expression text at position " + std::to_string(position) + ": " + what),
      m_position(position) {}

// ---------------------------------------------------------------- writer

void ToStringVisitor::Append(std::string_view ascii) {
  for (char c : ascii) m_str.push_back(static_cast<char32_t>(static_cast<unsigned char>(c)));
}

void ToStringVisitor::AppendQuoted(const VXString& value) {
  m_str.push_back(U'\'');
  for (char32_t c : value) {
    if (c == U'\'') m_str.push_back(U'\'');
    m_str.push_back(c);
  }
  m_str.push_back(U'\'');
}

void ToStringVisitor::Visit(SymbolToken& token, AExpr::Iterator& context) {
  m_str.push_back(U'S');
  AppendQuoted(token.GetSymbolName(context));
}

void ToStringVisitor::Visit(QualifiedSymbolToken& token, AExpr::Iterator& context) {
  Append("Q[");
  bool first = true;
  for (const VXString& segment : token.GetQualifiedSymbolName(context)) {
    if (!first) m_str.push_back(U',');
    first = false;
    AppendQuoted(segment);
  }
  m_str.push_back(U']');
}

void ToStringVisitor::Visit(IDToken& token, AExpr::Iterator& context) {
  const VoidID id = token.GetObjID(context);
  char buf[16];
  m_str.push_back(U'#');
  Append(
      std::string_view(buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, id.GetTypeID()).ptr - buf)));
  m_str.push_back(U':');
  Append(std::string_view(buf,
                          static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, id.GetUniqueNum()).ptr - buf)));
}

void ToStringVisitor::Visit(FloatToken& token, AExpr::Iterator& context) {
  const double value = token.GetValue(context);
  if (!std::isfinite(value)) {
    // Infinities and NaNs (with their payload) keep their exact bits.
    const auto bits = std::bit_cast<std::uint64_t>(value);
    Append("F'");
    Hex::AppendNumber(m_str, bits, Hex::Letters::kLower, 16);
    m_str.push_back(U'\'');
    return;
  }
  char buf[64];
  char* end = std::to_chars(buf, buf + sizeof buf, value).ptr;  // shortest text that reads back exactly
  const std::string_view text(buf, static_cast<std::size_t>(end - buf));
  Append(text);
  if (text.find_first_of(".e") == std::string_view::npos) Append(".0");
}

void ToStringVisitor::Visit(IntToken& token, AExpr::Iterator& context) {
  char buf[16];
  char* end = std::to_chars(buf, buf + sizeof buf, token.GetValue(context)).ptr;
  Append(std::string_view(buf, static_cast<std::size_t>(end - buf)));
}

void ToStringVisitor::Visit(VXStringToken& token, AExpr::Iterator& context) { AppendQuoted(token.GetValue(context)); }

void ToStringVisitor::Visit(OpCodeToken&, AExpr::Iterator& context) { WriteSubtree(context); }

void ToStringVisitor::Visit(VXDateToken& token, AExpr::Iterator& context) {
  Append("D'");
  Append(token.GetVXDate(context).ToString());
  m_str.push_back(U'\'');
}

namespace {
// Nine fraction digits when there is a fraction, none otherwise.
int TimePrecision(const VXTime& t) { return t.GetNanosecond() == 0 ? 0 : 9; }
}  // namespace

void ToStringVisitor::Visit(VXTimeToken& token, AExpr::Iterator& context) {
  const VXTime t = token.GetVXTime(context);
  Append("T'");
  Append(t.ToString(TimePrecision(t)));
  m_str.push_back(U'\'');
}

void ToStringVisitor::Visit(VXDateTimeToken& token, AExpr::Iterator& context) {
  const VXDateTime ts = token.GetVXDateTime(context);
  Append("TS'");
  Append(ts.ToString(TimePrecision(ts.GetTime())));
  m_str.push_back(U'\'');
}

void ToStringVisitor::Visit(SubqueryToken& token, AExpr::Iterator& context) {
  Append("SQ'");
  Hex::AppendBytes(m_str, token.GetValue(context), Hex::Letters::kLower);
  m_str.push_back(U'\'');
}

void ToStringVisitor::Visit(ZirconNumberToken& token, AExpr::Iterator& context) {
  Append("Z'");
  Append(token.GetValue(context));
  m_str.push_back(U'\'');
}

void ToStringVisitor::WriteSubtree(const AExpr::Iterator& root) {
  const uint8* p = root.Position();
  const uint8* limit = root.Limit();
  const uint8* end = p + root.TokenLength();
  // The text is about as long as the bytes; one reservation saves regrowing.
  m_str.reserve(m_str.size() + static_cast<std::size_t>(end - p));
  std::vector<std::uint32_t> remaining;  // operands still to write, per open operator
  while (p < end) {
    const int code = ExprLayout::ReadCode(p);
    AExpr::Iterator at(p, limit);
    if (code >= kFirstOpCode) {
      Append(GetOpInfo(code)->name);
      m_str.push_back(U'(');
      const std::uint32_t count = ExprLayout::ReadU32(p + 2);
      p += ExprLayout::kOpHeaderBytes;
      if (count > 0) {
        remaining.push_back(count);
        continue;
      }
      m_str.push_back(U')');
    } else {
      const std::size_t len = ExprLayout::PrefixStep(p);
      switch (code) {
        case BaseToken::kSymbol:
          Visit(SymbolToken::Instance(), at);
          break;
        case BaseToken::kQualifiedSymbol:
          Visit(QualifiedSymbolToken::Instance(), at);
          break;
        case BaseToken::kID:
          Visit(IDToken::Instance(), at);
          break;
        case BaseToken::kFloat:
          Visit(FloatToken::Instance(), at);
          break;
        case BaseToken::kInt:
          Visit(IntToken::Instance(), at);
          break;
        case BaseToken::kVXString:
          Visit(VXStringToken::Instance(), at);
          break;
        case BaseToken::kVXDate:
          Visit(VXDateToken::Instance(), at);
          break;
        case BaseToken::kVXTime:
          Visit(VXTimeToken::Instance(), at);
          break;
        case BaseToken::kVXDateTime:
          Visit(VXDateTimeToken::Instance(), at);
          break;
        case BaseToken::kSubquery:
          Visit(SubqueryToken::Instance(), at);
          break;
        default:
          Visit(ZirconNumberToken::Instance(), at);
          break;
      }
      p += len;
    }
    // One token complete: close the operators it finished, or separate.
    while (!remaining.empty()) {
      if (--remaining.back() > 0) {
        m_str.push_back(U',');
        break;
      }
      m_str.push_back(U')');
      remaining.pop_back();
    }
  }
}

VXString ToStringVisitor::StringFrom(const AExpr& expr) {
  ToStringVisitor visitor;
  AExpr::Iterator root = expr.Begin();
  if (root != expr.End()) {
    BaseToken& token = expr.GetToken(root, expr.End());
    token.Accept(visitor, root);
  }
  return std::move(visitor.m_str);
}

// ---------------------------------------------------------------- parser

namespace {

class TextParser {
 public:
  explicit TextParser(const VXString& text) : m_text(text) {}

  Expr Parse() {
    SkipBlanks();
    if (AtEnd()) return Expr();
    for (;;) {
      SkipBlanks();
      if (m_justOpened && Peek() == U')') {
        CloseOperator();
      } else {
        ParseOperand();
        if (m_justOpened) continue;  // an operator was opened: its operands follow
      }
      // An operand is complete: a separator, a closing parenthesis or the end follows.
      for (;;) {
        SkipBlanks();
        if (m_openAt.empty()) {
          if (!AtEnd()) Fail("text after the end of the expression");
          return m_builder.Build();
        }
        if (AtEnd())
          Fail("operator " + Name(m_openNames.back()) + " opened at position " + std::to_string(m_openAt.back()) +
               " is not closed");
        if (Peek() == U',') {
          ++m_pos;
          break;
        }
        if (Peek() != U')') Fail("expected ',' or ')'");
        CloseOperator();
      }
    }
  }

 private:
  bool AtEnd() const { return m_pos >= m_text.size(); }
  char32_t Peek() const { return AtEnd() ? 0 : m_text[m_pos]; }
  void SkipBlanks() {
    while (!AtEnd() &&
           (m_text[m_pos] == U' ' || m_text[m_pos] == U'\t' || m_text[m_pos] == U'\n' || m_text[m_pos] == U'\r')) {
      ++m_pos;
    }
  }
  [[noreturn]] void Fail(const std::string& what) const { Fail(what, m_pos); }
  [[noreturn]] void Fail(const std::string& what, std::size_t at) const { throw ExprTextError(what, at); }
  static std::string Name(std::string_view n) { return std::string(n); }

  static bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
  static bool IsNameChar(char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || IsDigit(c) || c == U'_';
  }

  // Runs a builder call, turning its complaint into a positioned error.
  template <class F>
  void Build(F&& call, std::size_t at) {
    try {
      call();
    } catch (const std::invalid_argument& e) {
      Fail(e.what(), at);
    }
  }

  void CloseOperator() {
    Build([&] { m_builder.End(); }, m_pos);
    ++m_pos;
    m_openAt.pop_back();
    m_openNames.pop_back();
    m_justOpened = false;
  }

  void ParseOperand() {
    m_justOpened = false;
    if (AtEnd()) Fail("expected an operand, found the end of the text");
    const std::size_t start = m_pos;
    const char32_t c = Peek();
    if (IsDigit(c) || c == U'-' || c == U'+' || c == U'.') return ParseNumber();
    if (c == U'\'') {
      VXString s = ReadQuoted();
      return Build([&] { m_builder.String(s); }, start);
    }
    if (c == U'#') return ParseID();
    if (!IsNameChar(c)) Fail("unexpected character " + Describe(c));
    while (!AtEnd() && IsNameChar(Peek())) ++m_pos;
    std::string name;
    for (std::size_t i = start; i < m_pos; ++i) name.push_back(static_cast<char>(m_text[i]));
    const std::size_t afterName = m_pos;
    SkipBlanks();
    if (Peek() != U'(') m_pos = afterName;
    if (Peek() == U'(') {
      const OpInfo* info = FindOpInfoByName(name);
      if (info == nullptr) Fail("unknown operator " + name, start);
      Build([&] { m_builder.Op(info->code); }, start);
      ++m_pos;
      m_openAt.push_back(start);
      m_openNames.push_back(info->name);
      m_justOpened = true;
      return;
    }
    if (name == "Q" && Peek() == U'[') return ParseQualified();
    if (Peek() != U'\'') Fail("expected '(' after operator name " + name);
    const std::size_t quoteAt = m_pos;
    const VXString body = ReadQuoted();
    if (name == "S") return Build([&] { m_builder.Symbol(body); }, start);
    if (name == "Z") {
      const std::string text = Narrow(body, quoteAt);
      if (!ZirconNumberToken::IsDecimalText(text)) Fail("Z'" + text + "' is not a decimal number", start);
      return Build([&] { m_builder.ZirconNumber(text); }, start);
    }
    if (name == "F") return ParseFloatBits(Narrow(body, quoteAt), start);
    if (name == "SQ") return ParseSubquery(Narrow(body, quoteAt), start);
    if (name == "D") {
      const std::string text = Narrow(body, quoteAt);
      std::size_t i = 0;
      const VXDate d = ReadDate(text, i, start);
      if (i != text.size()) Fail("date must look like D'YYYY-MM-DD'", start);
      return Build([&] { m_builder.Date(d); }, start);
    }
    if (name == "T") {
      const std::string text = Narrow(body, quoteAt);
      std::size_t i = 0;
      const VXTime t = ReadTime(text, i, start);
      if (i != text.size()) Fail("time must look like T'HH:MM:SS[.fraction]'", start);
      return Build([&] { m_builder.Time(t); }, start);
    }
    if (name == "TS") {
      const std::string text = Narrow(body, quoteAt);
      std::size_t i = 0;
      const VXDate d = ReadDate(text, i, start);
      if (i >= text.size() || text[i] != ' ') Fail("timestamp must look like TS'YYYY-MM-DD HH:MM:SS'", start);
      ++i;
      const VXTime t = ReadTime(text, i, start);
      if (i != text.size()) Fail("timestamp must look like TS'YYYY-MM-DD HH:MM:SS[.fraction]'", start);
      return Build([&] { m_builder.DateTime(VXDateTime(d, t)); }, start);
    }
    Fail("unknown literal prefix " + name, start);
  }

  static std::string Describe(char32_t c) {
    if (c >= 0x20 && c < 0x7f) return std::string("'") + static_cast<char>(c) + "'";
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
  }

  // The body of a quoted text at m_pos ('' stands for one quote).
  VXString ReadQuoted() {
    const std::size_t open = m_pos;
    ++m_pos;
    VXString out;
    for (;;) {
      if (AtEnd()) Fail("quoted text is not closed", open);
      const char32_t c = m_text[m_pos++];
      if (c == U'\'') {
        if (Peek() != U'\'') return out;
        ++m_pos;
      } else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        Fail("quoted text holds an invalid character " + Describe(c), m_pos - 1);
      }
      out.push_back(c);
    }
  }

  std::string Narrow(const VXString& body, std::size_t quoteAt) const {
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
      if (body[i] >= 0x80) Fail("unexpected character " + Describe(body[i]), quoteAt + 1 + i);
      out.push_back(static_cast<char>(body[i]));
    }
    return out;
  }

  void ParseNumber() {
    const std::size_t start = m_pos;
    std::string text;
    auto take = [&] { text.push_back(static_cast<char>(m_text[m_pos++])); };
    auto digits = [&] {
      std::size_t n = 0;
      while (!AtEnd() && IsDigit(Peek())) take(), ++n;
      return n;
    };
    if (Peek() == U'-' || Peek() == U'+') take();
    std::size_t mantissa = digits();
    bool isFloat = false;
    if (Peek() == U'.') {
      isFloat = true;
      take();
      mantissa += digits();
    }
    if (mantissa == 0) Fail("expected a number", start);
    if (Peek() == U'e' || Peek() == U'E') {
      isFloat = true;
      take();
      if (Peek() == U'-' || Peek() == U'+') take();
      if (digits() == 0) Fail("exponent has no digits", m_pos);
    }
    if (IsNameChar(Peek()) || Peek() == U'.') Fail("unexpected character " + Describe(Peek()) + " in number");
    const char* first = text.data() + (text[0] == '+' ? 1 : 0);
    const char* last = text.data() + text.size();
    if (isFloat) {
      double value = 0;
      const auto r = std::from_chars(first, last, value);
      if (r.ec != std::errc() || r.ptr != last) Fail("number " + text + " is out of range", start);
      return Build([&] { m_builder.Float(value); }, start);
    }
    std::int32_t value = 0;
    const auto r = std::from_chars(first, last, value);
    if (r.ec != std::errc() || r.ptr != last) Fail("integer " + text + " does not fit in 32 bits", start);
    Build([&] { m_builder.Int(value); }, start);
  }

  void ParseFloatBits(const std::string& hex, std::size_t start) {
    std::array<std::uint8_t, 8> big{};
    if (!Hex::DecodeExactly(std::string_view(hex), std::span<std::uint8_t>(big))) {
      Fail("F'...' needs 16 hex digits", start);
    }
    std::uint64_t bits = 0;
    for (std::uint8_t b : big) bits = bits << 8 | b;
    const double value = std::bit_cast<double>(bits);
    Build([&] { m_builder.Float(value); }, start);
  }

  void ParseSubquery(const std::string& hex, std::size_t start) {
    if (hex.size() % 2 != 0) Fail("SQ'...' needs an even number of hex digits", start);
    ByteVector bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
      const int hi = Hex::DigitValue(static_cast<unsigned char>(hex[i]));
      const int lo = Hex::DigitValue(static_cast<unsigned char>(hex[i + 1]));
      if (hi < 0 || lo < 0) Fail("SQ'...' holds a non-hex digit", start + 3 + i);
      bytes.push_back(static_cast<uint8>(hi * 16 + lo));
    }
    Build([&] { m_builder.Subquery(bytes); }, start);
  }

  void ParseQualified() {
    const std::size_t start = m_pos - 1;
    ++m_pos;  // '['
    VXStringVector segments;
    SkipBlanks();
    if (Peek() != U']') {
      for (;;) {
        SkipBlanks();
        if (Peek() != U'\'') Fail("expected a quoted name segment");
        segments.push_back(ReadQuoted());
        SkipBlanks();
        if (Peek() == U',') {
          ++m_pos;
          continue;
        }
        if (Peek() == U']') break;
        Fail("expected ',' or ']' in qualified name");
      }
    }
    ++m_pos;
    Build([&] { m_builder.QualifiedSymbol(segments); }, start);
  }

  void ParseID() {
    const std::size_t start = m_pos;
    ++m_pos;
    const std::size_t typeStart = m_pos;
    if (Peek() == U'-') ++m_pos;
    while (!AtEnd() && IsDigit(Peek())) ++m_pos;
    const std::string typeText = Narrow(m_text.substr(typeStart, m_pos - typeStart), typeStart - 1);
    if (Peek() != U':') Fail("object id must look like #type:number", start);
    ++m_pos;
    const std::size_t numStart = m_pos;
    while (!AtEnd() && IsDigit(Peek())) ++m_pos;
    const std::string numText = Narrow(m_text.substr(numStart, m_pos - numStart), numStart - 1);
    std::int32_t type = 0;
    std::uint32_t num = 0;
    auto r1 = std::from_chars(typeText.data(), typeText.data() + typeText.size(), type);
    auto r2 = std::from_chars(numText.data(), numText.data() + numText.size(), num);
    if (r1.ec != std::errc() || r1.ptr != typeText.data() + typeText.size() || r2.ec != std::errc() ||
        r2.ptr != numText.data() + numText.size()) {
      Fail("object id must look like #type:number, both in range", start);
    }
    if (IsNameChar(Peek())) Fail("unexpected character " + Describe(Peek()) + " in object id");
    Build([&] { m_builder.ID(VoidID(type, num)); }, start);
  }

  // Fixed-width decimal field of text at i.
  int Field(const std::string& text, std::size_t& i, std::size_t width, std::size_t start, const char* what) const {
    int v = 0;
    for (std::size_t k = 0; k < width; ++k, ++i) {
      if (i >= text.size() || text[i] < '0' || text[i] > '9')
        Fail(std::string(what) + " needs " + std::to_string(width) + " digits", start);
      v = v * 10 + (text[i] - '0');
    }
    return v;
  }

  void Expect(const std::string& text, std::size_t& i, char c, std::size_t start, const char* what) const {
    if (i >= text.size() || text[i] != c) Fail(std::string("expected '") + c + "' in " + what, start);
    ++i;
  }

  VXDate ReadDate(const std::string& text, std::size_t& i, std::size_t start) const {
    const int y = Field(text, i, 4, start, "year");
    Expect(text, i, '-', start, "date");
    const int m = Field(text, i, 2, start, "month");
    Expect(text, i, '-', start, "date");
    const int d = Field(text, i, 2, start, "day");
    const VXDate date(y, m, d);
    if (!date.IsValid()) Fail("no such date " + date.ToString(), start);
    return date;
  }

  VXTime ReadTime(const std::string& text, std::size_t& i, std::size_t start) const {
    const int h = Field(text, i, 2, start, "hour");
    Expect(text, i, ':', start, "time");
    const int mi = Field(text, i, 2, start, "minute");
    Expect(text, i, ':', start, "time");
    const int s = Field(text, i, 2, start, "second");
    std::uint32_t nanos = 0;
    if (i < text.size() && text[i] == '.') {
      ++i;
      std::size_t digits = 0;
      for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        if (digits == 9) Fail("fraction has more than 9 digits", start);
        nanos = nanos * 10 + static_cast<std::uint32_t>(text[i] - '0');
      }
      if (digits == 0) Fail("fraction has no digits", start);
      for (; digits < 9; ++digits) nanos *= 10;
    }
    const VXTime t(h, mi, s, nanos);
    if (!t.IsValid()) Fail("no such time " + t.ToString(9), start);
    return t;
  }

  const VXString& m_text;
  std::size_t m_pos = 0;
  ExprBuilder m_builder;
  std::vector<std::size_t> m_openAt;  // where each open operator's name starts
  std::vector<std::string_view> m_openNames;
  bool m_justOpened = false;
};

}  // namespace

Expr ToStringVisitor::ExprFrom(const VXString& text) { return TextParser(text).Parse(); }
