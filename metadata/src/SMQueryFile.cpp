#include "Metadata/SMQueryFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <string_view>
#include <utility>

#include "Expr/ToStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Utility/Hex.h"
#include "Utility/SUFileUtility.h"
#include "objectmodel/TypeIDs.h"

namespace {

// Views into the file's text: every step of a line costs only what it
// consumes, however many references the line holds.
std::string_view Trim(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// Splits off the first blank-separated word.
std::string_view TakeWord(std::string_view& rest) {
  rest = Trim(rest);
  const std::size_t end = rest.find_first_of(" \t");
  const std::string_view word = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : Trim(rest.substr(end));
  return word;
}

std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

template <typename T>
std::optional<T> FindWord(std::initializer_list<std::pair<std::string_view, T>> table, std::string_view word) {
  for (const auto& [name, value] : table) {
    if (name == word) return value;
  }
  return std::nullopt;
}

}  // namespace

std::string HexFromBytes(const ByteVector& bytes) { return Hex::EncodeBytes(bytes); }

class QueryFileReader::Impl {
 public:
  Impl(ARpGateway* pRp, const QueryFileTypes& types) : m_pRp(pRp), m_types(types) {}

  void Read(std::string_view text, const std::string& sourceName) {
    m_source = sourceName;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      ++m_line;
      std::string_view rest = Trim(text.substr(start, end - start));
      start = end + 1;
      if (rest.empty() || rest[0] == '#') continue;
      const std::string_view keyword = TakeWord(rest);
      Line(keyword, rest);
    }
    Finish();
    if (m_order.empty()) {
      Fail(0, text.empty() ? "the file is empty: it defines no query"
                           : "the file defines no query (a query starts with 'query NAME' or 'setquery NAME')");
    }
  }

  // The query named name, or the last one.
  const AbstractListQuerySpec& Get(const std::string& name) const {
    const std::string& key = name.empty() ? m_order.back() : name;
    auto it = m_queries.find(key);
    if (it == m_queries.end()) {
      std::string known;
      for (const std::string& n : m_order) known += (known.empty() ? "" : ", ") + n;
      Fail(0, "no query named '" + key + "'; the file defines " + known);
    }
    return *it->second.query;
  }

 private:
  // A query of the file. A query used as a derived table or set operand is
  // moved into its first user rather than copied, so that a chain of queries
  // each built on the one before holds every level once; query keeps pointing
  // at it wherever it now lives.
  //
  // depth counts the subqueries embedded one in another, the query itself
  // included. A subquery holds the earlier query's bytes, so each level of a
  // subquery chain holds a copy of every level below it; bounding the chain
  // as the byte form bounds its own nesting keeps what the reader holds
  // within a fixed multiple of the file.
  struct Defined {
    std::unique_ptr<AbstractListQuerySpec> owned;
    const AbstractListQuerySpec* query = nullptr;
    std::size_t depth = 1;
  };
  // A break names a select item; checked when the query is complete.
  struct BreakLine {
    std::size_t line;
    VXString alias;
  };

  using Handler = void (Impl::*)(std::string_view rest);
  struct Keyword {
    std::string_view word;
    Handler handler;
  };

  [[noreturn]] void Fail(const std::string& what) const { throw QueryFileError(m_source, m_line, what); }
  [[noreturn]] void Fail(std::size_t line, const std::string& what) const {
    throw QueryFileError(m_source, line, what);
  }

  ListQuerySpec& Single() {
    if (!m_single) Fail("this line belongs inside a 'query NAME' block");
    return *m_single;
  }

  static const std::initializer_list<Keyword>& Keywords() {
    static const std::initializer_list<Keyword> kKeywords = {
        {"query", &Impl::Query},       {"setquery", &Impl::SetQuery},
        {"operand", &Impl::Operand},   {"order", &Impl::Order},
        {"select", &Impl::Select},     {"break", &Impl::Break},
        {"distinct", &Impl::Distinct}, {"unsuppressed", &Impl::Unsuppressed},
        {"from", &Impl::From},         {"join", &Impl::Join},
        {"where", &Impl::Where},       {"having", &Impl::Having},
        {"node", &Impl::Node},         {"link", &Impl::Link},
        {"catalog", &Impl::Catalog},
    };
    return kKeywords;
  }

  void Line(std::string_view keyword, std::string_view rest) {
    for (const Keyword& k : Keywords()) {
      if (k.word == keyword) return (this->*k.handler)(rest);
    }
    Fail("unknown keyword '" + std::string(keyword) + "'");
  }

  void StartQuery(std::string_view keyword, std::string_view& rest) {
    Finish();
    m_name = std::string(TakeWord(rest));
    m_startLine = m_line;
    m_depth = 1;
    if (m_name.empty()) Fail("'" + std::string(keyword) + "' needs a name");
    if (m_queries.count(m_name)) Fail("a query named '" + m_name + "' is already defined");
  }

