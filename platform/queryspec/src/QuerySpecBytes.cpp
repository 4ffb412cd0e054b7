// The byte form of list query specs: writer and reader side by side.
//
// Layout (integers big-endian, strings and string vectors as DataBlobUtil
// writes them, ids in their 8-byte stored form):
//   blob     := 'Q' 'S' version(1) spec
//   spec     := kind:u8 (0 single, 1 set) (single | set)
//   single   := u32 n { name:string expr }            select items
//               u32 n { type:i32 level:i32 id:string } break specs
//               u32 n sort                            sort specs
//               detail:expr summary:expr
//               u32 n { node:id u32 m { link:id target:id } }   join graph
//               distinct:bool unsuppressed:bool
//               u32 n tableref                        from tables
//               catalogFolder:id
//               u32 n { name:string projections:string-vector
//                       u32 m { u32 k expr*k filter:expr } }    selections
//   set      := op:i32 all:bool u32 n sort u32 n spec
//   sort     := direction:i32 expr
//   expr     := u32 length, token bytes, format:string
//   table    := type:u8 (atomic id | tableref | derived spec |
//                         external string-vector | script expr | null)
//   tableref := joinType:i32 hasRight:bool left:table [right:tableref] on:expr
// A join's left table must itself be a table reference.
#include <stdexcept>
#include <string>

#include "ListQuerySpec/ListQuerySpec.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/VXThread.h"

namespace {
constexpr uint8 kMagic0 = 'Q';
constexpr uint8 kMagic1 = 'S';
constexpr uint8 kVersion = 1;

// Smallest encodings, for checking counts against the bytes left.
constexpr std::size_t kMinExpr = 8;
constexpr std::size_t kMinItem = 4 + kMinExpr;
constexpr std::size_t kMinBreak = 12;
constexpr std::size_t kMinSort = 4 + kMinExpr;
constexpr std::size_t kMinNode = 8 + 4;
constexpr std::size_t kMinLink = 16;
constexpr std::size_t kMinTableRef = 4 + 1 + 1 + kMinExpr;
constexpr std::size_t kMinSelection = 4 + 4 + 4;
constexpr std::size_t kMinInclude = 4 + kMinExpr;
constexpr std::size_t kMinSpec = 1;

// ---- writer ---------------------------------------------------------------

class Writer {
 public:
  explicit Writer(ByteVector& out) : m_out(out) {}

  void Spec(const AbstractListQuerySpec& spec) {
    Enter();
    if (spec.m_queryType == AbstractListQuerySpec::kSingleQuery) {
      m_out.push_back(0);
      Single(spec.ToListQuerySpec());
    } else {
      m_out.push_back(1);
      Set(spec.ToMultiListQuerySpec());
    }
    --m_depth;
  }

 private:
  void Enter() {
    if (++m_depth > AbstractListQuerySpec::kMaxNestingDepth) {
      throw std::length_error("the query spec nests deeper than " +
                              std::to_string(AbstractListQuerySpec::kMaxNestingDepth) + " levels and has no byte form");
    }
  }
  void Count(std::size_t n) { DataBlobUtil::ToByteVector(m_out, static_cast<std::uint32_t>(n)); }
  void Int(std::int32_t v) { DataBlobUtil::ToByteVector(m_out, v); }
  void Bool(bool b) { DataBlobUtil::ToByteVector(m_out, b); }
  void String(const VXString& s) { DataBlobUtil::ToByteVector(m_out, s); }
  void Id(const VoidID& id) { SORpPortable::VoidIDToPStoredVoidIDFormat(id, m_out); }
  void ExprBytes(const Expr& e) {
    const ByteVector& tokens = e.GetTokenBytes();
    Count(tokens.size());
    m_out.insert(m_out.end(), tokens.begin(), tokens.end());
    String(e.GetFormatStr());
  }
  void Sorts(const std::vector<SortSpec>& sorts) {
    Count(sorts.size());
    for (const SortSpec& s : sorts) {
      Int(s.m_direction);
      ExprBytes(s.m_sortSpecExpr);
    }
  }

