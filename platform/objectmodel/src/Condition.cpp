#include "objectmodel/Condition.h"

#include <map>
#include <mutex>
#include <string>

#include "Utility/DataBlobUtil.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "objectmodel/ObjectParent.h"

UnsupportedLanguage::UnsupportedLanguage(QueryLanguage lang)
    : std::runtime_error("condition has no text form in query language " + std::to_string(static_cast<int>(lang))),
      m_lang(lang) {}

VXString ACondition::ToConditionString(QueryLanguage lang) const { throw UnsupportedLanguage(lang); }

bool ACondition::GetLookupHint(LookupHint&) const { return false; }

// ---- ObjectNameCondition ----------------------------------------------------

// Constructors stay out of line: inlined into callers that pass short
// literals, GCC 12 reports a false array-bounds error on the string copy.
ObjectNameCondition::ObjectNameCondition() : ObjectNameCondition(ObjectName, VXString(), false) {}
ObjectNameCondition::ObjectNameCondition(const VXString& objectName, bool bAliasMatching)
    : ObjectNameCondition(ObjectName, objectName, bAliasMatching) {}
ObjectNameCondition::ObjectNameCondition(ConditionType type, const VXString& objectName, bool bAliasMatching)
    : ACondition(type), m_objectName(objectName), m_bAliasMatching(bAliasMatching) {}
TypedObjectNameCondition::TypedObjectNameCondition() : TypedObjectNameCondition(0, VXString(), false) {}
TypedObjectNameCondition::TypedObjectNameCondition(TypeID typeID, const VXString& objectName, bool bAliasMatching)
    : ObjectNameCondition(kTypedObjectName, objectName, bAliasMatching), m_typeID(typeID) {}

bool ObjectNameCondition::NameMatches(const ARpObject& obj) const {
  return m_bAliasMatching ? obj.IsNameOrAlias(m_objectName) : VXCaseFold::Equal(obj.GetName(), m_objectName);
}

bool ObjectNameCondition::operator()(const Ref<ARpObject>& obj) const {
  const ARpObject* p = obj.Get();
  return p && NameMatches(*p);
}

void ObjectNameCondition::ToByteVector(ARpGateway*, ByteVector& bytes) const {
  DataBlobUtil::ToByteVector(bytes, m_objectName);
  DataBlobUtil::ToByteVector(bytes, m_bAliasMatching);
}

const uint8* ObjectNameCondition::FromByteVector(ARpGateway*, const uint8* p, const uint8* end) {
  VXString name;
  bool bAlias = false;
  p = DataBlobUtil::FromByteVector(p, end, name, true);
  p = DataBlobUtil::FromByteVector(p, end, bAlias);
  m_objectName = std::move(name);
  m_bAliasMatching = bAlias;
  return p;
}

bool ObjectNameCondition::GetLookupHint(LookupHint& hint) const {
  hint = LookupHint();
  hint.m_bHasName = true;
  hint.m_name = m_objectName;
  return true;
}

void ObjectNameCondition::GetChildren(const Ref<ARpObject>& parent, RpObjectVector& children) const {
  const ARpObject* p = parent.Get();
  if (!p) return;
  for (ARpObject* c : p->GetChildPointers()) children.push_back(Ref<ARpObject>(c));
}

// ---- TypedObjectNameCondition -------------------------------------------------

bool TypedObjectNameCondition::operator()(const Ref<ARpObject>& obj) const {
  const ARpObject* p = obj.Get();
  return p && p->GetTypeID() == m_typeID && NameMatches(*p);
}

void TypedObjectNameCondition::ToByteVector(ARpGateway* pRp, ByteVector& bytes) const {
  ObjectNameCondition::ToByteVector(pRp, bytes);
  DataBlobUtil::ToByteVector(bytes, static_cast<std::int32_t>(m_typeID));
}

const uint8* TypedObjectNameCondition::FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) {
  p = ObjectNameCondition::FromByteVector(pRp, p, end);
  std::int32_t type = 0;
  p = DataBlobUtil::FromByteVector(p, end, type);
  m_typeID = type;
  return p;
}

bool TypedObjectNameCondition::GetLookupHint(LookupHint& hint) const {
  ObjectNameCondition::GetLookupHint(hint);
  hint.m_bHasTypes = true;
  hint.m_types = std::span<const TypeID>(&m_typeID, 1);
  return true;
}

// ---- InterfaceTypeCondition ----------------------------------------------------

bool InterfaceTypeCondition::operator()(const Ref<ARpObject>& obj) const {
  const ARpObject* p = obj.Get();
  if (!p) return false;
  for (TypeID t : m_types) {
    if (t == p->GetTypeID()) return true;
  }
  return false;
}

void InterfaceTypeCondition::ToByteVector(ARpGateway*, ByteVector& bytes) const {
  DataBlobUtil::ToByteVector(bytes, std::vector<int>(m_types.begin(), m_types.end()));
}

const uint8* InterfaceTypeCondition::FromByteVector(ARpGateway*, const uint8* p, const uint8* end) {
  std::vector<int> types;
  p = DataBlobUtil::FromByteVector(p, end, types);
  m_types.assign(types.begin(), types.end());
  return p;
}

bool InterfaceTypeCondition::GetLookupHint(LookupHint& hint) const {
  hint = LookupHint();
  hint.m_bHasTypes = true;
  hint.m_types = m_types;
  return true;
}

// ---- registry -------------------------------------------------------------------

namespace {
struct Registry {
  std::mutex m_mutex;
  std::map<int, ConditionRegistry::Factory> m_factories;
  Registry() {
    m_factories[ACondition::InterfaceType] = [] { return std::make_unique<InterfaceTypeCondition>(); };
    m_factories[ACondition::ObjectName] = [] { return std::make_unique<ObjectNameCondition>(); };
    m_factories[ACondition::kTypedObjectName] = [] { return std::make_unique<TypedObjectNameCondition>(); };
    m_factories[ACondition::kLookupAllCondition] = [] { return std::make_unique<LookupAllCondition>(); };
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}
}  // namespace

void ConditionRegistry::Register(ACondition::ConditionType type, Factory factory) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.m_mutex);
  r.m_factories[type] = std::move(factory);
}

bool ConditionRegistry::IsRegistered(ACondition::ConditionType type) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.m_mutex);
  return r.m_factories.count(type) > 0;
}

std::unique_ptr<ACondition> ConditionRegistry::Create(ACondition::ConditionType type) {
  Factory f;
  {
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> lock(r.m_mutex);
    auto it = r.m_factories.find(type);
    if (it == r.m_factories.end()) return nullptr;
    f = it->second;
  }
  return f ? f() : nullptr;
}

void ConditionRegistry::ToTaggedBytes(ARpGateway* pRp, const ACondition& cond, ByteVector& bytes) {
  DataBlobUtil::ToByteVector(bytes, static_cast<std::int32_t>(cond.GetConditionType()));
  cond.ToByteVector(pRp, bytes);
}

std::unique_ptr<ACondition> ConditionRegistry::FromTaggedBytes(ARpGateway* pRp, const uint8* p, const uint8* end,
                                                               const uint8** pNext) {
  const uint8* begin = p;
  std::int32_t tag = 0;
  p = DataBlobUtil::FromByteVector(p, end, tag);
  std::unique_ptr<ACondition> cond = Create(static_cast<ACondition::ConditionType>(tag));
  if (!cond) {
    throw BlobDecodeError("unknown condition type tag " + std::to_string(tag), static_cast<std::size_t>(p - begin) - 4);
  }
  p = cond->FromByteVector(pRp, p, end);
  if (pNext) *pNext = p;
  return cond;
}
