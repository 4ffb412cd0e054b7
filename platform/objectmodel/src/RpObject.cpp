#include "objectmodel/RpObject.h"

#include <algorithm>
#include <cstring>

#include "ObjectKeeper.h"
#include "TypeTable.h"
#include "Utility/BaseStringUtil.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpGateway.h"

namespace {
const char* const kPropNames[] = {
#define SMUTIL_RP_PROP_NAME(id, name) name,
    SMUTIL_RP_PROPS(SMUTIL_RP_PROP_NAME)
#undef SMUTIL_RP_PROP_NAME
};
const VXStringVector kNoAliases;
const std::vector<ARpObject*> kNoChildren;
}  // namespace

const char* RpPropName(RpProp key) {
  const auto i = static_cast<std::size_t>(key);
  return i < static_cast<std::size_t>(RpProp::kCount) ? kPropNames[i] : "";
}

bool RpPropFromName(const std::string& name, RpProp& key) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(RpProp::kCount); ++i) {
    if (name == kPropNames[i]) {
      key = static_cast<RpProp>(i);
      return true;
    }
  }
  return false;
}

bool Multiplicity::CheckCardinality(int count) const {
  using namespace MultiplicityTypes;
  auto reach = [](Cardinality c) {
    switch (c) {
      case kZero:
        return 0;
      case kOne:
        return 1;
      case kMany:
      case kUnknown:
        return 1 << 30;
    }
    return 1 << 30;
  };
  int lo = m_startCardinality == kUnknown ? 0 : (m_startCardinality == kMany ? 2 : reach(m_startCardinality));
  int hi = reach(m_endCardinality);
  if (m_optionalLowerBound > 0) lo = std::max(lo, m_optionalLowerBound);
  if (m_optionalUpperBound > 0) hi = std::min(hi, m_optionalUpperBound);
  return count >= lo && count <= hi;
}

bool SamePropValue(const RpPropValue& a, const RpPropValue& b) {
  using SourcePtr = std::shared_ptr<const RpSourceDefinition>;
  const SourcePtr* sa = std::get_if<SourcePtr>(&a);
  const SourcePtr* sb = std::get_if<SourcePtr>(&b);
  if (!sa || !sb) return a == b;
  if (!*sa || !*sb) return !*sa == !*sb;
  return **sa == **sb;
}

ARpObject::~ARpObject() = default;

void ARpObject::operator delete(ARpObject* p, std::destroying_delete_t) {
  ObjectPool* const pool = p->m_state.load(std::memory_order_relaxed) & kPooledBit ? p->m_keeper->Pool() : nullptr;
  void* const block = dynamic_cast<void*>(p);
  const RpTypeInfo* info = pool && ObjectPool::kPoisons ? FindTypeInfo(p->GetTypeID()) : nullptr;
  const std::size_t bytes = info ? info->m_size : 0;
  p->~ARpObject();
  if (pool) {
    pool->Free(block, bytes);
  } else {
    ::operator delete(block);
  }
}

const AMetaClass* ARpObject::GetMetaClass() const { return AMetaClass::FromTypeID(GetTypeID()); }

Ref<ARpObject> ARpObject::GetParentObject() const { return m_pParent ? Ref<ARpObject>(m_pParent) : Ref<ARpObject>(); }

void ARpObject::GetAliases(VXStringVector& aliases) const {
  const VXStringVector& mine = GetAliasList();
  aliases.insert(aliases.end(), mine.begin(), mine.end());
}

const VXStringVector& ARpObject::GetAliasList() const { return m_extra ? m_extra->m_aliases : kNoAliases; }

bool ARpObject::IsNameOrAlias(std::u32string_view name) const {
  if (VXCaseFold::Equal(m_name, name)) return true;
  for (const VXString& a : GetAliasList()) {
    if (VXCaseFold::Equal(a, name)) return true;
  }
  return false;
}

bool ARpObject::IsWildcardNameOrAlias(const VXString& pattern) const {
  if (BaseStringUtil::IsWildcardCaseInsensitiveMatch(m_name, pattern)) return true;
  for (const VXString& a : GetAliasList()) {
    if (BaseStringUtil::IsWildcardCaseInsensitiveMatch(a, pattern)) return true;
  }
  return false;
}

VXStringStringMap ARpObject::GetPropertyMap() const {
  const RpPropValue* v = FindProperty(RpProp::kPropertyMap);
  if (v) {
    if (const auto* m = std::get_if<VXStringStringMap>(v)) return *m;
  }
  return {};
}

ARpObject::Extra& ARpObject::GetExtra() {
  if (!m_extra) m_extra = std::make_unique<Extra>();
  return *m_extra;
}

ChildPointers ARpObject::GetChildPointers() const {
  if (!m_extra) return ChildPointers(kNoChildren, 0);
  return ChildPointers(m_extra->m_children, m_extra->m_children.size() - m_extra->m_deadChildren);
}