  void Single(const ListQuerySpec& q) {
    Count(q.m_projection.m_edgeExprs.size());
    for (const IdentifiedExpr& item : q.m_projection.m_edgeExprs) {
      String(item.m_name);
      ExprBytes(item.m_expr);
    }
    Count(q.m_projection.m_breakSpecs.size());
    for (const BreakSpec& b : q.m_projection.m_breakSpecs) {
      Int(b.m_type);
      Int(b.m_nestingLevel);
      String(b.m_identifiedExprID);
    }
    Sorts(q.m_projection.m_sortSpecs);
    ExprBytes(q.m_detailFilter);
    ExprBytes(q.m_summaryFilter);
    Count(q.m_joinSpec.size());
    for (const GraphNode& node : q.m_joinSpec) {
      Id(node.GetNodeID());
      Count(node.GetAdjacentLinks().size());
      for (const DirectedLink& link : node.GetAdjacentLinks()) {
        Id(link.GetLinkID());
        Id(link.GetTargetNodeID());
      }
    }
    Bool(q.m_bDistinct);
    Bool(q.m_bUnsuppressed);
    Count(q.m_fromTables.size());
    for (const SqlTableRef& t : q.m_fromTables) TableRef(t);
    Id(q.m_catalogFolderID);
    Count(q.m_selectionSpecs.size());
    for (const SelectionSpec& sel : q.m_selectionSpecs) {
      String(sel.m_selectionName);
      DataBlobUtil::ToByteVector(m_out, sel.m_projectionNames);
      Count(sel.m_includeSpecs.size());
      for (const IncludeSpec& inc : sel.m_includeSpecs) {
        Count(inc.m_exprs.size());
        for (const Expr& e : inc.m_exprs) ExprBytes(e);
        ExprBytes(inc.m_filter);
      }
    }
  }

  void Set(const MultiListQuerySpec& q) {
    Int(q.GetCombineQueryOperation());
    Bool(q.IsAll());
    Sorts(q.GetSortSpecs());
    Count(static_cast<std::size_t>(q.GetNumSubqueries()));
    for (int i = 0; i < q.GetNumSubqueries(); ++i) Spec(q.GetIthSubquery(i));
  }

  void Table(const SqlAbstractTable& t) {
    m_out.push_back(static_cast<uint8>(t.GetTableType()));
    switch (t.GetTableType()) {
      case SqlAbstractTable::kAtomicTable:
        Id(static_cast<const SqlAtomicTable&>(t).GetObjID());
        break;
      case SqlAbstractTable::kTableRef:
        TableRef(static_cast<const SqlTableRef&>(t));
        break;
      case SqlAbstractTable::kDerivedTable:
        Spec(static_cast<const SqlDerivedTable&>(t).GetSubquery());
        break;
      case SqlAbstractTable::kExternalTable:
        DataBlobUtil::ToByteVector(m_out, static_cast<const SqlExternalTable&>(t).GetName());
        break;
      case SqlAbstractTable::kEvaluateTableScriptObject:
        ExprBytes(static_cast<const SqlEvaluateTableScriptObject&>(t).GetScript());
        break;
      case SqlAbstractTable::kNullTable:
        break;
    }
  }

  void TableRef(const SqlTableRef& t) {
    Enter();
    Int(t.GetJoinType());
    Bool(t.GetRightTable() != nullptr);
    Table(*t.GetLeftTable());
    if (t.GetRightTable()) TableRef(static_cast<const SqlTableRef&>(*t.GetRightTable()));
    ExprBytes(t.GetSearchCond());
    --m_depth;
  }

  ByteVector& m_out;
  std::size_t m_depth = 0;
};

// ---- reader ---------------------------------------------------------------

class Reader {
 public:
  explicit Reader(BlobCursor& cur) : m_cur(cur) {}

  std::unique_ptr<AbstractListQuerySpec> Spec() {
    Enter();
    const std::size_t at = m_cur.Offset();
    const std::uint8_t kind = m_cur.ReadByte();
    std::unique_ptr<AbstractListQuerySpec> result;
    if (kind == 0) {
      auto q = std::make_unique<ListQuerySpec>();
      Single(*q);
      result = std::move(q);
    } else if (kind == 1) {
      result = Set();
    } else {
      throw BlobDecodeError("query kind must be 0 (single) or 1 (set), found " + std::to_string(kind), at);
    }
    --m_depth;
    return result;
  }

 private:
  void Enter() {
    if (++m_depth > AbstractListQuerySpec::kMaxNestingDepth) {
      m_cur.Fail("query spec nests deeper than " + std::to_string(AbstractListQuerySpec::kMaxNestingDepth) + " levels");
    }
    // Decoding may itself run deep inside a rendering; the depth bound above
    // keeps the reader's own frames small, this keeps the total in the limit.
    VXThread::LowStackCheck(0);
  }

