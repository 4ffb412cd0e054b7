// List query specs: the parsed form of a logical SQL request.
//
//   ListQuerySpec q;
//   q.m_projection.m_edgeExprs.push_back({U"Revenue", revenueExpr});
//   q.m_detailFilter = yearIs2024;
//   q.m_fromTables.emplace_back(std::make_unique<SqlAtomicTable>(ordersID));
//   ByteVector bytes;
//   q.ToByteVector(bytes);
//   std::unique_ptr<AbstractListQuerySpec> back = AbstractListQuerySpec::FromByteVector(bytes);
//
// A ListQuerySpec is one query; a MultiListQuerySpec combines subqueries with
// UNION, INTERSECT or EXCEPT. Both are plain values: copies are deep, and a
// query spec owns its tables, subqueries and expressions. QuerySpecBuilder
// (QuerySpecBuilder.h) makes them in code more briefly.
//
// Byte form. Query specs travel between processes inside subquery tokens,
// so FromByteVector treats its input as hostile: every read is bounded, every
// count is checked against the bytes left before anything is allocated, every
// expression is validated in full, enumerations must hold one of their
// values, and query specs may nest (derived tables, joins, set operands)
// at most kMaxNestingDepth deep. Anything else throws BlobDecodeError with the
// byte offset. ToByteVector refuses (std::length_error) to write what
// FromByteVector would refuse to read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Expr/Expr.h"
#include "ListQuerySpec/JoinGraph.h"
#include "ListQuerySpec/SqlTable.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"

// The identifier (alias) of a select item.
using ExprID = VXString;

struct IdentifiedExpr {
  ExprID m_name;
  Expr m_expr;
  friend bool operator==(const IdentifiedExpr&, const IdentifiedExpr&) = default;
};

class BreakSpec {
 public:
  enum LevelType : std::int32_t { kBreak = 0, kAssociated = 1, kBody = 2 };
  using NestingLevel = std::int32_t;

  LevelType m_type = kBreak;
  NestingLevel m_nestingLevel = 0;
  // The select item the break applies to.
  ExprID m_identifiedExprID;

  friend bool operator==(const BreakSpec&, const BreakSpec&) = default;
};

class SortSpec {
 public:
  enum SortDirection : std::int32_t { kAscending = 0, kDescending = 1, kDontCare = 2 };

  SortDirection m_direction = kAscending;
  Expr m_sortSpecExpr;

  friend bool operator==(const SortSpec&, const SortSpec&) = default;
};

struct EdgeProjection {
  std::vector<IdentifiedExpr> m_edgeExprs;
  std::vector<BreakSpec> m_breakSpecs;
  std::vector<SortSpec> m_sortSpecs;
  friend bool operator==(const EdgeProjection&, const EdgeProjection&) = default;
};

// One INCLUDE clause of a selection: the expressions it includes, and the
// condition under which it applies (may be empty).
struct IncludeSpec {
  std::vector<Expr> m_exprs;
  Expr m_filter;
  friend bool operator==(const IncludeSpec&, const IncludeSpec&) = default;
};

// A named selection over some of the projection's items.
struct SelectionSpec {
  VXString m_selectionName;
  VXStringVector m_projectionNames;
  std::vector<IncludeSpec> m_includeSpecs;
  friend bool operator==(const SelectionSpec&, const SelectionSpec&) = default;
};

class ListQuerySpec;
class MultiListQuerySpec;

class AbstractListQuerySpec {
 public:
  enum QuerySpecType : std::int32_t { kSingleQuery = 0, kMultiQuery = 1 };

  // Derived tables, joins and set operands nest at most this deep in the byte form.
  static constexpr std::size_t kMaxNestingDepth = 200;

  QuerySpecType m_queryType;

  virtual ~AbstractListQuerySpec() = default;
  virtual std::unique_ptr<AbstractListQuerySpec> Clone() const = 0;
  // Same kind and same content, all the way down.
  virtual bool Equals(const AbstractListQuerySpec& other) const = 0;

  // The same object seen as its kind; asking for the other kind is a logic
  // error (VXAssertException).
  const ListQuerySpec& ToListQuerySpec() const;
  const MultiListQuerySpec& ToMultiListQuerySpec() const;

