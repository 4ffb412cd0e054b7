#include "TypeTable.h"

#include <new>
#include <type_traits>
#include <unordered_map>

#include "objectmodel/ObjectPool.h"

namespace {

// The concrete class of a type: the interface class itself, sealed. The
// interface classes cannot be constructed from outside (ARpObject's
// constructor is protected), so only this table makes objects.
template <class T>
struct Concrete final : T {};

// A new object, in pool when there is one. Construction cannot throw, so a
// block taken from the pool is always one the object's delete gives back.
template <class T>
ARpObject* Create(ObjectPool* pool) {
  static_assert(std::is_nothrow_default_constructible_v<Concrete<T>>);
  static_assert(alignof(Concrete<T>) <= ObjectPool::kAlign);
  if (!pool) return new Concrete<T>();
  return ::new (pool->Allocate(sizeof(Concrete<T>))) Concrete<T>();
}

#define SMUTIL_RP_META(id, cls, ...) const AMetaClass g_meta_##cls(id, #cls);
SMUTIL_RP_TYPES(SMUTIL_RP_META)
#undef SMUTIL_RP_META

std::vector<RpTypeInfo> BuildTable() {
  std::vector<RpTypeInfo> rows;
#define SMUTIL_RP_ROW(id, cls, use, ...) \
  rows.push_back(                        \
      RpTypeInfo{id, &g_meta_##cls, RpTypeUse::use, &Create<cls>, sizeof(Concrete<cls>), TypeIDVector{__VA_ARGS__}});
  SMUTIL_RP_TYPES(SMUTIL_RP_ROW)
#undef SMUTIL_RP_ROW
  return rows;
}

struct TypeTable {
  std::vector<RpTypeInfo> m_rows = BuildTable();
  std::unordered_map<TypeID, std::size_t> m_index;
  TypeTable() {
    for (std::size_t i = 0; i < m_rows.size(); ++i) m_index.emplace(m_rows[i].m_typeID, i);
  }
};

const TypeTable& Table() {
  static const TypeTable table;
  return table;
}

}  // namespace

const RpTypeInfo* FindTypeInfo(TypeID typeID) {
  const TypeTable& t = Table();
  auto it = t.m_index.find(typeID);
  return it == t.m_index.end() ? nullptr : &t.m_rows[it->second];
}

const std::vector<RpTypeInfo>& AllTypeInfos() { return Table().m_rows; }

const AMetaClass* AMetaClass::FromTypeID(TypeID typeID) {
  const RpTypeInfo* info = FindTypeInfo(typeID);
  return info ? info->m_pMetaClass : nullptr;
}
