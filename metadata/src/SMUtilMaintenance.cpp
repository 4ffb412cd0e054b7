// Repository maintenance: sealed passwords, sanitising, archive writing,
// the dimension cache and a few small repository helpers.
#include <openssl/crypto.h>

#include <unordered_map>
#include <unordered_set>

#include "Expr/ExprBuilder.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/HALOStrongEncryption.h"
#include "Utility/SUStrUtil.h"
#include "Utility/VXAssert.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/Networker.h"

namespace {
constexpr const char* kSource = "server/Metadata/Src/SMUtil.cpp";

// Key and plain-password bytes: wiped before their memory goes back.
struct WipedBytes {
  ByteVector bytes;
  WipedBytes() = default;
  WipedBytes(const WipedBytes&) = delete;
  WipedBytes& operator=(const WipedBytes&) = delete;
  ~WipedBytes() {
    if (!bytes.empty()) OPENSSL_cleanse(bytes.data(), bytes.size());
  }
};

// The script key of the repository: the second field of blob 15 (the
// first, a label, is skipped).
bool ReadScriptKey(ARpGateway* pRp, WipedBytes& key, VXString* pLabel = nullptr) {
  WipedBytes blob;
  if (!pRp || !pRp->GetDataBlob(ARpGateway::kScriptKeyBlob, blob.bytes)) return false;
  try {
    const uint8* end = blob.bytes.data() + blob.bytes.size();
    VXString skipped;
    const uint8* p = DataBlobUtil::FromByteVector(blob.bytes.data(), end, skipped);
    if (pLabel) *pLabel = skipped;
    VXString keyText;
    DataBlobUtil::FromByteVector(p, end, keyText);
    // The key field holds the key bytes one per character.
    key.bytes.reserve(keyText.size());
    for (char32_t c : keyText) {
      if (c > 0xFF) return false;
      key.bytes.push_back(static_cast<uint8>(c));
    }
    if (!keyText.empty()) OPENSSL_cleanse(keyText.data(), keyText.size() * sizeof(char32_t));
  } catch (const BlobDecodeError&) {
    return false;
  }
  return true;
}

// Opens aesString with oldKey and seals the plain bytes with newKey.
bool Reseal(const VXString& aesString, const ByteVector& oldKey, const ByteVector& newKey, VXString& out) {
  WipedBytes plain;
  if (!HALOStrongEncryption::DecryptAESPasswordForScript(aesString, oldKey, plain.bytes)) return false;
  out = HALOStrongEncryption::AESEncryptPasswordForScript(newKey, plain.bytes);
  return true;
}

template <class T>
std::vector<Ref<T>> ObjectsOfType(ARpGateway* pRp, TypeID type) {
  VoidIDVector ids;
  pRp->LookupObjects(InterfaceTypeCondition(type), ids);
  RpObjectVector objects;
  pRp->GetObjects(ids, objects);
  std::vector<Ref<T>> out;
  out.reserve(objects.size());
  for (const Ref<ARpObject>& obj : objects) {
    if (!obj.IsNull()) out.emplace_back(obj);
  }
  return out;
}

bool WriteOneObjectToArchive(ARpArchive& archive, const ARpObject* rpObject, AFile* pDowngradeFile, long& oldPos) {
  archive.WriteObject(*rpObject, pDowngradeFile);
  if (!pDowngradeFile) return true;
  const long newPos = pDowngradeFile->GetPosition();
  if (newPos == oldPos) return false;
  oldPos = newPos;
  return true;
}

// The repository manager tells the library of every repository it opens;
// levels then know their dimension without walking up to it.
class ProcessDimensionCache_RpMgrNotificationsSink : public RpMgr::Notifications {
 public:
  ProcessDimensionCache_RpMgrNotificationsSink() { RpMgr::startNotify(this, RpMgr::kRpVarMgrCreator); }
  ~ProcessDimensionCache_RpMgrNotificationsSink() override { RpMgr::stopNotify(this); }
  ProcessDimensionCache_RpMgrNotificationsSink(const ProcessDimensionCache_RpMgrNotificationsSink&) = delete;
  ProcessDimensionCache_RpMgrNotificationsSink& operator=(const ProcessDimensionCache_RpMgrNotificationsSink&) = delete;

