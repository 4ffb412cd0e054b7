// The logical SQL front end: reads the queries people type, resolves every
// name for one user through the presentation lookups, and says precisely
// what is wrong, with positions.
//
//   const std::string text =
//       "SELECT \"Customers\".\"Region\", SUM(Orders.Revenue) AS Total\n"
//       "FROM \"Sales Analysis\"\n"
//       "WHERE Orders.Status = 'SHIPPED'\n"
//       "ORDER BY 2 DESC";
//   logical_sql::BindResult r = logical_sql::ParseAndBind(text, pRp, U"anna.berg", {});
//   for (const logical_sql::Diagnostic& d : r.diagnostics) {
//     // d.range.start.line / .column (1-based, code points) and
//     // d.range.start.offset / d.range.end.offset (bytes of text)
//     std::cerr << d.range.start.line << ':' << d.range.start.column << ": " << ToNarrow(d.message) << '\n';
//   }
//   if (r.spec) {
//     // A ListQuerySpec (or MultiListQuerySpec for UNION, INTERSECT, EXCEPT)
//     // whose expressions hold object ids: every naming mode writes it.
//     VXString sql = logical_sql::Format(*r.spec, pRp, {.mode = logical_sql::NamingMode::kById});
//   }
//   for (const logical_sql::BoundName& n : r.names) {
//     // n.range: the bytes of the name in text; n.id: what it resolved to.
//   }
//
// Two entry points. Parse reads text into a syntax tree with no repository
// (for editors and tools that have none). ParseAndBind also resolves every
// name and returns the query spec. Neither throws for anything a
// user can type: every fault is a Diagnostic (severity, stable code,
// catalogued message, byte and line/column range, and for names the lookup
// outcome, the candidates on ambiguity and up to five did-you-mean names the
// user may read). Parsing recovers at the next select item or clause, so one
// run reports every fault of a query. Hostile text gets diagnostics too:
// nesting deeper than kMaxNesting is refused at the level that goes too
// deep, and time and memory grow linearly with the text.
//
// What was bound where: BindResult::names holds one record per name in the
// text (subject areas, columns, variables), in text order, with the byte
// range of the whole name, the outcome code and, when it resolved, the id,
// type, qualified name and display name of the object. A language server
// answers hover and go-to-definition from it; it is filled also when the
// query has errors elsewhere.
//
// Operators are read with the spellings the expression renderer writes
// (ToPrettyStringVisitor's operator table, own-body keywords, date parts,
// interval kinds, truth tests and data types), so an operator added there is
// read here without another table. Where two op codes render to the same
// text the parser takes one of them; SameTextOpCodes() lists each pair and
// the one taken.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ListQuerySpec/ListQuerySpec.h"
#include "Metadata/SMLookupCondition.h"
#include "Utility/SUHugePages.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"

class ARpGateway;

namespace logical_sql {

// A place in the text: line and column count from 1 (columns in code
// points), offset counts bytes from 0.
struct SourcePosition {
  std::uint32_t line = 1;
  std::uint32_t column = 1;
  std::size_t offset = 0;
  friend bool operator==(const SourcePosition&, const SourcePosition&) = default;
};

// From start up to (not including) end.
struct SourceRange {
  SourcePosition start;
  SourcePosition end;
  friend bool operator==(const SourceRange&, const SourceRange&) = default;
};

enum class Severity : std::uint8_t { kError, kWarning };

// The outcome of resolving one name. The table outcomes have the values of
// NamedInterfaceTypeCondition::LookupFolderTreeRetCode; the rest extend them
// for columns, subject areas and variables.
enum NameOutcome : int {
  kOK = 0,
  kUnresovableTable = 1,
  kAmbiguousTable = 2,
  kAmbiguousCatalog = 3,
  kInaccessibleTable = 4,
  kNonexistentTable = 5,
  kAmbiguousColumn = 6,
  kInaccessibleColumn = 7,
  kNonexistentColumn = 8,
  kNonexistentCatalog = 9,
  kInaccessibleCatalog = 10,
  kNonexistentVariable = 11,
  kNotAnOutcome = -1,  // the diagnostic is not about a name
};
// "kAmbiguousColumn" and so on.
std::string_view OutcomeName(NameOutcome outcome);

// One fault found in the text.
struct Diagnostic {
  Severity severity = Severity::kError;
  std::string code;   // stable, e.g. "sql.syntax.expected", "sql.name.inaccessible-column"
  int messageId = 0;  // the message catalogue's number of message
  VXString message;   // the catalogued text with its arguments filled in
  SourceRange range;
  NameOutcome outcome = kNotAnOutcome;
  QualifiedNameIDPairVector candidates;    // on ambiguity: what the name could mean
  std::vector<QualifiedName> suggestions;  // on a miss: up to five readable names
};

bool HasErrors(std::span<const Diagnostic> diagnostics);
// The message with its did-you-mean names and candidates, as one line of
// UTF-8: "... (did you mean A, B or C?)", "... (candidates: A, B)".
std::string MessageLine(const Diagnostic& d);

// ---- syntax tree ---------------------------------------------------------------

// Bytes of the text, from begin up to (not including) end.
struct TextSpan {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
  bool empty() const { return begin == end; }
  friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// Lines and columns of byte offsets in one text. The tree keeps offsets
// only, since most of its positions are never shown; this answers for the
// few that are, after one pass over the text.
class TextPositions {
 public:
  explicit TextPositions(std::string_view text);
  // Offsets past the end are taken as the end.
  SourcePosition At(std::size_t offset) const;
  SourceRange Of(TextSpan span) const { return {At(span.begin), At(span.end)}; }

