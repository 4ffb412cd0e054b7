// Repository maintenance: sealed passwords and re-keying, sanitising,
// storage options, presentation names, column mappings, web-service table
// parents, the dimension cache sink and the most detailed tables.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMUtil.h"
#include "Utility/HALOStrongEncryption.h"
#include "Utility/VXAssert.h"
#include "common/Caught.h"
#include "objectmodel/Networker.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpBuilder.h"

namespace {

using testutil::Caught;

ByteVector Bytes(const std::string& s) { return ByteVector(s.begin(), s.end()); }

VXString Seal(const VXString& passPhrase, const std::string& plain) {
  ByteVector key;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(passPhrase, key);
  return HALOStrongEncryption::AESEncryptPasswordForScript(key, Bytes(plain));
}

std::string Open(const VXString& passPhrase, const VXString& sealed) {
  ByteVector plain;
  if (!MetadataUtil::DecryptAESPassword(passPhrase, sealed, plain)) return "<does not open>";
  return std::string(plain.begin(), plain.end());
}

// A copy of a sealed string with one character of its body changed.
VXString Damaged(VXString sealed) {
  sealed[sealed.size() / 2] = sealed[sealed.size() / 2] == U'A' ? U'B' : U'A';
  return sealed;
}

HALOStrongEncryption::CallCounts Since(const HALOStrongEncryption::CallCounts& before) {
  const HALOStrongEncryption::CallCounts now = HALOStrongEncryption::GetCallCounts();
  return {now.m_derivations - before.m_derivations, now.m_encryptions - before.m_encryptions,
          now.m_decryptions - before.m_decryptions};
}

// A repository of its own for each test.
class SMUtilMaintenance : public ::testing::Test {
 protected:
  ARpGateway rp;
  RpBuilder b{rp};
};
using SMUtilMaintenanceCrypto = SMUtilMaintenance;

}  // namespace

// ---- sealed passwords ----------------------------------------------------------

TEST_F(SMUtilMaintenanceCrypto, ReKeyedStringOpensWithTheNewPassPhraseOnlyEqualPhrasesCopy) {
  const VXString sealed = Seal(U"old phrase", "s3cret");
  VXString resealed = U"untouched";
  ASSERT_TRUE(MetadataUtil::GetNewAESString(U"old phrase", sealed, U"new phrase", resealed));
  EXPECT_NE(resealed, sealed);
  EXPECT_EQ(Open(U"new phrase", resealed), "s3cret");
  EXPECT_EQ(Open(U"old phrase", resealed), "<does not open>");

  // Equal pass phrases copy without any cryptography.
  const auto before = HALOStrongEncryption::GetCallCounts();
  VXString out;
  EXPECT_TRUE(MetadataUtil::GetNewAESString(U"old phrase", sealed, U"old phrase", out));
  EXPECT_EQ(out, sealed);
  const auto used = Since(before);
  EXPECT_EQ(used.m_encryptions + used.m_derivations + used.m_decryptions, 0u);
  // Even text that is not sealed at all is copied: no decryption is tried.
  EXPECT_TRUE(MetadataUtil::GetNewAESString(U"same", U"not sealed", U"same", out));
  EXPECT_EQ(out, U"not sealed");
}

TEST_F(SMUtilMaintenanceCrypto, WrongPassPhraseOrDamagedStringAnswersFalseAndLeavesOutputs) {
  const VXString sealed = Seal(U"right", "pw");
  for (const auto& [phrase, text] : std::vector<std::pair<VXString, VXString>>{
           {U"wrong", sealed}, {U"right", Damaged(sealed)}, {U"right", U"%%%not base64%%%"}, {U"right", U""}}) {
    ByteVector plain = Bytes("keep");
    EXPECT_FALSE(MetadataUtil::DecryptAESPassword(phrase, text, plain)) << ToNarrow(phrase);
    EXPECT_EQ(plain, Bytes("keep"));
    VXString out = U"keep";
    EXPECT_FALSE(MetadataUtil::GetNewAESString(phrase, text, U"other", out));
    EXPECT_EQ(out, U"keep");
  }
}

