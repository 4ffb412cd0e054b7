#include "objectmodel/RpGenerator.h"

#include <algorithm>
#include <string>

#include "Expr/ExprBuilder.h"
#include "Expr/Tokens.h"
#include "objectmodel/Interfaces.h"

namespace {

// splitmix64: the same sequence on every platform and standard library.
class Random {
 public:
  explicit Random(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi].
  std::size_t Between(std::size_t lo, std::size_t hi) { return lo + static_cast<std::size_t>(Next() % (hi - lo + 1)); }
  bool Chance(unsigned percent) { return Next() % 100 < percent; }

 private:
  std::uint64_t m_state;
};

const char* const kEntities[] = {
    "CUSTOMER",  "ORDER",   "PRODUCT",  "SUPPLIER", "EMPLOYEE", "STORE",    "REGION",    "ACCOUNT",
    "INVOICE",   "PAYMENT", "SHIPMENT", "CAMPAIGN", "CHANNEL",  "CONTRACT", "BRAND",     "CATEGORY",
    "WAREHOUSE", "VENDOR",  "PROMO",    "LEDGER",   "BUDGET",   "FORECAST", "TERRITORY", "DEPT",
    "COST",      "PRICE",   "CURRENCY", "CALENDAR", "FISCAL",   "PARTNER",  "SEGMENT",   "SURVEY",
    "TICKET",    "ASSET",   "PROJECT",  "CLAIM",    "POLICY",   "AGENT",    "ROUTE",     "CARRIER",
};
const char* const kAttributes[] = {
    "ID",    "KEY",     "NAME",  "CODE",  "DESC",     "TYPE",   "STATUS",  "DATE",    "AMT",     "QTY",
    "PCT",   "RATE",    "FLAG",  "NUM",   "START_DT", "END_DT", "CREATED", "UPDATED", "SRC",     "LEVEL",
    "GROUP", "CLASS",   "CITY",  "STATE", "COUNTRY",  "ZIP",    "PHONE",   "EMAIL",   "OWNER",   "REF",
    "TOTAL", "AVG",     "MIN",   "MAX",   "COUNT",    "WEIGHT", "SIZE",    "COLOR",   "SCORE",   "RANK",
    "YEAR",  "QUARTER", "MONTH", "WEEK",  "DAY",      "HOUR",   "LABEL",   "NOTE",    "VERSION", "SEQ",
};
const char* const kTablePrefixes[] = {"D_", "F_", "W_", "STG_", "A_", "LKP_"};

// A table that later tables of its schema may refer to, with what a
// reference needs: its key and key column, and its logical table when it
// reached the business model being filled.
struct JoinTarget {
  VoidID m_table;
  VXString m_name;
  VoidID m_key;
  VoidID m_keyColumn;
  VoidID m_logical;     // null when not in the current business model
  VoidID m_logicalKey;  // its logical key
};

// The physical, logical and presentation containers the generator fills,
// started afresh when one grows full.
struct Containers {
  VoidID m_tableParent;
  std::size_t m_tablesInParent = 0;
  // Dimension and lookup tables of m_tableParent, the latest kJoinTargets.
  std::vector<JoinTarget> m_targets;
  std::size_t m_database = 0;
  VoidID m_businessModel;
  std::size_t m_logicalTables = 0;
  VoidID m_subjectArea;
  std::size_t m_presentationTables = 0;
};

class Generator {
 public:
  Generator(ARpGateway& rp, const RpGenerator::Options& options)
      : m_rp(rp),
        m_target(options.m_objectCount),
        m_random(options.m_seed),
        m_vocabulary(RpGenerator::ColumnVocabulary(options.m_vocabularySize)) {}

  void Run();

 private:
  bool Full() const { return m_rp.GetObjectCount() >= m_target; }
  // Creates an object unless the repository is full (then NullID).
  VoidID Create(TypeID type, const VXString& name, const VoidID& parent) {
    if (Full()) return VoidID::NullID;
    return m_rp.CreateObject(type, name, parent).GetID();
  }
  VoidID NextTableParent();
  void PickColumns(std::size_t count, std::vector<std::size_t>& picks);
  // References of the table just made (see Run); false when full.
  bool AddForeignKeys(const VoidID& table, const VXString& tableName, std::size_t count,
                      std::vector<JoinTarget>& referenced);
  bool AddComplexJoin(const VoidID& table, const VXString& tableName, const VoidID& column);
  // The logical side of the physical references: a logical join, or one
  // time in four a logical foreign key.
  // referring: the logical columns that mirror the physical _WID columns,
  // one for each of referenced.
  bool AddLogicalReferences(const VoidID& logical, const VXString& logicalName,
                            const std::vector<JoinTarget>& referenced, const VoidIDVector& referring);