  void Query(std::string_view rest) {
    StartQuery("query", rest);
    m_single = std::make_unique<ListQuerySpec>();
    if (!rest.empty()) Fail("unexpected text after the query name: " + std::string(rest));
  }

  void SetQuery(std::string_view rest) {
    StartQuery("setquery", rest);
    const std::string_view op = TakeWord(rest);
    const auto kind =
        FindWord<MultiListQuerySpec::CombineQueryOperation>({{"union", MultiListQuerySpec::kUnion},
                                                             {"intersect", MultiListQuerySpec::kIntersect},
                                                             {"except", MultiListQuerySpec::kExcept}},
                                                            op);
    if (!kind) Fail("the set operation must be union, intersect or except, found '" + std::string(op) + "'");
    m_set = std::make_unique<MultiListQuerySpec>(*kind);
    if (rest == "all") {
      m_set->SetAll(true);
    } else if (!rest.empty()) {
      Fail("expected 'all' or nothing after the set operation, found: " + std::string(rest));
    }
  }

  void Operand(std::string_view rest) {
    if (!m_set) Fail("'operand' belongs inside a 'setquery' block");
    m_set->AddSubquery(TakeEarlier(Trim(rest)));
  }

  void Order(std::string_view rest) {
    SortSpec sort = Sort(rest);
    if (m_set) {
      m_set->GetSortSpecs().push_back(std::move(sort));
    } else {
      Single().m_projection.m_sortSpecs.push_back(std::move(sort));
    }
  }

  void Break(std::string_view rest) {
    ListQuerySpec& q = Single();
    BreakSpec b;
    const std::string_view level = TakeWord(rest);
    const auto [p, ec] = std::from_chars(level.data(), level.data() + level.size(), b.m_nestingLevel);
    if (level.empty() || ec != std::errc() || p != level.data() + level.size()) {
      Fail("the break level must be a number, found '" + std::string(level) + "'");
    }
    const std::string_view type = TakeWord(rest);
    const auto kind = FindWord<BreakSpec::LevelType>(
        {{"break", BreakSpec::kBreak}, {"associated", BreakSpec::kAssociated}, {"body", BreakSpec::kBody}}, type);
    if (!kind) Fail("the break type must be break, associated or body, found '" + std::string(type) + "'");
    b.m_type = *kind;
    b.m_identifiedExprID = ToVXString(std::string(Unquote(rest)));
    if (b.m_identifiedExprID.empty()) Fail("'break' needs the alias of a select item");
    m_breaks.push_back({m_line, b.m_identifiedExprID});
    q.m_projection.m_breakSpecs.push_back(std::move(b));
  }

  void Distinct(std::string_view rest) {
    NothingMore("distinct", rest);
    Single().m_bDistinct = true;
  }
  void Unsuppressed(std::string_view rest) {
    NothingMore("unsuppressed", rest);
    Single().m_bUnsuppressed = true;
  }
  void NothingMore(std::string_view keyword, std::string_view rest) const {
    if (!rest.empty()) Fail("unexpected text after '" + std::string(keyword) + "': " + std::string(rest));
  }

  void From(std::string_view rest) { Single().m_fromTables.push_back(TableOperand(rest, false)); }
  void Where(std::string_view rest) { Single().m_detailFilter = ParseExpr(rest); }
  void Having(std::string_view rest) { Single().m_summaryFilter = ParseExpr(rest); }
  void Node(std::string_view rest) { Single().m_joinSpec.AddNode(Object(rest)); }

  void Link(std::string_view rest) {
    ListQuerySpec& q = Single();
    if (q.m_joinSpec.empty()) Fail("'link' needs a 'node' before it");
    const std::string_view linkText = Reference(rest);
    const VoidID link = Object(linkText);
    const VoidID target = Object(rest);
    q.m_joinSpec[q.m_joinSpec.size() - 1].AddLink(DirectedLink(link, target));
  }

  void Catalog(std::string_view rest) {
    ListQuerySpec& q = Single();
    const VoidID folder = Object(rest);
    if (folder.GetTypeID() != kTIDACatalogFolder) {
      Fail("'catalog' needs a subject area (" + m_types.label(kTIDACatalogFolder) + "), found " +
           m_types.label(folder.GetTypeID()) + " " + std::string(Trim(rest)));
    }
    q.m_catalogFolderID = folder;
  }