TEST_F(SMUtilMaintenanceCrypto, ListStopsAtTheFirstStringThatDoesNotOpen) {
  VXStringVector sealed{Seal(U"old", "one"), Seal(U"old", "two"), Damaged(Seal(U"old", "three")), Seal(U"old", "four")};
  VXStringVector out{U"earlier"};
  EXPECT_FALSE(MetadataUtil::GetNewAESStrings(U"old", sealed, U"new", out));
  ASSERT_EQ(out.size(), 3u);  // the earlier entry and two appended
  EXPECT_EQ(out[0], U"earlier");
  EXPECT_EQ(Open(U"new", out[1]), "one");
  EXPECT_EQ(Open(U"new", out[2]), "two");
}

TEST_F(SMUtilMaintenanceCrypto, ListDerivesEachKeyOnceAndHasNoEqualPhraseShortcut) {
  VXStringVector sealed;
  for (int i = 0; i < 6; ++i) sealed.push_back(Seal(U"old", "pw" + std::to_string(i)));
  auto before = HALOStrongEncryption::GetCallCounts();
  VXStringVector out;
  ASSERT_TRUE(MetadataUtil::GetNewAESStrings(U"old", sealed, U"new", out));
  EXPECT_EQ(Since(before).m_derivations, 2u);
  EXPECT_EQ(Since(before).m_encryptions, 6u);
  ASSERT_EQ(out.size(), 6u);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Open(U"new", out[i]), "pw" + std::to_string(i));

  // Equal pass phrases still open and re-seal every string, so a damaged one is found.
  before = HALOStrongEncryption::GetCallCounts();
  out.clear();
  EXPECT_FALSE(MetadataUtil::GetNewAESStrings(U"old", {sealed[0], Damaged(sealed[1])}, U"old", out));
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(Since(before).m_encryptions, 1u);
}

TEST_F(SMUtilMaintenanceCrypto, RepositoryScriptKeyOpensWhatItSealed) {
  ByteVector plain = Bytes("keep");
  const VXString sealed = Seal(U"phrase", "db-pass");
  EXPECT_FALSE(MetadataUtil::DecryptAESPassword(&rp, sealed, plain));  // no blob 15
  ByteVector key;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"phrase", key);
  rp.SetScriptKey(U"script key", key);
  ASSERT_TRUE(MetadataUtil::DecryptAESPassword(&rp, sealed, plain));
  EXPECT_EQ(plain, Bytes("db-pass"));
  EXPECT_FALSE(MetadataUtil::DecryptAESPassword(&rp, Seal(U"other", "x"), plain));
  rp.SetDataBlob(ARpGateway::kScriptKeyBlob, {0, 0, 0, 9, 'a'});  // a truncated field
  EXPECT_FALSE(MetadataUtil::DecryptAESPassword(&rp, sealed, plain));
  EXPECT_EQ(plain, Bytes("db-pass"));
}

TEST_F(SMUtilMaintenanceCrypto, RekeyRepositoryIsAllOrNothing) {
  const auto db = b.Add(kTIDADatabase, U"DB");
  Ref<AConnectionPool> pool = db.Child(kTIDAConnectionPool, U"Pool").As<AConnectionPool>();
  Ref<AConnectionPool> empty = db.Child(kTIDAConnectionPool, U"No password").As<AConnectionPool>();
  Ref<ALdapServer> ldap = b.Add(kTIDALdapServer, U"LDAP").As<ALdapServer>();
  const auto asBytes = [](const VXString& s) { return Bytes(ToNarrow(s)); };
  const auto asText = [](const ByteVector& v) { return ToVXString(std::string(v.begin(), v.end())); };
  pool->SetEncryptedPassword(asBytes(Seal(U"old", "pool")));
  ldap->SetBindPassword(asBytes(Seal(U"old", "bind")));
  ldap->SetKeyDBPassword(asBytes(Damaged(Seal(U"old", "keydb"))));
  ByteVector oldKey;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(U"old", oldKey);
  rp.SetScriptKey(U"k", oldKey);

  std::size_t count = 99;
  const ByteVector poolBefore = pool->GetEncryptedPassword();
  EXPECT_FALSE(MetadataUtil::RekeyRepository(&rp, U"old", U"new", count));
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(pool->GetEncryptedPassword(), poolBefore);

  ldap->SetKeyDBPassword(asBytes(Seal(U"old", "keydb")));
  ASSERT_TRUE(MetadataUtil::RekeyRepository(&rp, U"old", U"new", count));
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(Open(U"new", asText(pool->GetEncryptedPassword())), "pool");
  EXPECT_EQ(Open(U"new", asText(ldap->GetBindPassword())), "bind");
  EXPECT_EQ(Open(U"new", asText(ldap->GetKeyDBPassword())), "keydb");
  EXPECT_TRUE(empty->GetEncryptedPassword().empty());
  // The script key follows the pass phrase.
  ByteVector plain;
  EXPECT_TRUE(MetadataUtil::DecryptAESPassword(&rp, Seal(U"new", "x"), plain));
}