 private:
  // Code points before every kBlock-th byte, so that a column is counted
  // over at most one block; empty when the text is all ASCII.
  static constexpr std::size_t kBlock = 256;
  std::size_t CodePointsBefore(std::size_t offset) const;
  std::string_view m_text;
  std::vector<std::uint32_t> m_lineStarts;
  std::vector<std::uint32_t> m_blockCodePoints;
};

// Nodes live in one vector of the tree and refer to each other by index.
using NodeIndex = std::uint32_t;
constexpr NodeIndex kNoNode = 0xFFFFFFFFu;

// Nodes hold spans of the text rather than copies of it: SyntaxTree's
// Segments and Value read a name or a literal when someone asks. A node is
// 24 bytes, its payload one of a span, a list of children, a number or a
// query, by kind; a tree of 10 MB of text has about a million of them.
struct ExprNode {
  enum Kind : std::uint8_t {
    kName,             // Value(): the name (a column, a select-item alias or a derived table's column)
    kInt,              // IntValue()
    kFloat,            // FloatValue()
    kNumber,           // Value(): a number too long for an int or with more digits than a double holds
    kString,           // Value(): the quoted literal (empty for ROWID(), which reads as '')
    kDate,             // Value(): the quoted literal after DATE
    kTime,             // Value(): ... after TIME
    kTimestamp,        // Value(): ... after TIMESTAMP
    kParameter,        // IntValue(): a parameter code (date part, interval kind, truth value, data type code)
    kOperator,         // opCode, children in stored order (AGO without a level and
                       // PeriodRolling without a grain have one fewer: the
                       // binder gives the null reference the model stores)
    kSubquery,         // Query()
    kVariable,         // Value(): the name in VALUEOF(name) of a repository variable or a block's variable
    kSessionVariable,  // Value(): the name in VALUEOF(VX_SESSION."name"); one child, the index, when given
  };
  Kind kind = kInt;
  int opCode = 0;  // kOperator
  TextSpan range;  // all of the node's text

  static ExprNode Text(Kind kind, TextSpan range, TextSpan value) {
    ExprNode n(kind, range);
    n.m_a = value.begin;
    n.m_b = value.end;
    return n;
  }
  static ExprNode Int(Kind kind, std::int32_t value, TextSpan range) {
    ExprNode n(kind, range);
    n.m_a = static_cast<std::uint32_t>(value);
    return n;
  }
  static ExprNode Float(double value, TextSpan range) {
    ExprNode n(kFloat, range);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    n.m_a = static_cast<std::uint32_t>(bits);
    n.m_b = static_cast<std::uint32_t>(bits >> 32);
    return n;
  }
  static ExprNode Operator(int code, TextSpan range, std::uint32_t firstChild, std::uint32_t childCount) {
    ExprNode n(kOperator, range);
    n.opCode = code;
    n.m_a = firstChild;
    n.m_b = childCount;
    return n;
  }
  static ExprNode Subquery(NodeIndex query, TextSpan range) {
    ExprNode n(kSubquery, range);
    n.m_a = query;
    return n;
  }
  // The index, when given, is SyntaxTree::children[indexAt].
  static ExprNode SessionVariable(TextSpan range, TextSpan name, NodeIndex indexAt = kNoNode) {
    ExprNode n = Text(kSessionVariable, range, name);
    n.opCode = static_cast<int>(indexAt);
    return n;
  }