  ARpGateway& m_rp;
  std::size_t m_target;
  Random m_random;
  VXStringVector m_vocabulary;
  Containers m_c;
  std::size_t m_tableNumber = 0;
};

VoidID Generator::NextTableParent() {
  // Databases of three shapes in turn: catalog and schemas, schemas only,
  // tables straight under the database (accordion levels for both others).
  if (!m_c.m_tableParent.IsNull() && m_c.m_tablesInParent < 400) return m_c.m_tableParent;
  const std::size_t shape = m_c.m_database % 3;
  const VXString n = ToVXString(std::to_string(m_c.m_database));
  VoidID db = Create(kTIDADatabase, U"DW_" + n, VoidID::NullID);
  if (db.IsNull()) return db;
  ++m_c.m_database;
  Create(kTIDAConnectionPool, U"Connection Pool", db);
  VoidID parent = db;
  if (shape == 0) parent = Create(kTIDACatalog, U"CAT_" + n, db);
  if (shape != 2 && !parent.IsNull()) parent = Create(kTIDASchema, U"SCHEMA_" + n, parent);
  m_c.m_tableParent = parent;
  m_c.m_tablesInParent = 0;
  m_c.m_targets.clear();
  return parent;
}

constexpr std::size_t kJoinTargets = 50;

bool Generator::AddForeignKeys(const VoidID& table, const VXString& tableName, std::size_t count,
                               std::vector<JoinTarget>& referenced) {
  referenced.clear();
  for (std::size_t i = 0; i < count && !m_c.m_targets.empty(); ++i) {
    const JoinTarget& target = m_c.m_targets[m_random.Between(0, m_c.m_targets.size() - 1)];
    if (std::any_of(referenced.begin(), referenced.end(),
                    [&](const JoinTarget& r) { return r.m_table == target.m_table; })) {
      continue;
    }
    // The referring column is the target's name with _WID, as warehouse
    // tables name their surrogate keys; no vocabulary name ends so.
    const VoidID column = Create(kTIDAColumn, target.m_name + U"_WID", table);
    const VoidID fk = Create(kTIDAForeignKey, tableName + U"_" + target.m_name + U"_FK", table);
    if (column.IsNull() || fk.IsNull()) return false;
    m_rp.InsertTuple(RpRel::kForeignKeyReference, {table, target.m_key, fk});
    m_rp.InsertTuple(RpRel::kForeignKeyColumns, {fk, column});
    referenced.push_back(target);
  }
  return true;
}

bool Generator::AddComplexJoin(const VoidID& table, const VXString& tableName, const VoidID& column) {
  if (m_c.m_targets.empty()) return true;
  const JoinTarget& target = m_c.m_targets[m_random.Between(0, m_c.m_targets.size() - 1)];
  // Complex joins stand at the top level, as the physical layer keeps them.
  const VoidID join = Create(kTIDAComplexJoin, tableName + U" to " + target.m_name, VoidID::NullID);
  if (join.IsNull()) return false;
  m_rp.InsertTuple(RpRel::kComplexJoin, {table, target.m_table, join});
  const Ref<AComplexJoin> j(m_rp.GetObject(join));
  j->SetJoinExpr(ExprBuilder().Op(kEqual).ID(column).ID(target.m_keyColumn).End().Build());
  j->SetJoinType(0);
  return true;
}

bool Generator::AddLogicalReferences(const VoidID& logical, const VXString& logicalName,
                                     const std::vector<JoinTarget>& referenced, const VoidIDVector& referring) {
  for (std::size_t i = 0; i < referenced.size(); ++i) {
    const JoinTarget& target = referenced[i];
    if (target.m_logical.IsNull()) continue;
    const Ref<ARpObject> targetLogical = m_rp.GetObject(target.m_logical);
    // A business model begun for this very table holds no earlier table.
    if (targetLogical->GetParentObject().GetID() != m_c.m_businessModel) continue;
    const VXString targetName = targetLogical->GetName();
    if (m_random.Chance(25)) {
      const VoidID fk = Create(kTIDALogicalForeignKey, logicalName + U" to " + targetName, logical);
      if (fk.IsNull()) return false;
      m_rp.InsertTuple(RpRel::kLogicalForeignKeyReference, {logical, target.m_logicalKey, fk});
      if (i < referring.size()) m_rp.InsertTuple(RpRel::kLogicalForeignKeyColumns, {fk, referring[i]});
      continue;
    }
    // A logical join: many rows of this table to one of the target's.
    const VoidID join = Create(kTIDARelationship, logicalName + U" - " + targetName, m_c.m_businessModel);
    const VoidID many = Create(kTIDARole, logicalName, join);
    const VoidID one = Create(kTIDARole, targetName, join);
    if (join.IsNull() || many.IsNull() || one.IsNull()) return false;
    Multiplicity m;
    m.m_startCardinality = MultiplicityTypes::kOne;
    m.m_endCardinality = MultiplicityTypes::kMany;
    const Ref<ARole> manyRole(m_rp.GetObject(many)), oneRole(m_rp.GetObject(one));
    manyRole->SetMultiplicity(m);
    manyRole->SetPlayer(Ref<AEntity>(m_rp.GetObject(logical)));
    m.m_endCardinality = MultiplicityTypes::kOne;
    oneRole->SetMultiplicity(m);
    oneRole->SetPlayer(Ref<AEntity>(m_rp.GetObject(target.m_logical)));
  }
  return true;
}

void Generator::PickColumns(std::size_t count, std::vector<std::size_t>& picks) {
  picks.clear();
  // A third of the columns come from the 300 most common names, so these
  // recur across many tables; the rest from the whole vocabulary.
  const std::size_t common = std::min<std::size_t>(300, m_vocabulary.size());
  while (picks.size() < count && picks.size() < m_vocabulary.size()) {
    const std::size_t i =
        m_random.Chance(33) ? m_random.Between(0, common - 1) : m_random.Between(0, m_vocabulary.size() - 1);
    if (std::find(picks.begin(), picks.end(), i) == picks.end()) picks.push_back(i);
  }
}

void Generator::Run() {
  std::vector<std::size_t> picks;
  VoidIDVector columns;
  VoidIDVector logicalColumns;
  while (!Full()) {
    VoidID parent = NextTableParent();
    if (parent.IsNull()) return;
    const std::size_t entity = m_random.Between(0, std::size(kEntities) - 1);
    const VXString tableName = ToVXString(std::string(kTablePrefixes[m_tableNumber % std::size(kTablePrefixes)]) +
                                          kEntities[entity] + "_" + std::to_string(m_tableNumber));
    ++m_tableNumber;
    VoidID table = Create(kTIDATable, tableName, parent);
    if (table.IsNull()) return;
    ++m_c.m_tablesInParent;
    PickColumns(m_random.Between(5, 45), picks);
    columns.clear();
    for (std::size_t p : picks) {
      VoidID c = Create(kTIDAColumn, m_vocabulary[p], table);
      if (c.IsNull()) return;
      columns.push_back(c);
    }
    VoidID key = Create(kTIDATableKey, tableName + U"_PK", table);
    if (key.IsNull()) return;
    m_rp.InsertTuple(RpRel::kKeyColumn, {columns.front(), key});

    // Joins as a warehouse has them, within the table's schema: a fact
    // table refers to two to four dimension or lookup tables, an aggregate
    // to one or two, a warehouse table one time in three to one, a
    // dimension one time in five to one (a snowflake); a staging table is
    // joined to a dimension by a complex join one time in four. Dimension
    // and lookup tables are what the others refer to.
    const char* const prefix = kTablePrefixes[(m_tableNumber - 1) % std::size(kTablePrefixes)];
    const std::string kind(prefix);
    std::size_t references = 0;
    if (kind == "F_") {
      references = m_random.Between(2, 4);
    } else if (kind == "A_") {
      references = m_random.Between(1, 2);
    } else if (kind == "W_") {
      references = m_random.Chance(33) ? 1 : 0;
    } else if (kind == "D_") {
      references = m_random.Chance(20) ? 1 : 0;
    }
    std::vector<JoinTarget> referenced;
    if (!AddForeignKeys(table, tableName, references, referenced)) return;
    if (kind == "STG_" && m_random.Chance(25) && !AddComplexJoin(table, tableName, columns.front())) return;
    const bool bTarget = kind == "D_" || kind == "LKP_";
    if (bTarget) {
      if (m_c.m_targets.size() >= kJoinTargets) m_c.m_targets.erase(m_c.m_targets.begin());
      m_c.m_targets.push_back(JoinTarget{table, tableName, key, columns.front(), VoidID::NullID, VoidID::NullID});
    }

    // A third of the tables reach the business model.
    if (!m_random.Chance(35)) continue;
    if (m_c.m_businessModel.IsNull() || m_c.m_logicalTables >= 2000) {
      m_c.m_businessModel =
          Create(kTIDASubjectArea, U"Business Model " + ToVXString(std::to_string(m_tableNumber)), VoidID::NullID);
      if (m_c.m_businessModel.IsNull()) return;
      m_c.m_logicalTables = 0;
      // Logical references stay within one business model.
      for (JoinTarget& t : m_c.m_targets) t.m_logical = t.m_logicalKey = VoidID::NullID;
    }
    const VXString logicalName = ToVXString(std::string(kEntities[entity]) + " " + std::to_string(m_tableNumber));
    VoidID logical = Create(kTIDALogicalTable, logicalName, m_c.m_businessModel);
    if (logical.IsNull()) return;
    ++m_c.m_logicalTables;
    logicalColumns.clear();
    for (std::size_t p : picks) {
      VoidID c = Create(kTIDAAttribute, m_vocabulary[p], logical);
      if (c.IsNull()) return;
      logicalColumns.push_back(c);
    }
    VoidIDVector referring;
    for (const JoinTarget& target : referenced) {
      VoidID c = Create(kTIDAAttribute, target.m_name + U"_WID", logical);
      if (c.IsNull()) return;
      referring.push_back(c);
    }
    VoidID source = Create(kTIDALogicalTableSource, tableName, logical);
    if (source.IsNull()) return;
    // The source reads the physical table and maps the key column.
    RpSourceDefinition defn;
    defn.m_physicalTables.push_back(table);
    ExprBuilder lb, pb;
    lb.ID(logicalColumns.front());
    pb.ID(columns.front());
    defn.m_logicalToPhysical.emplace_back(lb.Build(), pb.Build());
    Ref<ALogicalTableSource>(m_rp.GetObject(source))->SetSourceDefinition(defn);
    VoidID logicalKey = Create(kTIDAKey, logicalName + U" Key", logical);
    if (logicalKey.IsNull()) return;
    m_rp.InsertTuple(RpRel::kKeyColumn, {logicalColumns.front(), logicalKey});
    if (bTarget) {
      m_c.m_targets.back().m_logical = logical;
      m_c.m_targets.back().m_logicalKey = logicalKey;
    }
    if (!AddLogicalReferences(logical, logicalName, referenced, referring)) return;

    // Half of those are presented.
    if (!m_random.Chance(50)) continue;
    if (m_c.m_subjectArea.IsNull() || m_c.m_presentationTables >= 1000) {
      m_c.m_subjectArea =
          Create(kTIDACatalogFolder, U"Subject Area " + ToVXString(std::to_string(m_tableNumber)), VoidID::NullID);
      if (m_c.m_subjectArea.IsNull()) return;
      Ref<ACatalogFolder>(m_rp.GetObject(m_c.m_subjectArea))
          ->SetSubjectArea(Ref<ASubjectArea>(m_rp.GetObject(m_c.m_businessModel)));
      m_c.m_presentationTables = 0;
    }
    VoidID presTable = Create(kTIDAEntityFolder, logicalName, m_c.m_subjectArea);
    if (presTable.IsNull()) return;
    ++m_c.m_presentationTables;
    for (std::size_t i = 0; i < picks.size(); ++i) {
      VoidID c = Create(kTIDAFolderAttr, m_vocabulary[picks[i]], presTable);
      if (c.IsNull()) return;
      m_rp.InsertTuple(RpRel::kLogicalToPresentationColumn, {logicalColumns[i], c});
    }
  }
}

}  // namespace

namespace RpGenerator {

VXStringVector ColumnVocabulary(std::size_t size) {
  // Attribute words alone, then entity-attribute pairs (the common names
  // first), then numbered variants when more are asked for.
  VXStringVector names;
  names.reserve(size);
  for (const char* a : kAttributes) {
    if (names.size() >= size) return names;
    names.push_back(ToVXString(a));
  }
  for (const char* a : kAttributes) {
    for (const char* e : kEntities) {
      if (names.size() >= size) return names;
      names.push_back(ToVXString(std::string(e) + "_" + a));
    }
  }
  for (std::size_t i = 0; names.size() < size; ++i) {
    names.push_back(ToVXString("ATTR_" + std::to_string(i)));
  }
  return names;
}

void Generate(ARpGateway& rp, const Options& options) { Generator(rp, options).Run(); }

std::unique_ptr<ARpGateway> Generate(const Options& options) {
  auto rp = std::make_unique<ARpGateway>();
  Generate(*rp, options);
  return rp;
}

}  // namespace RpGenerator