// ---- sanitising ------------------------------------------------------------------

TEST_F(SMUtilMaintenance, ClearConnectionInfoReplacesDetailsOfPoolsAndLdapServersOnly) {
  const auto db = b.Add(kTIDADatabase, U"DB");
  Ref<AConnectionPool> pool = db.Child(kTIDAConnectionPool, U"Pool").As<AConnectionPool>();
  pool->SetDataSourceName(U"PROD");
  pool->SetEncryptedPassword(Bytes("sealed"));
  pool->SetPostConnectStrings({U"SET ROLE x"});
  Ref<ALdapServer> ldap = b.Add(kTIDALdapServer, U"Directory").As<ALdapServer>();
  ldap->SetHostName(U"ldap.example.org");
  ldap->SetBindPassword(Bytes("b"));
  ldap->SetKeyDBPassword(Bytes("k"));
  db.Obj()->SetDescription(U"kept");

  MetadataUtil::ClearConnectionInfo(&rp);
  const VXString r = U"<Replace Me>";
  for (const VXString& v :
       {pool->GetDataSourceName(), pool->GetDBUserName(), pool->GetXMLADataSourceInfo(), pool->GetServerName(),
        pool->GetServerPort(), pool->GetEJBBean(), pool->GetOrreryServiceName(), pool->GetWSDL(), pool->GetQPLKey(),
        ldap->GetHostName(), ldap->GetBaseDN(), ldap->GetKeyDBFile(), ldap->GetQPLKey()}) {
    EXPECT_EQ(v, r);
  }
  EXPECT_TRUE(pool->GetEncryptedPassword().empty());
  EXPECT_TRUE(ldap->GetBindPassword().empty());
  EXPECT_TRUE(ldap->GetKeyDBPassword().empty());
  VXStringVector scripts;
  pool->GetEnabledPostConnectStrings(scripts);
  EXPECT_EQ(scripts, VXStringVector{U"SET ROLE x"});
  EXPECT_EQ(pool->GetName(), U"Pool");
  EXPECT_EQ(db.Obj()->GetDescription(), U"kept");
}

// ---- storage option ----------------------------------------------------------------

TEST_F(SMUtilMaintenance, ZOVApplicationByTargetTypeValueAndApplication) {
  struct Case {
    int targetType;
    VXString value;
    bool expected;
  };
  const Case cases[] = {
      {34, U"ZOV", true},   {58, U"zov", true},  {73, U"Zov", true}, {84, U"ZOV", true},  {84, U"ROLAP", false},
      {84, U"ZOV ", false}, {35, U"ZOV", false}, {0, U"ZOV", false}, {12, U"ZOV", false},
  };
  for (const Case& c : cases) {
    ARpGateway rp;
    Ref<ADatabase> db(rp.CreateObject(kTIDADatabase, U"Cube"));
    db->SetTargetType(c.targetType);
    db->SetDatabaseProperty(U"STORAGE_OPTION", U"Sales", c.value);
    EXPECT_EQ(MetadataUtil::IsZOVApplication(Ref<ARpObject>(db), U"Sales"), c.expected)
        << c.targetType << " " << ToNarrow(c.value);
  }
  // The property of the application, else the database-wide one.
  Ref<ADatabase> db(rp.CreateObject(kTIDADatabase, U"Cube"));
  db->SetTargetType(58);
  db->SetDatabaseProperty(U"STORAGE_OPTION", U"", U"ZOV");
  db->SetDatabaseProperty(U"STORAGE_OPTION", U"Budget", U"BSO");
  EXPECT_FALSE(MetadataUtil::IsZOVApplication(Ref<ARpObject>(db), U"Budget"));
  EXPECT_TRUE(MetadataUtil::IsZOVApplication(Ref<ARpObject>(db), U"Sales"));  // the database-wide value
  db->SetDatabaseProperty(U"OTHER", U"Budget", U"ZOV");
  EXPECT_FALSE(MetadataUtil::IsZOVApplication(Ref<ARpObject>(db), U"Budget"));
  EXPECT_FALSE(MetadataUtil::IsZOVApplication(rp.CreateObject(kTIDACatalogFolder, U"Cube"), U"Sales"));
  EXPECT_FALSE(MetadataUtil::IsZOVApplication(Ref<ARpObject>(), U"Sales"));
}