ARpObject* ChildPointers::back() const {
  // The gateway keeps the last slot filled.
  return m_slots->empty() ? nullptr : m_slots->back();
}

const RpPropValue* ARpObject::FindProperty(RpProp key) const {
  if (!m_extra) return nullptr;
  const auto& props = m_extra->m_props;
  auto it = std::lower_bound(props.begin(), props.end(), key,
                             [](const std::pair<RpProp, RpPropValue>& p, RpProp k) { return p.first < k; });
  return (it != props.end() && it->first == key) ? &it->second : nullptr;
}

void ARpObject::SetProperty(RpProp key, RpPropValue value) {
  if (std::holds_alternative<std::monostate>(value)) {
    ClearProperty(key);
    return;
  }
  auto& props = GetExtra().m_props;
  auto it = std::lower_bound(props.begin(), props.end(), key,
                             [](const std::pair<RpProp, RpPropValue>& p, RpProp k) { return p.first < k; });
  if (it != props.end() && it->first == key) {
    it->second = std::move(value);
  } else {
    props.insert(it, {key, std::move(value)});
  }
}

void ARpObject::ClearProperty(RpProp key) {
  if (!m_extra) return;
  auto& props = m_extra->m_props;
  props.erase(std::remove_if(props.begin(), props.end(),
                             [key](const std::pair<RpProp, RpPropValue>& p) { return p.first == key; }),
              props.end());
}

namespace {
template <class V>
V GetAs(const RpPropValue* v) {
  if (v) {
    if (const V* p = std::get_if<V>(v)) return *p;
  }
  return V{};
}
}  // namespace

VXString ARpObject::GetString(RpProp key) const { return GetAs<VXString>(FindProperty(key)); }
bool ARpObject::GetBool(RpProp key) const { return GetAs<bool>(FindProperty(key)); }
std::int64_t ARpObject::GetInt(RpProp key) const { return GetAs<std::int64_t>(FindProperty(key)); }
ByteVector ARpObject::GetBytes(RpProp key) const { return GetAs<ByteVector>(FindProperty(key)); }
VXStringVector ARpObject::GetStrings(RpProp key) const { return GetAs<VXStringVector>(FindProperty(key)); }
VoidID ARpObject::GetIDProperty(RpProp key) const { return GetAs<VoidID>(FindProperty(key)); }
Expr ARpObject::GetExprProperty(RpProp key) const { return GetAs<Expr>(FindProperty(key)); }

std::size_t ARpObject::DynamicBytes() const {
  auto strBytes = [](const VXString& s) {
    // Short strings live inside the object (three code points and the NUL).
    return s.capacity() > 3 ? (s.capacity() + 1) * sizeof(char32_t) : 0;
  };
  std::size_t n = strBytes(m_name);
  if (m_extra) {
    n += sizeof(Extra);
    n += m_extra->m_aliases.capacity() * sizeof(VXString);
    for (const VXString& a : m_extra->m_aliases) n += strBytes(a);
    if (m_extra->m_aliasSet) {
      // Nodes, buckets and the copies of the strings.
      n += m_extra->m_aliasSet->bucket_count() * sizeof(void*);
      for (const VXString& a : *m_extra->m_aliasSet) n += sizeof(VXString) + 2 * sizeof(void*) + strBytes(a);
    }
    n += m_extra->m_children.capacity() * sizeof(ARpObject*);
    n += m_extra->m_props.capacity() * sizeof(std::pair<RpProp, RpPropValue>);
  }
  return n;
}

void ARpObject::SetSingleRelated(RelID rel, int myArg, const Ref<ARpObject>& other) {
  ARpGateway* pRp = m_pRp;
  if (!pRp) return;
  std::vector<std::uint32_t> handles;
  pRp->FindTuples(m_id, rel, 1u << myArg, handles);
  // Setting the link it already has leaves the tuple, and so its place in
  // the other object's order, alone.
  if (handles.size() == 1 && !other.IsNull()) {
    const ARpGateway::RelTuple* t = pRp->GetTuple(handles[0]);
    if (t && t->m_args.size() == 2 && t->m_args[static_cast<std::size_t>(1 - myArg)] == other.GetID()) return;
  }
  for (std::uint32_t h : handles) pRp->EraseTuple(h);
  if (other.IsNull()) return;
  VoidIDVector args(2);
  args[static_cast<std::size_t>(myArg)] = m_id;
  args[static_cast<std::size_t>(1 - myArg)] = other.GetID();
  pRp->InsertTuple(rel, args);
}

void ARpObject::SetParentLink(const Ref<ARpObject>& newParent) {
  if (!m_pRp) return;
  ARpObject* p = newParent.Get();
  if (!p && !newParent.GetID().IsNull()) {
    VXAssert::handleLogicError("server/objectmodel/RpObject.cpp", __LINE__, "new parent does not resolve");
  }
  m_pRp->SetObjectParent(this, p);
}