  // An enumeration value, checked against its range.
  std::int32_t Enum(std::int32_t last, const char* what) {
    const std::size_t at = m_cur.Offset();
    const std::int32_t v = m_cur.ReadInt32();
    if (v < 0 || v > last) {
      throw BlobDecodeError(
          std::string(what) + " must be 0 to " + std::to_string(last) + ", found " + std::to_string(v), at);
    }
    return v;
  }
  VoidID Id() { return SORpPortable::PStoredVoidIDFormatToVoidID(m_cur.Take(8, "object id")); }

  Expr ReadExpr(const char* what) {
    const std::uint32_t n = m_cur.ReadCount(1, what);
    const std::size_t at = m_cur.Offset();
    const uint8* p = m_cur.Take(n, what);
    Expr e;
    if (n > 0) {
      try {
        e = Expr(ByteVector(p, p + n));
      } catch (const BlobDecodeError& err) {
        throw BlobDecodeError(std::string(what) + " is not a valid expression (" + err.what() + ")",
                              at + err.GetOffset());
      }
    }
    e.SetFormatStr(m_cur.ReadString());
    return e;
  }

  void Sorts(std::vector<SortSpec>& sorts) {
    const std::uint32_t n = m_cur.ReadCount(kMinSort, "sort spec");
    sorts.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      SortSpec s;
      s.m_direction = static_cast<SortSpec::SortDirection>(Enum(SortSpec::kDontCare, "sort direction"));
      s.m_sortSpecExpr = ReadExpr("sort expression");
      sorts.push_back(std::move(s));
    }
  }

