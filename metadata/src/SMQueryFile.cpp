#include "Metadata/SMQueryFile.h"

#include <cctype>
#include <istream>
#include <map>
#include <optional>
#include <sstream>
#include <utility>

#include "Expr/ToStringVisitor.h"
#include "Metadata/SMUtil.h"

QueryFileError::QueryFileError(std::size_t line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), m_line(line) {}

std::string HexFromBytes(const ByteVector& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8 b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

namespace {

std::string Trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// Splits off the first blank-separated word.
std::string TakeWord(std::string& rest) {
  rest = Trim(rest);
  const std::size_t end = rest.find_first_of(" \t");
  std::string word = rest.substr(0, end);
  rest = end == std::string::npos ? std::string() : Trim(rest.substr(end));
  return word;
}

}  // namespace

class QueryFileReader::Impl {
 public:
  Impl(ARpGateway* pRp, QueryFileTypes types) : m_pRp(pRp), m_types(std::move(types)) {}

  void Read(std::istream& in) {
    std::string raw;
    while (std::getline(in, raw)) {
      ++m_line;
      std::string rest = Trim(raw);
      if (rest.empty() || rest[0] == '#') continue;
      const std::string keyword = TakeWord(rest);
      Line(keyword, rest);
    }
    Finish();
  }

  // The query named name, or the last one.
  const AbstractListQuerySpec& Get(const std::string& name) const {
    if (m_order.empty()) throw QueryFileError(m_line, "the file defines no query");
    const std::string& key = name.empty() ? m_order.back() : name;
    auto it = m_queries.find(key);
    if (it == m_queries.end()) throw QueryFileError(m_line, "no query named '" + key + "'");
    return *it->second;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw QueryFileError(m_line, what); }

  ListQuerySpec& Single() {
    if (!m_single) Fail("this line belongs inside a 'query NAME' block");
    return *m_single;
  }

  void Line(const std::string& keyword, std::string rest) {
    if (keyword == "query" || keyword == "setquery") {
      Finish();
      m_name = TakeWord(rest);
      if (m_name.empty()) Fail("'" + keyword + "' needs a name");
      if (m_queries.count(m_name)) Fail("a query named '" + m_name + "' is already defined");
      if (keyword == "query") {
        m_single = std::make_unique<ListQuerySpec>();
        if (!rest.empty()) Fail("unexpected text after the query name: " + rest);
      } else {
        m_set = std::make_unique<MultiListQuerySpec>(CombineOp(TakeWord(rest)));
        if (rest == "all") {
          m_set->SetAll(true);
        } else if (!rest.empty()) {
          Fail("expected 'all' or nothing after the set operation, found: " + rest);
        }
      }
    } else if (keyword == "operand") {
      if (!m_set) Fail("'operand' belongs inside a 'setquery' block");
      m_set->AddSubquery(Earlier(Trim(rest)).Clone());
    } else if (keyword == "order") {
      SortSpec sort = Sort(rest);
      if (m_set) {
        m_set->GetSortSpecs().push_back(std::move(sort));
      } else {
        Single().m_projection.m_sortSpecs.push_back(std::move(sort));
      }
    } else if (keyword == "select") {
      Select(rest);
    } else if (keyword == "break") {
      BreakSpec b;
      const std::string level = TakeWord(rest);
      try {
        std::size_t used = 0;
        b.m_nestingLevel = std::stoi(level, &used);
        if (used != level.size()) throw std::invalid_argument(level);
      } catch (const std::exception&) {
        Fail("the break level must be a number, found '" + level + "'");
      }
      const std::string type = TakeWord(rest);
      if (type == "break") {
        b.m_type = BreakSpec::kBreak;
      } else if (type == "associated") {
        b.m_type = BreakSpec::kAssociated;
      } else if (type == "body") {
        b.m_type = BreakSpec::kBody;
      } else {
        Fail("the break type must be break, associated or body, found '" + type + "'");
      }
      b.m_identifiedExprID = ToVXString(Unquote(rest));
      Single().m_projection.m_breakSpecs.push_back(std::move(b));
    } else if (keyword == "distinct") {
      Single().m_bDistinct = true;
    } else if (keyword == "unsuppressed") {
      Single().m_bUnsuppressed = true;
    } else if (keyword == "from") {
      Single().m_fromTables.push_back(TableOperand(rest, false));
    } else if (keyword == "join") {
      Join(rest);
    } else if (keyword == "where") {
      Single().m_detailFilter = ParseExpr(rest);
    } else if (keyword == "having") {
      Single().m_summaryFilter = ParseExpr(rest);
    } else if (keyword == "node") {
      Single().m_joinSpec.AddNode(Object(rest));
    } else if (keyword == "link") {
      ListQuerySpec& q = Single();
      if (q.m_joinSpec.empty()) Fail("'link' needs a 'node' before it");
      const std::string linkText = Reference(rest);
      const VoidID link = Object(linkText);
      const VoidID target = Object(rest);
      q.m_joinSpec[q.m_joinSpec.size() - 1].AddLink(DirectedLink(link, target));
    } else if (keyword == "catalog") {
      Single().m_catalogFolderID = Object(rest);
    } else {
      Fail("unknown keyword '" + keyword + "'");
    }
  }

  void Finish() {
    if (m_single) {
      m_queries[m_name] = std::move(m_single);
      m_order.push_back(m_name);
    } else if (m_set) {
      if (m_set->GetNumSubqueries() == 0) Fail("set query '" + m_name + "' has no operand");
      m_queries[m_name] = std::move(m_set);
      m_order.push_back(m_name);
    }
    m_single.reset();
    m_set.reset();
  }

  MultiListQuerySpec::CombineQueryOperation CombineOp(const std::string& word) const {
    if (word == "union") return MultiListQuerySpec::kUnion;
    if (word == "intersect") return MultiListQuerySpec::kIntersect;
    if (word == "except") return MultiListQuerySpec::kExcept;
    Fail("the set operation must be union, intersect or except, found '" + word + "'");
  }

  const AbstractListQuerySpec& Earlier(const std::string& name) const {
    auto it = m_queries.find(name);
    if (it == m_queries.end()) Fail("no earlier query named '" + name + "'");
    return *it->second;
  }

  static std::string Unquote(const std::string& s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
  }

  void Select(const std::string& rest) {
    std::string alias;
    std::string exprText;
    if (!rest.empty() && rest[0] == '"') {
      const std::size_t close = rest.find('"', 1);
      if (close == std::string::npos) Fail("unclosed quote in the alias");
      alias = rest.substr(1, close - 1);
      exprText = Trim(rest.substr(close + 1));
    } else {
      const std::size_t eq = rest.find('=');
      if (eq == std::string::npos) Fail("expected 'select ALIAS = EXPR'");
      alias = Trim(rest.substr(0, eq));
      exprText = rest.substr(eq);
    }
    if (exprText.empty() || exprText[0] != '=') Fail("expected '=' after the alias");
    Single().m_projection.m_edgeExprs.push_back({ToVXString(alias), ParseExpr(exprText.substr(1))});
  }

  SortSpec Sort(std::string rest) {
    SortSpec sort;
    const std::size_t lastBlank = rest.find_last_of(" \t");
    if (lastBlank != std::string::npos) {
      const std::string word = rest.substr(lastBlank + 1);
      std::optional<SortSpec::SortDirection> dir;
      if (word == "asc") dir = SortSpec::kAscending;
      if (word == "desc") dir = SortSpec::kDescending;
      if (word == "none") dir = SortSpec::kDontCare;
      if (dir) {
        sort.m_direction = *dir;
        rest = rest.substr(0, lastBlank);
      }
    }
    sort.m_sortSpecExpr = ParseExpr(rest);
    return sort;
  }

  // A FROM operand: "derived NAME" or an object reference; the rest of the
  // line is left in rest.
  SqlTableRef TableOperand(std::string& rest, bool bAllowMore) {
    rest = Trim(rest);
    SqlTableRef ref = [&] {
      if (rest.rfind("derived ", 0) == 0) {
        rest = rest.substr(8);
        const std::string name = TakeWord(rest);
        return SqlTableRef(std::make_unique<SqlDerivedTable>(Earlier(name).Clone()));
      }
      const std::string text = Reference(rest);
      return SqlTableRef(std::make_unique<SqlAtomicTable>(Object(text)));
    }();
    if (!bAllowMore && !rest.empty()) Fail("unexpected text after the table: " + rest);
    return ref;
  }

  void Join(std::string rest) {
    ListQuerySpec& q = Single();
    if (q.m_fromTables.empty()) Fail("'join' needs a 'from' before it");
    const std::string kind = TakeWord(rest);
    static const std::map<std::string, SqlTableRef::JoinType> kKinds = {{"inner", SqlTableRef::kInnerJoin},
                                                                        {"left", SqlTableRef::kLeftOuterJoin},
                                                                        {"right", SqlTableRef::kRightOuterJoin},
                                                                        {"full", SqlTableRef::kFullOuterJoin},
                                                                        {"stitch", SqlTableRef::kFullOuterStitchJoin},
                                                                        {"natural", SqlTableRef::kNaturalJoin}};
    auto it = kKinds.find(kind);
    if (it == kKinds.end()) Fail("unknown join kind '" + kind + "'");
    SqlTableRef right = TableOperand(rest, true);
    Expr on;
    if (!rest.empty()) {
      if (rest.rfind("on ", 0) != 0) Fail("expected 'on EXPR' after the joined table, found: " + rest);
      on = ParseExpr(rest.substr(3));
    }
    SqlTableRef left = std::move(q.m_fromTables.back());
    q.m_fromTables.back() = SqlTableRef(std::make_unique<SqlTableRef>(std::move(left)),
                                        std::make_unique<SqlTableRef>(std::move(right)), it->second, std::move(on));
  }

  // Splits one reference ({...} or #type:num) off the front of rest.
  std::string Reference(std::string& rest) {
    rest = Trim(rest);
    std::size_t end = 0;
    if (!rest.empty() && rest[0] == '{') {
      bool bQuoted = false;
      for (end = 1; end < rest.size(); ++end) {
        if (rest[end] == '"') bQuoted = !bQuoted;
        if (rest[end] == '}' && !bQuoted) break;
      }
      if (end == rest.size()) Fail("unclosed '{' in an object reference");
      ++end;
    } else {
      end = rest.find_first_of(" \t");
      if (end == std::string::npos) end = rest.size();
    }
    std::string text = rest.substr(0, end);
    rest = Trim(rest.substr(end));
    if (text.empty()) Fail("expected an object reference");
    return text;
  }

  // {TYPE:"a"."b"} or #type:num.
  VoidID Object(const std::string& textIn) {
    const std::string text = Trim(textIn);
    if (!text.empty() && text[0] == '#') {
      VoidID id;
      if (!VoidID::FromString(ToVXString(text.substr(1)), id)) Fail("bad object id '" + text + "'");
      if (m_pRp->GetObject(id).IsNull()) Fail("no object with id " + text.substr(1));
      return id;
    }
    if (text.size() < 2 || text.front() != '{' || text.back() != '}') {
      Fail("expected {TYPE:\"qualified\".\"name\"} or #type:number, found '" + text + "'");
    }
    const std::string inner = text.substr(1, text.size() - 2);
    const std::size_t colon = inner.find(':');
    if (colon == std::string::npos) Fail("expected TYPE: before the name in '" + text + "'");
    TypeID type = 0;
    std::string why;
    if (!m_types.parse(Trim(inner.substr(0, colon)), type, why)) Fail(why);
    QualifiedName name;
    MetadataUtil::ParseQualifiedNameString(ToVXString(Trim(inner.substr(colon + 1))), name, '.', true);
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(m_pRp, type, name);
    if (obj.IsNull()) Fail("no " + m_types.label(type) + " named " + Trim(inner.substr(colon + 1)));
    return obj.GetID();
  }

  // The expression text form, after replacing {TYPE:name} by #type:num and
  // SQ(NAME) by the subquery's bytes. String literals are copied untouched.
  Expr ParseExpr(const std::string& textIn) {
    const std::string text = Trim(textIn);
    if (text.empty()) Fail("expected an expression");
    std::string out;
    bool bInString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '\'') bInString = !bInString;
      if (!bInString && c == '{') {
        std::string rest = text.substr(i);
        const std::string ref = Reference(rest);
        out += "#" + ToNarrow(Object(ref).ToString());
        i += ref.size() - 1;
        continue;
      }
      if (!bInString && text.compare(i, 3, "SQ(") == 0 &&
          (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1])))) {
        const std::size_t close = text.find(')', i);
        if (close == std::string::npos) Fail("unclosed SQ(");
        const std::string name = Trim(text.substr(i + 3, close - i - 3));
        out += "SQ'" + HexFromBytes(Earlier(name).ToByteVector()) + "'";
        i = close;
        continue;
      }
      out += c;
    }
    try {
      return ToStringVisitor::ExprFrom(ToVXString(out));
    } catch (const ExprTextError& e) {
      Fail(std::string("bad expression: ") + e.what());
    }
  }

  ARpGateway* m_pRp;
  QueryFileTypes m_types;
  std::size_t m_line = 0;
  std::string m_name;
  std::unique_ptr<ListQuerySpec> m_single;
  std::unique_ptr<MultiListQuerySpec> m_set;
  std::map<std::string, std::unique_ptr<AbstractListQuerySpec>> m_queries;
  std::vector<std::string> m_order;
};

QueryFileReader::QueryFileReader(ARpGateway* pRp, QueryFileTypes types)
    : m_impl(std::make_unique<Impl>(pRp, std::move(types))) {}
QueryFileReader::~QueryFileReader() = default;

void QueryFileReader::Read(std::istream& in) { m_impl->Read(in); }

const AbstractListQuerySpec& QueryFileReader::Get(const std::string& name) const { return m_impl->Get(name); }