  // Appends the byte form of the query spec.
  void ToByteVector(ByteVector& out) const;
  ByteVector ToByteVector() const {
    ByteVector out;
    ToByteVector(out);
    return out;
  }
  // Reads one whole query spec; trailing bytes are an error.
  static std::unique_ptr<AbstractListQuerySpec> FromByteVector(const uint8* p, const uint8* end);
  static std::unique_ptr<AbstractListQuerySpec> FromByteVector(const ByteVector& bytes) {
    return FromByteVector(bytes.data(), bytes.data() + bytes.size());
  }

 protected:
  explicit AbstractListQuerySpec(QuerySpecType type) : m_queryType(type) {}
  AbstractListQuerySpec(const AbstractListQuerySpec&) = default;
  AbstractListQuerySpec& operator=(const AbstractListQuerySpec&) = default;
};

class ListQuerySpec : public AbstractListQuerySpec {
 public:
  ListQuerySpec() : AbstractListQuerySpec(kSingleQuery) {}
  ListQuerySpec(const ListQuerySpec&) = default;
  ListQuerySpec(ListQuerySpec&&) noexcept = default;
  ListQuerySpec& operator=(const ListQuerySpec&) = default;
  ListQuerySpec& operator=(ListQuerySpec&&) noexcept = default;
  ~ListQuerySpec() override = default;

  std::unique_ptr<AbstractListQuerySpec> Clone() const override { return std::make_unique<ListQuerySpec>(*this); }
  bool Equals(const AbstractListQuerySpec& other) const override;

  EdgeProjection m_projection;
  Expr m_detailFilter;   // WHERE; may be empty
  Expr m_summaryFilter;  // HAVING; may be empty
  JoinGraph m_joinSpec;
  bool m_bDistinct = false;
  bool m_bUnsuppressed = false;
  std::vector<SqlTableRef> m_fromTables;
  VoidID m_catalogFolderID;  // the subject area asked for, or VoidID::NullID
  std::vector<SelectionSpec> m_selectionSpecs;
};

class MultiListQuerySpec : public AbstractListQuerySpec {
 public:
  enum CombineQueryOperation : std::int32_t { kUnion = 0, kIntersect = 1, kExcept = 2 };

  MultiListQuerySpec() : AbstractListQuerySpec(kMultiQuery) {}
  explicit MultiListQuerySpec(CombineQueryOperation op, bool bAll = false)
      : AbstractListQuerySpec(kMultiQuery), m_combineOp(op), m_bAll(bAll) {}
  MultiListQuerySpec(const MultiListQuerySpec& other);
  MultiListQuerySpec(MultiListQuerySpec&&) noexcept = default;
  MultiListQuerySpec& operator=(const MultiListQuerySpec& other);
  MultiListQuerySpec& operator=(MultiListQuerySpec&&) noexcept = default;
  ~MultiListQuerySpec() override = default;

  std::unique_ptr<AbstractListQuerySpec> Clone() const override { return std::make_unique<MultiListQuerySpec>(*this); }
  bool Equals(const AbstractListQuerySpec& other) const override;

  int GetNumSubqueries() const { return static_cast<int>(m_subqueries.size()); }
  // i from 0 to GetNumSubqueries() - 1; outside that range a logic error.
  const AbstractListQuerySpec& GetIthSubquery(int i) const;
  // Appends an operand (null is refused with std::invalid_argument).
  void AddSubquery(std::unique_ptr<AbstractListQuerySpec> subquery);

  CombineQueryOperation GetCombineQueryOperation() const { return m_combineOp; }
  void SetCombineQueryOperation(CombineQueryOperation op) { m_combineOp = op; }
  bool IsAll() const { return m_bAll; }
  void SetAll(bool bAll) { m_bAll = bAll; }
  const std::vector<SortSpec>& GetSortSpecs() const { return m_sortSpecs; }
  std::vector<SortSpec>& GetSortSpecs() { return m_sortSpecs; }

 private:
  std::vector<std::unique_ptr<AbstractListQuerySpec>> m_subqueries;
  CombineQueryOperation m_combineOp = kUnion;
  bool m_bAll = false;
  std::vector<SortSpec> m_sortSpecs;
};