// ---- presentation table names ----------------------------------------------------

TEST_F(SMUtilMaintenance, PresentationTableNameByLengthAndVisibility) {
  const auto area = b.Add(kTIDACatalogFolder, U"Sales");
  area.Child(kTIDAEntityFolder, U"Orders");
  const auto hidden = b.Add(kTIDACatalogFolder, U"Payroll");
  b.Add(kTIDADatabase, U"DW");
  rp.DenyRead(hidden);

  struct Case {
    VXStringVector in;
    bool bProjectAsNull;
    VXStringVector expected;
  };
  const Case cases[] = {
      {{U"Sales", U"Orders"}, false, {U"Sales", U"", U"Orders"}},
      {{U"sales", U"Orders"}, false, {U"sales", U"", U"Orders"}},
      {{U"Payroll", U"Staff"}, false, {U"Payroll", U"Staff"}},  // not visible to the user
      {{U"Payroll", U"Staff"}, true, {U"Payroll", U"", U"Staff"}},
      {{U"DW", U"Orders"}, false, {U"DW", U"Orders"}},  // not a subject area
      {{U"Orders"}, false, {U"Orders"}},
      {{U"Sales", U"", U"Orders"}, false, {U"Sales", U"", U"Orders"}},
      {{}, false, {}},
  };
  for (const Case& c : cases) {
    VXStringVector out{U"stale"};
    EXPECT_EQ(&MetadataUtil::GenerateProperPresentatationTableName(&rp, c.in, out, c.bProjectAsNull), &out);
    EXPECT_EQ(out, c.expected) << (c.in.empty() ? "" : ToNarrow(c.in[0]));
  }
  VXStringVector untouched{U"kept"};
  MetadataUtil::GenerateProperPresentatationTableName(nullptr, {U"Sales", U"Orders"}, untouched, false);
  EXPECT_EQ(untouched, VXStringVector{U"kept"});
}

// ---- column mapping ----------------------------------------------------------------

TEST_F(SMUtilMaintenance, LogicalColumnMappedOnlyToANonEmptyPhysicalExpression) {
  const auto table = b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, U"Orders");
  const auto amount = table.Child(kTIDAAttribute, U"Amount");
  const auto note = table.Child(kTIDAAttribute, U"Note");
  const auto other = table.Child(kTIDAAttribute, U"Other");
  const auto twice = table.Child(kTIDAAttribute, U"Twice");
  Ref<ALogicalTableSource> source = table.Child(kTIDALogicalTableSource, U"LTS").As<ALogicalTableSource>();
  const Expr physical = ExprBuilder().ID(VoidID(kTIDAColumn, 7)).Build();
  const Expr physical2 = ExprBuilder().ID(VoidID(kTIDAColumn, 8)).Build();
  ALogicalTableSource::SourceDefinition defn;
  defn.m_logicalToPhysical = {{ExprBuilder().ID(amount).Build(), physical},
                              {ExprBuilder().ID(note).Build(), Expr()},
                              {ExprBuilder().ID(twice).Build(), Expr()},
                              {ExprBuilder().ID(twice).Build(), physical2}};
  source->SetSourceDefinition(defn);

  Expr out = ExprBuilder().Int(1).Build();
  const Expr marker = out;
  EXPECT_FALSE(MetadataUtil::IsLogicalColumnMapped(note.Obj(), source, out));  // empty physical expression
  EXPECT_FALSE(MetadataUtil::IsLogicalColumnMapped(other.Obj(), source, out));
  EXPECT_FALSE(MetadataUtil::IsLogicalColumnMapped(twice.Obj(), source, out));  // the first pair decides
  EXPECT_EQ(out, marker);
  EXPECT_TRUE(MetadataUtil::IsLogicalColumnMapped(amount.Obj(), source, out));
  EXPECT_EQ(out, physical);
  EXPECT_FALSE(MetadataUtil::IsLogicalColumnMapped(amount.Obj(), Ref<ALogicalTableSource>(), out));
  EXPECT_FALSE(MetadataUtil::IsLogicalColumnMapped(amount.Obj(), ALogicalTableSource::SourceDefinition{}, out));
}