  void Finish() {
    if (m_single) {
      const auto& items = m_single->m_projection.m_edgeExprs;
      for (const BreakLine& b : m_breaks) {
        bool bFound = false;
        for (const auto& item : items) bFound = bFound || item.m_name == b.alias;
        if (!bFound)
          Fail(b.line, "the break names '" + ToNarrow(b.alias) + "', which no select item of query '" + m_name +
                           "' has as its alias");
      }
      Keep(std::move(m_single));
    } else if (m_set) {
      if (m_set->GetNumSubqueries() == 0) Fail(m_startLine, "set query '" + m_name + "' has no operand");
      Keep(std::move(m_set));
    }
    m_breaks.clear();
  }

  void Keep(std::unique_ptr<AbstractListQuerySpec> query) {
    Defined& d = m_queries[m_name];
    d.query = query.get();
    d.owned = std::move(query);
    d.depth = m_depth;
    m_order.push_back(m_name);
  }

  Defined& Find(std::string_view name) {
    auto it = m_queries.find(std::string(name));
    if (it == m_queries.end()) Fail("no earlier query named '" + std::string(name) + "'");
    return it->second;
  }

  // The bytes of an earlier query, for a subquery token.
  ByteVector SubqueryBytes(std::string_view name) {
    const Defined& d = Find(name);
    const std::string quoted = "SQ(" + std::string(name) + ")";
    if (d.depth >= AbstractListQuerySpec::kMaxNestingDepth) {
      Fail(quoted + " would nest subqueries " + std::to_string(d.depth + 1) + " levels deep in query '" + m_name +
           "'; at most " + std::to_string(AbstractListQuerySpec::kMaxNestingDepth) + " are allowed");
    }
    m_depth = std::max(m_depth, d.depth + 1);
    try {
      return d.query->ToByteVector();
    } catch (const std::length_error& e) {
      Fail(quoted + ": " + e.what());
    }
  }

  // An earlier query for a user that owns it: the query itself the first
  // time, a copy after that.
  std::unique_ptr<AbstractListQuerySpec> TakeEarlier(std::string_view name) {
    Defined& d = Find(name);
    m_depth = std::max(m_depth, d.depth);
    if (d.owned) return std::move(d.owned);
    return d.query->Clone();
  }

  void Select(std::string_view rest) {
    std::string_view alias;
    std::string_view exprText;
    if (!rest.empty() && rest[0] == '"') {
      const std::size_t close = rest.find('"', 1);
      if (close == std::string_view::npos) Fail("unclosed quote in the alias");
      alias = rest.substr(1, close - 1);
      exprText = Trim(rest.substr(close + 1));
    } else {
      const std::size_t eq = rest.find('=');
      if (eq == std::string_view::npos) Fail("expected 'select ALIAS = EXPR'");
      alias = Trim(rest.substr(0, eq));
      exprText = rest.substr(eq);
    }
    if (alias.empty()) Fail("a select item needs an alias: 'select ALIAS = EXPR'");
    if (exprText.empty() || exprText[0] != '=') Fail("expected '=' after the alias");
    Single().m_projection.m_edgeExprs.push_back({ToVXString(std::string(alias)), ParseExpr(exprText.substr(1))});
  }

