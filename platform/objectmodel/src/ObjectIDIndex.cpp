#include "objectmodel/ObjectIDIndex.h"

#include <algorithm>

ARpObject** ObjectIDIndex::SlotFor(const VoidID& id) {
  const std::int32_t type = id.m_interfaceTypeID;
  if (type < 0 || type >= kTableTypes) return nullptr;
  const auto t = static_cast<std::size_t>(type);
  if (t >= m_byType.size()) m_byType.resize(t + 1);
  std::unique_ptr<Numbered>& table = m_byType[t];
  if (!table) table = std::make_unique<Numbered>();
  SUHugePages::Vector<ARpObject*>& byNum = table->m_byNum;
  const std::size_t num = id.m_uniqueNum;
  if (num < byNum.size()) return &byNum[num];
  // A table may reach twice its type's count plus a margin; doubling as it
  // grows keeps a loader's run of numbers to a few moves of the table.
  const std::size_t limit = 2 * table->m_count + 1024;
  if (num >= limit) return nullptr;
  byNum.resize(std::min(std::max(num + 1, 2 * byNum.size()), limit));
  return &byNum[num];
}

bool ObjectIDIndex::InsertUnique(const VoidID& id, ARpObject* obj) {
  if (ARpObject** slot = SlotFor(id)) {
    // The number may have gone to the hash before its table reached it.
    if (*slot || (m_others.Size() && m_others.FindOne(id.Packed()))) return false;
    *slot = obj;
    ++m_byType[static_cast<std::size_t>(id.m_interfaceTypeID)]->m_count;
  } else if (!m_others.InsertUnique(id.Packed(), obj)) {
    return false;
  }
  ++m_size;
  return true;
}

bool ObjectIDIndex::Erase(const VoidID& id, ARpObject* obj) {
  if (Numbered* t = const_cast<Numbered*>(TableOf(id.m_interfaceTypeID));
      t && id.m_uniqueNum < t->m_byNum.size() && t->m_byNum[id.m_uniqueNum] == obj) {
    t->m_byNum[id.m_uniqueNum] = nullptr;
    --t->m_count;
    --m_size;
    return true;
  }
  if (!m_others.Erase(id.Packed(), obj)) return false;
  --m_size;
  return true;
}

void ObjectIDIndex::Prefetch(const VoidID& id) const {
  if (const Numbered* t = TableOf(id.m_interfaceTypeID); t && id.m_uniqueNum < t->m_byNum.size()) {
    __builtin_prefetch(t->m_byNum.data() + id.m_uniqueNum);
  } else {
    m_others.Prefetch(id.Packed());
  }
}

void ObjectIDIndex::GetAll(std::vector<ARpObject*>& out) const {
  out.reserve(out.size() + m_size);
  for (const std::unique_ptr<Numbered>& t : m_byType) {
    if (!t) continue;
    for (ARpObject* p : t->m_byNum) {
      if (p) out.push_back(p);
    }
  }
  m_others.GetAll(out);
}