// ---- web-service tables ------------------------------------------------------------

// A web-service table lives in a schema of a catalog; anywhere else is a
// logic error.
TEST_F(SMUtilMaintenance, WebServiceTableParentsAreSchemaAndCatalog) {
  const auto db = b.Add(kTIDADatabase, U"WS");
  const auto catalog = db.Child(kTIDACatalog, U"Service");
  const auto schema = catalog.Child(kTIDASchema, U"Port");
  Ref<ASchema> s;
  Ref<ACatalog> c;
  MetadataUtil::GetParentsForWSTable(schema.Child(kTIDATable, U"Op").As<ATable>(), s, c);
  EXPECT_EQ(s.GetID(), schema.Id());
  EXPECT_EQ(c.GetID(), catalog.Id());
  const auto tableInDb = db.Child(kTIDATable, U"Direct");
  const auto tableInDbSchema = db.Child(kTIDASchema, U"Port").Child(kTIDATable, U"Op");
  for (const VoidID& table : {tableInDb.Id(), tableInDbSchema.Id()}) {
    const auto e =
        Caught<VXAssertException>([&] { MetadataUtil::GetParentsForWSTable(Ref<ATable>(rp.GetObject(table)), s, c); });
    EXPECT_TRUE(e && e->IsLogicError());
  }
  // A schema left without its container is a broken invariant.
  const auto loose = b.Add(kTIDADatabase, U"Other").Child(kTIDASchema, U"Loose");
  const auto looseTable = loose.Child(kTIDATable, U"T");
  rp.SetObjectParent(loose.Obj().Get(), nullptr);
  const auto parents = [&] { MetadataUtil::GetParentsForWSTable(looseTable.As<ATable>(), s, c); };
  const auto noContainer = Caught<VXAssertException>(parents);
  ASSERT_TRUE(noContainer);
  EXPECT_FALSE(noContainer->IsLogicError());
  EXPECT_EQ(noContainer->GetCondition(), "!refSchema->GetContainer().IsNull()");
  rp.SetObjectParent(looseTable.Obj().Get(), nullptr);
  const auto noParent = Caught<VXAssertException>(parents);
  ASSERT_TRUE(noParent);
  EXPECT_EQ(noParent->GetCondition(), "!rpObject.IsNull()");
}

// ---- dimension cache -------------------------------------------------------------

namespace {
struct DimensionRepo {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID dim, total, year, month;
  DimensionRepo() {
    const auto bm = b.Add(kTIDASubjectArea, U"BM");
    const auto d = bm.Child(kTIDADimension, U"Time");
    const auto t = d.Child(kTIDALevel, U"Total");
    const auto y = t.Child(kTIDALevel, U"Year");
    dim = d;
    total = t;
    year = y;
    month = y.Child(kTIDALevel, U"Month");
  }
  VoidID Cached(const VoidID& level) { return Ref<ALevel>(rp.GetObject(level))->GetDimensionToCache().GetID(); }
};

// Notes what the dimension cache held when it was told of a new repository.
struct LaterSink : RpMgr::Notifications {
  VoidID m_level;
  std::vector<VoidID> m_seen;
  void newRPCreated(ARpGateway& rp, RpMgr::InsertRpOptions) override {
    m_seen.push_back(Ref<ALevel>(rp.GetObject(m_level))->GetDimensionToCache().GetID());
  }
  void rpClosed(ARpGateway&) override {}
};
}  // namespace

