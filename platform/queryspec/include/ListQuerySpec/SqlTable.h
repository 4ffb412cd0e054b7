// The tables of a FROM clause.
//
//   SqlTableRef orders(std::make_unique<SqlAtomicTable>(ordersID));          // a single table
//   SqlTableRef joined(std::make_unique<SqlTableRef>(std::move(orders)),     // a join of two entries
//                      std::make_unique<SqlTableRef>(std::move(customers)),
//                      SqlTableRef::kLeftOuterJoin, onCondition);
//   SqlTableRef derived(std::make_unique<SqlDerivedTable>(std::move(subquery)));
//
// A SqlTableRef is either one table (its left table, no right table) or a
// join of two SqlTableRef entries with a join type and an optional ON
// condition. The constructors refuse the shapes readers could not walk: a
// missing left table, or a join whose sides are not SqlTableRef entries
// (std::invalid_argument). Every table owns what it holds; copies are deep.
#pragma once

#include <cstdint>
#include <memory>

#include "Expr/Expr.h"
#include "Utility/VoidID.h"

class AbstractListQuerySpec;

class SqlAbstractTable {
 public:
  enum SqlTableType : std::int32_t {
    kAtomicTable = 0,
    kTableRef = 1,
    kDerivedTable = 2,
    kExternalTable = 3,
    kEvaluateTableScriptObject = 4,
    kNullTable = 5,
  };

  virtual ~SqlAbstractTable() = default;
  virtual SqlTableType GetTableType() const = 0;
  virtual std::unique_ptr<SqlAbstractTable> Clone() const = 0;
  // Same kind and same content, all the way down.
  virtual bool Equals(const SqlAbstractTable& other) const = 0;

 protected:
  SqlAbstractTable() = default;
  SqlAbstractTable(const SqlAbstractTable&) = default;
  SqlAbstractTable& operator=(const SqlAbstractTable&) = default;
};

// A repository table (physical table or presentation table), by id.
class SqlAtomicTable : public SqlAbstractTable {
 public:
  explicit SqlAtomicTable(const VoidID& objID) : m_objID(objID) {}
  SqlTableType GetTableType() const override { return kAtomicTable; }
  std::unique_ptr<SqlAbstractTable> Clone() const override { return std::make_unique<SqlAtomicTable>(*this); }
  bool Equals(const SqlAbstractTable& other) const override;

  void GetObjID(VoidID& id) const { id = m_objID; }
  const VoidID& GetObjID() const { return m_objID; }

 private:
  VoidID m_objID;
};

// A subquery standing as a table. Its alias is the name the query that
// reads it gives it ("x" in FROM (SELECT ...) x); the query's expressions
// name its columns through it, so text written from the query uses it
// again. The byte form does not carry it (a table read from bytes has none)
// and Equals does not compare it: the table is its subquery.
class SqlDerivedTable : public SqlAbstractTable {
 public:
  explicit SqlDerivedTable(std::unique_ptr<AbstractListQuerySpec> subquery, VXString alias = {});
  SqlDerivedTable(const SqlDerivedTable& other);
  SqlDerivedTable& operator=(const SqlDerivedTable& other);
  ~SqlDerivedTable() override;
  SqlTableType GetTableType() const override { return kDerivedTable; }
  std::unique_ptr<SqlAbstractTable> Clone() const override { return std::make_unique<SqlDerivedTable>(*this); }
  bool Equals(const SqlAbstractTable& other) const override;

  const AbstractListQuerySpec& GetSubquery() const { return *m_subquery; }
  // Empty when the table has none.
  const VXString& GetAlias() const { return m_alias; }

 private:
  std::unique_ptr<AbstractListQuerySpec> m_subquery;  // never null
  VXString m_alias;
};

// A table that lives outside the repository (an external dataset), named by
// its qualified name.
class SqlExternalTable : public SqlAbstractTable {
 public:
  explicit SqlExternalTable(QualifiedName name) : m_name(std::move(name)) {}
  SqlTableType GetTableType() const override { return kExternalTable; }
  std::unique_ptr<SqlAbstractTable> Clone() const override { return std::make_unique<SqlExternalTable>(*this); }
  bool Equals(const SqlAbstractTable& other) const override;

  const QualifiedName& GetName() const { return m_name; }

 private:
  QualifiedName m_name;
};

// A table produced by evaluating a script: the script call as an expression.
class SqlEvaluateTableScriptObject : public SqlAbstractTable {
 public:
  explicit SqlEvaluateTableScriptObject(Expr script) : m_script(std::move(script)) {}
  SqlTableType GetTableType() const override { return kEvaluateTableScriptObject; }
  std::unique_ptr<SqlAbstractTable> Clone() const override {
    return std::make_unique<SqlEvaluateTableScriptObject>(*this);
  }
  bool Equals(const SqlAbstractTable& other) const override;

  const Expr& GetScript() const { return m_script; }

 private:
  Expr m_script;
};

// The empty table of a query that reads no table (SELECT 1).
class SqlNullTable : public SqlAbstractTable {
 public:
  SqlNullTable() = default;
  SqlTableType GetTableType() const override { return kNullTable; }
  std::unique_ptr<SqlAbstractTable> Clone() const override { return std::make_unique<SqlNullTable>(); }
  bool Equals(const SqlAbstractTable& other) const override { return other.GetTableType() == kNullTable; }
};

class SqlTableRef : public SqlAbstractTable {
 public:
  enum JoinType : std::int32_t {
    kInnerJoin = 0,
    kLeftOuterJoin = 1,
    kRightOuterJoin = 2,
    kFullOuterJoin = 3,
    kFullOuterStitchJoin = 4,
    kNaturalJoin = 5,
  };

  // One table.
  explicit SqlTableRef(std::unique_ptr<SqlAbstractTable> table);
  // A join of two entries; searchCond may be empty.
  SqlTableRef(std::unique_ptr<SqlTableRef> left, std::unique_ptr<SqlTableRef> right, JoinType joinType,
              Expr searchCond = {});
  SqlTableRef(const SqlTableRef& other);
  SqlTableRef(SqlTableRef&&) noexcept = default;
  SqlTableRef& operator=(const SqlTableRef& other);
  SqlTableRef& operator=(SqlTableRef&&) noexcept = default;
  ~SqlTableRef() override = default;

  SqlTableType GetTableType() const override { return kTableRef; }
  std::unique_ptr<SqlAbstractTable> Clone() const override { return std::make_unique<SqlTableRef>(*this); }
  bool Equals(const SqlAbstractTable& other) const override;

  const SqlAbstractTable* GetLeftTable() const { return m_left.get(); }
  // Null for a single table.
  const SqlAbstractTable* GetRightTable() const { return m_right.get(); }
  JoinType GetJoinType() const { return m_joinType; }
  void GetSearchCond(Expr& cond) const { cond = m_searchCond; }
  const Expr& GetSearchCond() const { return m_searchCond; }

 private:
  std::unique_ptr<SqlAbstractTable> m_left;   // never null
  std::unique_ptr<SqlAbstractTable> m_right;  // a SqlTableRef, or null
  JoinType m_joinType = kInnerJoin;
  Expr m_searchCond;
};