  void newRPCreated(ARpGateway& gateway, RpMgr::InsertRpOptions options) override {
    // Offline copies are opened to be edited or written out, not queried.
    if (options & RpMgr::kRPOffline) return;
    MetadataUtil::ProcessDimensionCache(&gateway, true);
  }
  void rpClosed(ARpGateway&) override {}
};

// Registered at order 10, before the other insert sinks (order 30 and
// later), so that they already see the cached dimensions.
const ProcessDimensionCache_RpMgrNotificationsSink g_processDimensionCacheSink;
}  // namespace

// ---- sealed passwords --------------------------------------------------------

bool MetadataUtil::DecryptAESPassword(ARpGateway* pRp, const VXString& aesString, ByteVector& passwdBytes) {
  WipedBytes key;
  if (!ReadScriptKey(pRp, key)) return false;
  return HALOStrongEncryption::DecryptAESPasswordForScript(aesString, key.bytes, passwdBytes);
}

bool MetadataUtil::DecryptAESPassword(const VXString& repositoryPassword, const VXString& aesString,
                                      ByteVector& passwdBytes) {
  WipedBytes key;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(repositoryPassword, key.bytes);
  return HALOStrongEncryption::DecryptAESPasswordForScript(aesString, key.bytes, passwdBytes);
}

bool MetadataUtil::GetNewAESString(const VXString& oldFilePassword, const VXString& aesString,
                                   const VXString& newFilePassword, VXString& newAESString) {
  if (oldFilePassword == newFilePassword) {
    newAESString = aesString;
    return true;
  }
  WipedBytes oldKey, newKey;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(oldFilePassword, oldKey.bytes);
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(newFilePassword, newKey.bytes);
  return Reseal(aesString, oldKey.bytes, newKey.bytes, newAESString);
}

bool MetadataUtil::GetNewAESStrings(const VXString& oldFilePassword, const VXStringVector& aesStrings,
                                    const VXString& newFilePassword, VXStringVector& newAESStrings) {
  WipedBytes oldKey, newKey;
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(oldFilePassword, oldKey.bytes);
  HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(newFilePassword, newKey.bytes);
  newAESStrings.reserve(newAESStrings.size() + aesStrings.size());
  for (const VXString& aesString : aesStrings) {
    VXString resealed;
    if (!Reseal(aesString, oldKey.bytes, newKey.bytes, resealed)) return false;
    newAESStrings.push_back(std::move(resealed));
  }
  return true;
}

namespace {
// One sealed password of the repository: where it lives and its text.
struct SealedPassword {
  Ref<ARpObject> m_owner;
  RpProp m_prop;
};

void CollectSealedPasswords(ARpGateway* pRp, std::vector<SealedPassword>& where, VXStringVector& texts) {
  const auto add = [&](const Ref<ARpObject>& owner, RpProp prop) {
    const ByteVector bytes = owner->GetBytes(prop);
    if (bytes.empty()) return;
    where.push_back(SealedPassword{owner, prop});
    texts.push_back(ToVXString(std::string(bytes.begin(), bytes.end())));
  };
  for (const Ref<AConnectionPool>& pool : ObjectsOfType<AConnectionPool>(pRp, kTIDAConnectionPool)) {
    add(Ref<ARpObject>(pool), RpProp::kEncryptedPassword);
  }
  for (const Ref<ALdapServer>& server : ObjectsOfType<ALdapServer>(pRp, kTIDALdapServer)) {
    add(Ref<ARpObject>(server), RpProp::kBindPassword);
    add(Ref<ARpObject>(server), RpProp::kKeyDBPassword);
  }
}
}  // namespace