TEST_F(SMUtilMaintenance, DimensionCacheOfEveryLevelAndOfEveryRepositoryButOfflineOnes) {
  DimensionRepo r;
  MetadataUtil::ProcessDimensionCache(&r.rp, true);
  for (const VoidID& level : {r.total, r.year, r.month}) EXPECT_EQ(r.Cached(level), r.dim);
  MetadataUtil::ProcessDimensionCache(&r.rp, false);
  for (const VoidID& level : {r.total, r.year, r.month}) EXPECT_TRUE(r.Cached(level).IsNull());
  // The loaded library caches them for every repository but offline ones.
  LaterSink later;
  {
    DimensionRepo offline;
    later.m_level = offline.month;
    RpMgr::startNotify(&later, RpMgr::kProcessDimensionCache);
    RpMgr::InsertRp(offline.rp, RpMgr::kRPOffline);
    EXPECT_TRUE(offline.Cached(offline.month).IsNull());
  }
  DimensionRepo online;
  later.m_level = online.month;
  RpMgr::InsertRp(online.rp, RpMgr::kRPNone);
  RpMgr::stopNotify(&later);
  EXPECT_EQ(online.Cached(online.total), online.dim);
  EXPECT_EQ(online.Cached(online.month), online.dim);
  // The library's sink runs before sinks of the later orders.
  ASSERT_EQ(later.m_seen.size(), 2u);
  EXPECT_TRUE(later.m_seen[0].IsNull());
  EXPECT_EQ(later.m_seen[1], online.dim);
}

// ---- most detailed tables ----------------------------------------------------------

namespace {
struct JoinGraphRepo {
  ARpGateway rp;
  RpBuilder b{rp};
  RpBuilder::Node db = b.Add(kTIDADatabase, U"DW");
  Ref<ALogicalTableSource> source = b.Add(kTIDASubjectArea, U"BM")
                                        .Child(kTIDALogicalTable, U"L")
                                        .Child(kTIDALogicalTableSource, U"S")
                                        .As<ALogicalTableSource>();
  ALogicalTableSource::SourceDefinition defn;

  VoidID Table(const VXString& name) {
    const auto t = db.Child(kTIDATable, name);
    t.Child(kTIDATableKey, name + U"_PK");
    defn.m_physicalTables.push_back(t);
    return t;
  }
  // from (many) -> to (one) through a foreign key held by from.
  void ManyToOne(const VoidID& from, const VoidID& to) {
    Ref<AForeignKey> fk = b.At(from).Child(kTIDAForeignKey, U"FK").As<AForeignKey>();
    fk->SetTableKey(Ref<ATable>(rp.GetObject(to))->GetTableKeys().GetObjRef());
    defn.m_joins.push_back({{to, from}, fk.GetID()});  // listed in either order
  }
  std::set<VXString> Detailed() {
    source->SetSourceDefinition(defn);
    std::set<Ref<ARpObject>> out;
    MetadataUtil::GetMostDetailedTables(source, out);
    std::set<VXString> names;
    for (const Ref<ARpObject>& t : out) names.insert(t->GetName());
    return names;
  }
};
}  // namespace

TEST_F(SMUtilMaintenance, MostDetailedTableOfAManyToOneChainIsItsStart) {
  JoinGraphRepo g;
  const VoidID fact = g.Table(U"F"), day = g.Table(U"DAY"), month = g.Table(U"MONTH"), year = g.Table(U"YEAR");
  g.ManyToOne(fact, day);
  g.ManyToOne(day, month);
  g.ManyToOne(month, year);
  EXPECT_EQ(g.Detailed(), (std::set<VXString>{U"F"}));
  // A second fact on the same chain is as detailed as the first.
  g.ManyToOne(g.Table(U"F2"), month);
  EXPECT_EQ(g.Detailed(), (std::set<VXString>{U"F", U"F2"}));
}

TEST_F(SMUtilMaintenance, JoinsWithoutCardinalityOrInBothDirectionsOrderNothing) {
  JoinGraphRepo g;
  const VoidID a = g.Table(U"A"), b = g.Table(U"B"), c = g.Table(U"C");
  g.defn.m_joins.push_back({{a, b}, VoidID::NullID});  // an unnamed join
  EXPECT_EQ(g.Detailed(), (std::set<VXString>{U"A", U"B", U"C"}));
  g.ManyToOne(b, c);
  g.ManyToOne(c, b);
  EXPECT_EQ(g.Detailed(), (std::set<VXString>{U"A", U"B", U"C"}));
  g.ManyToOne(a, b);  // now B and C, which reach each other, are coarser than A
  EXPECT_EQ(g.Detailed(), (std::set<VXString>{U"A"}));
}