  // The span the kind reads its value from; the whole range for kinds without one.
  TextSpan Value() const {
    switch (kind) {
      case kInt:
      case kFloat:
      case kParameter:
      case kOperator:
      case kSubquery:
        return range;
      default:
        return {m_a, m_b};
    }
  }
  std::int32_t IntValue() const { return static_cast<std::int32_t>(m_a); }
  double FloatValue() const { return std::bit_cast<double>(std::uint64_t{m_b} << 32 | m_a); }
  NodeIndex Query() const { return m_a; }
  // The children are SyntaxTree::children[FirstChild(), FirstChild() + ChildCount()).
  std::uint32_t FirstChild() const {
    return kind == kOperator ? m_a : kind == kSessionVariable && opCode != -1 ? static_cast<std::uint32_t>(opCode) : 0;
  }
  std::uint32_t ChildCount() const { return kind == kOperator ? m_b : kind == kSessionVariable && opCode != -1; }

  ExprNode() = default;

 private:
  ExprNode(Kind k, TextSpan r) : kind(k), range(r) {}
  std::uint32_t m_a = 0;
  std::uint32_t m_b = 0;
};
static_assert(sizeof(ExprNode) == 24);

struct SelectItem {
  NodeIndex expr = kNoNode;
  TextSpan alias;  // empty when none was given
};

struct FromItem {
  TextSpan subjectArea;         // a subject area by name, or
  NodeIndex derived = kNoNode;  // a derived table (a query node)
  TextSpan alias;
  TextSpan range;
};

struct OrderItem {
  NodeIndex expr = kNoNode;   // an expression, or
  std::int64_t position = 0;  // a select-item position (from 1) when expr is kNoNode
  bool bDescending = false;
  TextSpan range;
};

struct QueryNode {
  enum Kind : std::uint8_t { kSelect, kSet };
  Kind kind = kSelect;
  // kSelect
  bool bDistinct = false;
  std::vector<SelectItem> items;
  std::vector<FromItem> from;
  NodeIndex where = kNoNode;
  std::vector<NodeIndex> groupBy;
  NodeIndex having = kNoNode;
  // kSet: operands in order, combined by setOp
  int setOp = 0;  // MultiListQuerySpec::CombineQueryOperation
  bool bAll = false;
  std::vector<NodeIndex> operands;
  // both
  std::vector<OrderItem> orderBy;
  std::optional<std::int64_t> fetchFirst;
  TextSpan range;
};

// The allocator of the tree's vectors. Blocks of kFreshFrom and more, which
// the C library maps afresh for every allocation, are aligned to a huge page
// and advised whole (see SUHugePages), so that a large tree is filled with a
// page fault per 2 MB from its first byte (an unaligned block leaves up to
// 2 MB at its start in small pages, a few hundred page faults). Smaller
// blocks are the heap's, which a program parsing one text after another
// gets back without a page fault.
template <class T>
struct TreeAllocator {
  using value_type = T;
  static constexpr std::size_t kAlign = std::size_t{2} << 20;
  static constexpr std::size_t kFreshFrom = std::size_t{32} << 20;
  TreeAllocator() = default;
  template <class U>
  TreeAllocator(const TreeAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n * sizeof(T) < kFreshFrom) return std::allocator<T>().allocate(n);
    void* p = ::operator new (n * sizeof(T), std::align_val_t{kAlign});
    SUHugePages::Advise(p, n * sizeof(T));
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n * sizeof(T) < kFreshFrom) return std::allocator<T>().deallocate(p, n);
    ::operator delete (p, std::align_val_t{kAlign});
  }
  friend bool operator==(const TreeAllocator&, const TreeAllocator&) { return true; }
};
template <class T>
using TreeVector = std::vector<T, TreeAllocator<T>>;