bool MetadataUtil::RekeyRepository(ARpGateway* pRp, const VXString& oldFilePassword, const VXString& newFilePassword,
                                   std::size_t& rekeyed) {
  rekeyed = 0;
  if (!pRp) return false;
  std::vector<SealedPassword> where;
  VXStringVector texts, resealed;
  CollectSealedPasswords(pRp, where, texts);
  if (!GetNewAESStrings(oldFilePassword, texts, newFilePassword, resealed)) return false;
  WipedBytes scriptKey, oldKey;
  VXString label;
  if (ReadScriptKey(pRp, scriptKey, &label)) {
    HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(oldFilePassword, oldKey.bytes);
    if (scriptKey.bytes == oldKey.bytes) {
      WipedBytes newKey;
      HALOStrongEncryption::GetPKCS5PBKDF2HMACSHA1(newFilePassword, newKey.bytes);
      pRp->SetScriptKey(label, newKey.bytes);
    }
  }
  for (std::size_t i = 0; i < where.size(); ++i) {
    const std::string narrow = ToNarrow(resealed[i]);
    where[i].m_owner->SetProperty(where[i].m_prop, ByteVector(narrow.begin(), narrow.end()));
  }
  rekeyed = where.size();
  return true;
}

// ---- sanitising and checks ---------------------------------------------------

void MetadataUtil::ClearConnectionInfo(ARpGateway* rpGateway) {
  if (!rpGateway) return;
  const VXString placeholder = U"<Replace Me>";
  for (Ref<AConnectionPool>& pool : ObjectsOfType<AConnectionPool>(rpGateway, kTIDAConnectionPool)) {
    pool->SetDataSourceName(placeholder);
    pool->SetDBUserName(placeholder);
    pool->SetXMLADataSourceInfo(placeholder);
    pool->SetServerName(placeholder);
    pool->SetServerPort(placeholder);
    pool->SetEJBBean(placeholder);
    pool->SetOrreryServiceName(placeholder);
    pool->SetWSDL(placeholder);
    pool->SetQPLKey(placeholder);
    pool->SetEncryptedPassword(ByteVector());
  }
  for (Ref<ALdapServer>& server : ObjectsOfType<ALdapServer>(rpGateway, kTIDALdapServer)) {
    server->SetHostName(placeholder);
    server->SetBaseDN(placeholder);
    server->SetKeyDBFile(placeholder);
    server->SetQPLKey(placeholder);
    server->SetBindPassword(ByteVector());
    server->SetKeyDBPassword(ByteVector());
  }
}

bool MetadataUtil::IsZOVApplication(const Ref<ARpObject>& database, const VXString& application) {
  if (database.IsNull() || database->GetTypeID() != kTIDADatabase) return false;
  Ref<ADatabase> db(database);
  // The versions of the multidimensional server (ServerInfo::TargetType).
  switch (db->GetTargetType()) {
    case 34:
    case 58:
    case 73:
    case 84:
      break;
    default:
      return false;
  }
  const VXString value = db->GetDatabaseProperty(SUStrUtil::LoadMsgStringOnly(74086), application);
  return VXCaseFold::Equal(value, U"ZOV");
}

VXStringVector& MetadataUtil::GenerateProperPresentatationTableName(ARpGateway* pRp,
                                                                    const VXStringVector& qualifiedName,
                                                                    VXStringVector& qName,
                                                                    bool bProjectInaccessibleColumnAsNull) {
  if (!pRp) return qName;
  qName.clear();
  if (qualifiedName.size() == 2) {
    VoidIDVector subjectAreas;
    bool bFoundInaccessible = false;
    NamedInterfaceTypeCondition::QueryWithSecurity(
        pRp, NamedInterfaceTypeCondition(kTIDACatalogFolder, QualifiedName{qualifiedName[0]}, true), subjectAreas,
        bProjectInaccessibleColumnAsNull, bFoundInaccessible);
    if (!subjectAreas.empty()) {
      qName = {qualifiedName[0], VXString(), qualifiedName[1]};
      return qName;
    }
  }
  qName = qualifiedName;
  return qName;
}