// ---- archive writing grouped by table ------------------------------------------

namespace {
struct ArchiveRepo {
  ARpGateway rp;
  RpBuilder b{rp};
  Repository::ObjectPointerMap map;
  std::vector<VoidID> tables;
  std::map<VoidID, std::vector<VoidID>> columnsOf;  // in relation order
  VoidID outsideColumn;

  ArchiveRepo() {
    const auto db = b.Add(kTIDADatabase, U"DW");
    for (int t = 0; t < 3; ++t) {
      const auto table = db.Child(t == 2 ? kTIDACubeTable : kTIDATable, U"T" + ToVXString(std::to_string(t)));
      tables.push_back(table);
      for (int c = 0; c < 3; ++c) {
        columnsOf[table].push_back(
            table.Child(t == 2 ? kTIDACubeColumn : kTIDAColumn, U"C" + ToVXString(std::to_string(c))));
      }
      table.Child(kTIDATableKey, U"PK");
    }
    const auto lt = b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, U"Orders");
    tables.push_back(lt);
    for (int c = 0; c < 2; ++c) columnsOf[lt].push_back(lt.Child(kTIDAAttribute, U"L" + ToVXString(std::to_string(c))));
    map = Repository::AllObjects(rp);
    // A column the caller did not hand over is not written.
    outsideColumn = columnsOf[tables[1]][1];
    map.erase(outsideColumn);
  }
};

std::vector<ARpArchive::Record> WriteAndReadBack(ArchiveRepo& r, AFile* pDowngrade, const std::string& path,
                                                 const std::set<TypeID>& notDowngraded, int& count) {
  {
    DiskFile file(path);
    ARpArchive archive(file);
    archive.m_typesNotDowngraded = notDowngraded;
    count = MetadataUtil::WriteToRPDAfterGroupingColumnsByTable(archive, r.map, pDowngrade);
    archive.Finish();
    file.Close();
  }
  return ARpArchive::ReadFile(path);
}

// Each table's records are followed at once by those of its columns in the map.
void ExpectGrouped(ArchiveRepo& r, const std::vector<ARpArchive::Record>& records, bool bColumnsWritten) {
  std::map<VoidID, std::size_t> at;
  for (std::size_t i = 0; i < records.size(); ++i) EXPECT_TRUE(at.emplace(records[i].m_id, i).second);
  for (const VoidID& table : r.tables) {
    ASSERT_TRUE(at.count(table));
    std::size_t next = at[table] + 1;
    for (const VoidID& column : r.columnsOf[table]) {
      if (column == r.outsideColumn) continue;
      if (!bColumnsWritten && column.GetTypeID() == kTIDAColumn) continue;
      ASSERT_LT(next, records.size());
      EXPECT_EQ(records[next++].m_id, column);
    }
  }
  EXPECT_FALSE(at.count(r.outsideColumn));
}
}  // namespace

// Without a downgrade file every object is written; with one, the objects
// of the types not downgraded go there and only those count.
TEST(SMUtilMaintenanceArchive, TablesAreFollowedByTheirColumnsInEitherFile) {
  ArchiveRepo r;
  const std::string path = ::testing::TempDir() + "smutil_grouped.rpa";
  const std::string old = ::testing::TempDir() + "smutil_grouped_old.rpa";
  int count = 0;
  const auto records = WriteAndReadBack(r, nullptr, path, {}, count);
  EXPECT_EQ(count, static_cast<int>(r.map.size()));
  EXPECT_EQ(records.size(), r.map.size());
  ExpectGrouped(r, records, true);
  {
    DiskFile downgrade(old);
    EXPECT_TRUE(WriteAndReadBack(r, &downgrade, path, {kTIDAColumn}, count).empty());
    downgrade.Close();
  }
  const auto downgraded = ARpArchive::ReadFile(old);
  const std::size_t physicalColumns = 5;  // the columns of T0 and T1 but the one left out
  EXPECT_EQ(count, static_cast<int>(r.map.size() - physicalColumns));
  EXPECT_EQ(downgraded.size(), r.map.size() - physicalColumns);
  ExpectGrouped(r, downgraded, false);
  std::remove(path.c_str());
  std::remove(old.c_str());
}
