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

// The physical, logical and presentation containers the generator fills,
// started afresh when one grows full.
struct Containers {
  VoidID m_tableParent;
  std::size_t m_tablesInParent = 0;
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
  return parent;
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

    // A third of the tables reach the business model.
    if (!m_random.Chance(35)) continue;
    if (m_c.m_businessModel.IsNull() || m_c.m_logicalTables >= 2000) {
      m_c.m_businessModel =
          Create(kTIDASubjectArea, U"Business Model " + ToVXString(std::to_string(m_tableNumber)), VoidID::NullID);
      if (m_c.m_businessModel.IsNull()) return;
      m_c.m_logicalTables = 0;
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