bool MetadataUtil::IsLogicalColumnMapped(const Ref<ARpObject>& rpColumn,
                                         const ALogicalTableSource::SourceDefinition& defn, Expr& rPhysicalExpr) {
  if (rpColumn.IsNull()) return false;
  const Expr columnToken = ExprBuilder().ID(rpColumn.GetID()).Build();
  for (const auto& [logical, physical] : defn.m_logicalToPhysical) {
    if (logical.GetTokenBytes() != columnToken.GetTokenBytes()) continue;
    if (physical.IsEmpty()) return false;
    rPhysicalExpr = physical;
    return true;
  }
  return false;
}

bool MetadataUtil::IsLogicalColumnMapped(const Ref<ARpObject>& rpColumn, const Ref<ALogicalTableSource>& source,
                                         Expr& rPhysicalExpr) {
  if (source.IsNull()) return false;
  return IsLogicalColumnMapped(rpColumn, source->GetSourceDefinition(), rPhysicalExpr);
}

void MetadataUtil::GetParentsForWSTable(Ref<ATable> refTable, Ref<ASchema>& refSchema, Ref<ACatalog>& refCatalog) {
  Ref<ARpObject> rpObject = GetParent(Ref<ARpObject>(refTable));
  if (rpObject.IsNull()) VXAssert::handleAssert(kSource, __LINE__, "!rpObject.IsNull()");
  if (rpObject->GetTypeID() != kTIDASchema) VXAssert::handleLogicError(kSource, __LINE__, "");
  refSchema = Ref<ASchema>(rpObject);
  if (refSchema->GetContainer().IsNull()) {
    VXAssert::handleAssert(kSource, __LINE__, "!refSchema->GetContainer().IsNull()");
  }
  Ref<ARpObject> container(refSchema->GetContainer());
  if (container->GetTypeID() != kTIDACatalog) VXAssert::handleLogicError(kSource, __LINE__, "");
  refCatalog = Ref<ACatalog>(container);
}

// ---- archive writing -------------------------------------------------------------

int MetadataUtil::WriteToRPDAfterGroupingColumnsByTable(ARpArchive& archive,
                                                        const Repository::ObjectPointerMap& allObjIdPtrMap,
                                                        AFile* pDowngradeFile) {
  std::unordered_set<VoidID, VoidIDHash> written;
  written.reserve(allObjIdPtrMap.size());
  int count = 0;
  long oldPos = pDowngradeFile ? pDowngradeFile->GetPosition() : 0;
  const auto writeOne = [&](const ARpObject* obj) {
    written.insert(obj->GetID());
    if (WriteOneObjectToArchive(archive, obj, pDowngradeFile, oldPos)) ++count;
  };
  for (const auto& [id, obj] : allObjIdPtrMap) {
    const TypeID type = id.GetTypeID();
    if (type != kTIDATable && type != kTIDACubeTable && type != kTIDALogicalTable) continue;
    if (!obj || written.count(id)) continue;
    writeOne(obj);
    BinaryRelIter<AAttribute> logicalColumns;
    BinaryRelIter<AColumn> physicalColumns;
    if (type == kTIDALogicalTable) {
      logicalColumns = Ref<ALogicalTable>(Ref<ARpObject>(obj))->GetColumns();
    } else {
      physicalColumns = Ref<ATable>(Ref<ARpObject>(obj))->GetColumns();
    }
    const auto writeColumn = [&](const VoidID& columnID) {
      if (written.count(columnID)) return;
      auto entry = allObjIdPtrMap.find(columnID);
      if (entry != allObjIdPtrMap.end() && entry->second) writeOne(entry->second);
    };
    for (; !logicalColumns.IsEnd(); ++logicalColumns) writeColumn(logicalColumns.GetTargetID());
    for (; !physicalColumns.IsEnd(); ++physicalColumns) writeColumn(physicalColumns.GetTargetID());
  }
  for (const auto& [id, obj] : allObjIdPtrMap) {
    if (obj && !written.count(id)) writeOne(obj);
  }
  return count;
}