// The tree refers into the text it was parsed from, which must outlive it.
struct SyntaxTree {
  std::string_view text;
  // Huge pages when large (TreeAllocator): filling fresh memory a 4 KB page
  // at a time was most of the time of a large parse.
  TreeVector<ExprNode> exprs;
  TreeVector<NodeIndex> children;  // see ExprNode::FirstChild
  std::vector<QueryNode> queries;
  NodeIndex root = kNoNode;  // the statement's query, kNoNode when nothing parsed

  std::span<const NodeIndex> Children(const ExprNode& n) const {
    return std::span<const NodeIndex>(children).subspan(n.FirstChild(), n.ChildCount());
  }
  std::string_view Source(TextSpan s) const { return text.substr(s.begin, s.end - s.begin); }
  // The segments of a name, quotes removed: "Sales"."Order Date" is Sales, Order Date.
  QualifiedName Segments(TextSpan name) const;
  // The value of one quoted name or string literal (quotes removed, doubled
  // quotes undoubled), or a word as written.
  VXString Value(TextSpan token) const;
};

// Deeper nesting of expressions and queries than this is refused.
constexpr std::size_t kMaxNesting = 400;

struct ParseResult {
  SyntaxTree tree;
  std::vector<Diagnostic> diagnostics;
};

// Text (UTF-8; invalid bytes are reported and read as U+FFFD) to a syntax
// tree. No repository needed.
ParseResult Parse(std::string_view text);

// ---- binding ---------------------------------------------------------------------

struct BindOptions {
  // Look past read denials (the query then shows what the user may not read
  // as nulls); off, the user's read security applies to every name.
  bool bProjectInaccessibleAsNull = false;
};

// One name of the text and what it resolved to.
struct BoundName {
  enum Kind : std::uint8_t { kSubjectArea, kColumn, kVariable, kAlias, kDerivedColumn };
  Kind kind = kColumn;
  SourceRange range;
  QualifiedName written;  // the segments as typed, quotes removed
  NameOutcome outcome = kNonexistentColumn;
  VoidID id;  // VoidID::NullID unless outcome is kOK
  TypeID type = 0;
  VXString qualifiedName;  // written form, quoted
  VXString displayName;    // the custom display name when the object has one
};

struct BindResult {
  // Null when the text did not parse into a query or a name did not bind.
  std::unique_ptr<AbstractListQuerySpec> spec;
  std::vector<Diagnostic> diagnostics;
  std::vector<BoundName> names;
  // FETCH FIRST n ROWS ONLY of the statement (the query spec has no place for it).
  std::optional<std::int64_t> fetchFirst;
};

// Parses text and binds it in pRp as the user userName (empty: the
// gateway's current user, and the session is only read). Signing on changes
// the current user and read denials, as ARpGateway::SignOnAs does. A query's
// names resolve with its FROM subject area as the default, passed down on
// the calling thread (ScopedDefaultSubjectArea), never set on the session.
BindResult ParseAndBind(std::string_view text, ARpGateway* pRp, const VXString& userName, const BindOptions& options);

// ---- writing back ----------------------------------------------------------------

enum class NamingMode : std::uint8_t {
  kFullyQualified,  // "Subject Area"."Table"."Column", every part quoted
  kById,            // "4010:3"
  kDisplayNames,    // custom display names where objects have them
};

struct FormatOptions {
  NamingMode mode = NamingMode::kFullyQualified;
  std::optional<std::int64_t> fetchFirst = std::nullopt;  // written as FETCH FIRST n ROWS ONLY
};

// The query spec as logical SQL in this front end's grammar: a text that
// Parse reads back (in the fully qualified mode, ParseAndBind binds it to the
// same query spec).
VXString Format(const AbstractListQuerySpec& spec, ARpGateway* pRp, const FormatOptions& options);

// Pairs of op codes that render to the same text, and the one the parser
// takes when it reads that text.
struct SameTextPair {
  int rendered;  // an op code whose text the parser reads as...
  int parsedAs;  // ...this op code (or 0 when it reads as its operand alone)
  std::string_view why;
};
std::span<const SameTextPair> SameTextOpCodes();

// Data type codes that CAST writes with the same keyword, and the code the
// parser takes for that keyword (codes as ToPrettyStringVisitor::DataTypeSpellings indexes them).
struct SameTextDataType {
  int rendered;
  int parsedAs;
};
std::span<const SameTextDataType> SameTextDataTypes();

}  // namespace logical_sql