  SortSpec Sort(std::string_view rest) {
    SortSpec sort;
    rest = Trim(rest);
    const std::size_t lastBlank = rest.find_last_of(" \t");
    if (lastBlank != std::string_view::npos) {
      const auto dir = FindWord<SortSpec::SortDirection>(
          {{"asc", SortSpec::kAscending}, {"desc", SortSpec::kDescending}, {"none", SortSpec::kDontCare}},
          rest.substr(lastBlank + 1));
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
  SqlTableRef TableOperand(std::string_view& rest, bool bAllowMore) {
    rest = Trim(rest);
    SqlTableRef ref = [&] {
      if (rest.starts_with("derived ")) {
        rest = rest.substr(8);
        const std::string_view name = TakeWord(rest);
        return SqlTableRef(std::make_unique<SqlDerivedTable>(TakeEarlier(name)));
      }
      const std::string_view text = Reference(rest);
      return SqlTableRef(std::make_unique<SqlAtomicTable>(Object(text)));
    }();
    if (!bAllowMore && !rest.empty()) Fail("unexpected text after the table: " + std::string(rest));
    return ref;
  }

  void Join(std::string_view rest) {
    ListQuerySpec& q = Single();
    if (q.m_fromTables.empty()) Fail("'join' needs a 'from' before it");
    const std::string_view kind = TakeWord(rest);
    const auto type = FindWord<SqlTableRef::JoinType>({{"inner", SqlTableRef::kInnerJoin},
                                                       {"left", SqlTableRef::kLeftOuterJoin},
                                                       {"right", SqlTableRef::kRightOuterJoin},
                                                       {"full", SqlTableRef::kFullOuterJoin},
                                                       {"stitch", SqlTableRef::kFullOuterStitchJoin},
                                                       {"natural", SqlTableRef::kNaturalJoin}},
                                                      kind);
    if (!type) Fail("unknown join kind '" + std::string(kind) + "'");
    SqlTableRef right = TableOperand(rest, true);
    Expr on;
    if (!rest.empty()) {
      if (!rest.starts_with("on ")) Fail("expected 'on EXPR' after the joined table, found: " + std::string(rest));
      on = ParseExpr(rest.substr(3));
    }
    SqlTableRef left = std::move(q.m_fromTables.back());
    q.m_fromTables.back() = SqlTableRef(std::make_unique<SqlTableRef>(std::move(left)),
                                        std::make_unique<SqlTableRef>(std::move(right)), *type, std::move(on));
  }

  // Splits one reference ({...} or #type:num) off the front of rest.
  std::string_view Reference(std::string_view& rest) {
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
      if (end == std::string_view::npos) end = rest.size();
    }
    const std::string_view text = rest.substr(0, end);
    rest = Trim(rest.substr(end));
    if (text.empty()) Fail("expected an object reference");
    return text;
  }

  // {TYPE:"a"."b"} or #type:num.
  VoidID Object(std::string_view textIn) {
    const std::string_view text = Trim(textIn);
    if (!text.empty() && text[0] == '#') {
      VoidID id;
      if (!VoidID::FromString(ToVXString(std::string(text.substr(1))), id))
        Fail("bad object id '" + std::string(text) + "'");
      if (m_pRp->GetObject(id).IsNull()) Fail("no object with id " + std::string(text.substr(1)));
      return id;
    }
    if (text.size() < 2 || text.front() != '{' || text.back() != '}') {
      Fail("expected {TYPE:\"qualified\".\"name\"} or #type:number, found '" + std::string(text) + "'");
    }
    const std::string_view inner = text.substr(1, text.size() - 2);
    const std::size_t colon = inner.find(':');
    if (colon == std::string_view::npos) Fail("expected TYPE: before the name in '" + std::string(text) + "'");
    TypeID type = 0;
    std::string why;
    if (!m_types.parse(std::string(Trim(inner.substr(0, colon))), type, why)) Fail(why);
    const std::string nameText(Trim(inner.substr(colon + 1)));
    QualifiedName name;
    MetadataUtil::ParseQualifiedNameString(ToVXString(nameText), name, '.', true);
    Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(m_pRp, type, name);
    if (obj.IsNull()) Fail("no " + m_types.label(type) + " named " + nameText);
    return obj.GetID();
  }

  // The expression text form, after replacing {TYPE:name} by #type:num and
  // SQ(NAME) by the subquery's bytes. String literals are copied untouched.
  Expr ParseExpr(std::string_view textIn) {
    const std::string_view text = Trim(textIn);
    if (text.empty()) Fail("expected an expression");
    std::string out;
    out.reserve(text.size());
    bool bInString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char c = text[i];
      if (c == '\'') bInString = !bInString;
      if (!bInString && c == '{') {
        std::string_view rest = text.substr(i);
        const std::string_view ref = Reference(rest);
        out += "#" + ToNarrow(Object(ref).ToString());
        i += ref.size() - 1;
        continue;
      }
      if (!bInString && text.compare(i, 3, "SQ(") == 0 &&
          (i == 0 || !std::isalnum(static_cast<unsigned char>(text[i - 1])))) {
        const std::size_t close = text.find(')', i);
        if (close == std::string_view::npos) Fail("unclosed SQ(");
        const std::string_view name = Trim(text.substr(i + 3, close - i - 3));
        out += "SQ'" + HexFromBytes(SubqueryBytes(name)) + "'";
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
  const QueryFileTypes& m_types;
  std::string m_source;
  std::size_t m_line = 0;
  std::size_t m_startLine = 0;
  std::string m_name;
  std::unique_ptr<ListQuerySpec> m_single;
  std::unique_ptr<MultiListQuerySpec> m_set;
  std::vector<BreakLine> m_breaks;
  std::size_t m_depth = 1;  // of the query being read
  std::map<std::string, Defined> m_queries;
  std::vector<std::string> m_order;
};

QueryFileReader::QueryFileReader(ARpGateway* pRp, QueryFileTypes types)
    : m_types(std::move(types)), m_impl(std::make_unique<Impl>(pRp, m_types)) {}
QueryFileReader::~QueryFileReader() = default;

void QueryFileReader::Read(std::string_view text, const std::string& sourceName) { m_impl->Read(text, sourceName); }

void QueryFileReader::ReadFile(const std::string& path) {
  std::string text;
  try {
    text = SUFileUtility::ReadRegularFile(path, "query file");
  } catch (const SUFileUtility::SUFileError& e) {
    throw QueryFileError(path, 0, "cannot open the query file: " + e.GetReason());
  }
  Read(text, path);
}

const AbstractListQuerySpec& QueryFileReader::Get(const std::string& name) const { return m_impl->Get(name); }