// ---- dimension cache ---------------------------------------------------------

void MetadataUtil::ProcessDimensionCache(ARpGateway* pGateway, bool bSetCache) {
  if (!pGateway) return;
  for (const Ref<ADimension>& dimension : ObjectsOfType<ADimension>(pGateway, kTIDADimension)) {
    for (BinaryRelIter<ALevel> it = dimension->GetAllLevels(); !it.IsEnd(); ++it) {
      Ref<ALevel> level = *it;
      if (!level.IsNull()) level->SetDimensionToCache(bSetCache ? dimension : Ref<ADimension>());
    }
  }
}

// ---- most detailed tables --------------------------------------------------------

void MetadataUtil::GetMostDetailedTables(const Ref<ALogicalTableSource>& refLTS,
                                         std::set<Ref<ARpObject>>& detailedTables) {
  if (refLTS.IsNull()) return;
  ARpGateway* pRp = refLTS->GetGateway();
  const ALogicalTableSource::SourceDefinition defn = refLTS->GetSourceDefinition();
  // Nodes: the source's tables that resolve, in order, without repeats.
  std::vector<Ref<ARpObject>> nodes;
  std::unordered_map<VoidID, std::size_t, VoidIDHash> nodeOf;
  for (const VoidID& id : defn.m_physicalTables) {
    Ref<ARpObject> table = pRp->GetObject(id);
    if (table.IsNull() || nodeOf.count(id)) continue;
    nodeOf.emplace(id, nodes.size());
    nodes.push_back(table);
  }
  // Many-to-one links, from the foreign key's table to the referenced key's.
  std::vector<std::vector<std::size_t>> toOne(nodes.size());
  for (const auto& [tables, joinID] : defn.m_joins) {
    if (joinID.GetTypeID() != kTIDAForeignKey) continue;
    Ref<AForeignKey> fk(pRp->GetObject(joinID));
    if (fk.IsNull() || fk->GetTableKey().IsNull()) continue;
    Ref<ATable> manySide = fk->GetContainer();
    Ref<ATable> oneSide = fk->GetTableKey()->GetTable();
    if (manySide.IsNull() || oneSide.IsNull()) continue;
    // The link must join the pair it is listed for.
    const std::set<VoidID> pair{tables.first, tables.second};
    if (pair != std::set<VoidID>{manySide.GetID(), oneSide.GetID()}) continue;
    auto from = nodeOf.find(manySide.GetID());
    auto to = nodeOf.find(oneSide.GetID());
    if (from != nodeOf.end() && to != nodeOf.end() && from->second != to->second) {
      toOne[from->second].push_back(to->second);
    }
  }
  // reach[s][t]: a chain of many-to-one links leads from s to t.
  const std::size_t n = nodes.size();
  std::vector<std::vector<bool>> reach(n, std::vector<bool>(n, false));
  for (std::size_t s = 0; s < n; ++s) {
    std::vector<std::size_t> stack(toOne[s]);
    while (!stack.empty()) {
      const std::size_t t = stack.back();
      stack.pop_back();
      if (reach[s][t]) continue;
      reach[s][t] = true;
      stack.insert(stack.end(), toOne[t].begin(), toOne[t].end());
    }
  }
  for (std::size_t t = 0; t < n; ++t) {
    bool bCoarser = false;
    for (std::size_t s = 0; s < n && !bCoarser; ++s) bCoarser = s != t && reach[s][t] && !reach[t][s];
    if (!bCoarser) detailedTables.insert(nodes[t]);
  }
}