  void Single(ListQuerySpec& q) {
    std::uint32_t n = m_cur.ReadCount(kMinItem, "select item");
    q.m_projection.m_edgeExprs.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      IdentifiedExpr item;
      item.m_name = m_cur.ReadString();
      item.m_expr = ReadExpr("select item expression");
      q.m_projection.m_edgeExprs.push_back(std::move(item));
    }
    n = m_cur.ReadCount(kMinBreak, "break spec");
    q.m_projection.m_breakSpecs.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      BreakSpec b;
      b.m_type = static_cast<BreakSpec::LevelType>(Enum(BreakSpec::kBody, "break level type"));
      b.m_nestingLevel = m_cur.ReadInt32();
      b.m_identifiedExprID = m_cur.ReadString();
      q.m_projection.m_breakSpecs.push_back(std::move(b));
    }
    Sorts(q.m_projection.m_sortSpecs);
    q.m_detailFilter = ReadExpr("detail filter");
    q.m_summaryFilter = ReadExpr("summary filter");
    n = m_cur.ReadCount(kMinNode, "join graph node");
    for (std::uint32_t i = 0; i < n; ++i) {
      GraphNode& node = q.m_joinSpec.AddNode(Id());
      const std::uint32_t links = m_cur.ReadCount(kMinLink, "join graph link");
      for (std::uint32_t k = 0; k < links; ++k) {
        const VoidID linkID = Id();
        node.AddLink(DirectedLink(linkID, Id()));
      }
    }
    q.m_bDistinct = m_cur.ReadBool();
    q.m_bUnsuppressed = m_cur.ReadBool();
    n = m_cur.ReadCount(kMinTableRef, "from table");
    q.m_fromTables.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) q.m_fromTables.push_back(std::move(*TableRef()));
    q.m_catalogFolderID = Id();
    n = m_cur.ReadCount(kMinSelection, "selection spec");
    q.m_selectionSpecs.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
      SelectionSpec sel;
      sel.m_selectionName = m_cur.ReadString();
      sel.m_projectionNames = m_cur.ReadStringVector();
      const std::uint32_t includes = m_cur.ReadCount(kMinInclude, "include spec");
      sel.m_includeSpecs.reserve(includes);
      for (std::uint32_t k = 0; k < includes; ++k) {
        IncludeSpec inc;
        const std::uint32_t exprs = m_cur.ReadCount(kMinExpr, "include expression");
        inc.m_exprs.reserve(exprs);
        for (std::uint32_t j = 0; j < exprs; ++j) inc.m_exprs.push_back(ReadExpr("include expression"));
        inc.m_filter = ReadExpr("include filter");
        sel.m_includeSpecs.push_back(std::move(inc));
      }
      q.m_selectionSpecs.push_back(std::move(sel));
    }
  }

  std::unique_ptr<AbstractListQuerySpec> Set() {
    auto op =
        static_cast<MultiListQuerySpec::CombineQueryOperation>(Enum(MultiListQuerySpec::kExcept, "set operation"));
    const bool bAll = m_cur.ReadBool();
    auto q = std::make_unique<MultiListQuerySpec>(op, bAll);
    Sorts(q->GetSortSpecs());
    const std::uint32_t n = m_cur.ReadCount(kMinSpec, "set query operand");
    for (std::uint32_t i = 0; i < n; ++i) q->AddSubquery(Spec());
    return q;
  }

  std::unique_ptr<SqlAbstractTable> Table() {
    const std::size_t at = m_cur.Offset();
    const std::uint8_t type = m_cur.ReadByte();
    switch (type) {
      case SqlAbstractTable::kAtomicTable:
        return std::make_unique<SqlAtomicTable>(Id());
      case SqlAbstractTable::kTableRef:
        return TableRef();
      case SqlAbstractTable::kDerivedTable:
        return std::make_unique<SqlDerivedTable>(Spec());
      case SqlAbstractTable::kExternalTable:
        return std::make_unique<SqlExternalTable>(m_cur.ReadStringVector());
      case SqlAbstractTable::kEvaluateTableScriptObject:
        return std::make_unique<SqlEvaluateTableScriptObject>(ReadExpr("table script"));
      case SqlAbstractTable::kNullTable:
        return std::make_unique<SqlNullTable>();
      default:
        throw BlobDecodeError("table type must be 0 to 5, found " + std::to_string(type), at);
    }
  }

  std::unique_ptr<SqlTableRef> TableRef() {
    Enter();
    auto joinType = static_cast<SqlTableRef::JoinType>(Enum(SqlTableRef::kNaturalJoin, "join type"));
    const bool bJoin = m_cur.ReadBool();
    const std::size_t leftAt = m_cur.Offset();
    std::unique_ptr<SqlAbstractTable> left = Table();
    std::unique_ptr<SqlTableRef> result;
    if (bJoin) {
      if (left->GetTableType() != SqlAbstractTable::kTableRef) {
        throw BlobDecodeError("the left side of a join must be a table reference", leftAt);
      }
      std::unique_ptr<SqlTableRef> right = TableRef();
      std::unique_ptr<SqlTableRef> leftRef(static_cast<SqlTableRef*>(left.release()));
      Expr on = ReadExpr("join condition");
      result = std::make_unique<SqlTableRef>(std::move(leftRef), std::move(right), joinType, std::move(on));
    } else {
      Expr on = ReadExpr("join condition");
      if (joinType != SqlTableRef::kInnerJoin || on.Size() != 0 || !on.GetFormatStr().empty()) {
        // A single table carries no join; accepting one would not survive a
        // round trip.
        m_cur.Fail("a single table reference has a join type or condition");
      }
      result = std::make_unique<SqlTableRef>(std::move(left));
    }
    --m_depth;
    return result;
  }

  BlobCursor& m_cur;
  std::size_t m_depth = 0;
};
}  // namespace

void AbstractListQuerySpec::ToByteVector(ByteVector& out) const {
  out.push_back(kMagic0);
  out.push_back(kMagic1);
  out.push_back(kVersion);
  Writer(out).Spec(*this);
}

std::unique_ptr<AbstractListQuerySpec> AbstractListQuerySpec::FromByteVector(const uint8* p, const uint8* end) {
  if (end < p) throw BlobDecodeError("no query spec bytes", 0);
  BlobCursor cur(p, end);
  const uint8* head = cur.Take(3, "query spec header");
  if (head[0] != kMagic0 || head[1] != kMagic1) throw BlobDecodeError("not a query spec (bad magic)", 0);
  if (head[2] != kVersion) {
    throw BlobDecodeError("query spec version " + std::to_string(head[2]) + " is not supported", 2);
  }
  std::unique_ptr<AbstractListQuerySpec> spec = Reader(cur).Spec();
  if (!cur.AtEnd()) cur.Fail(std::to_string(cur.Remaining()) + " bytes left after the query spec");
  return spec;
}
