#include "RpFileBuild.h"

#include <algorithm>
#include <string>

#include "objectmodel/ObjectParent.h"

namespace RpFileLoad {

namespace {

std::string IDText(const VoidID& id) { return ToNarrow(id.ToString()); }

std::string ClassName(TypeID type) {
  const AMetaClass* meta = AMetaClass::FromTypeID(type);
  return meta ? meta->GetClassName() : "?";
}

// Whether a type may live under another; the parent types of the type
// asked last are kept at hand, since siblings come in runs.
class ParentRule {
 public:
  bool Allows(TypeID child, TypeID parent) {
    if (!m_allowed || m_child != child) {
      m_child = child;
      m_allowed = &GetParentTypeIDs(child);
    }
    return std::find(m_allowed->begin(), m_allowed->end(), parent) != m_allowed->end();
  }

 private:
  TypeID m_child = 0;
  const TypeIDVector* m_allowed = nullptr;
};

}  // namespace

// ---- ids ----------------------------------------------------------------------

Builder::IDIndex::PerType* Builder::IDIndex::TypeOf(TypeID type) {
  return const_cast<PerType*>(static_cast<const IDIndex*>(this)->TypeOf(type));
}

const Builder::IDIndex::PerType* Builder::IDIndex::TypeOf(TypeID type) const {
  // A file names a few dozen types, in runs.
  if (m_last < m_types.size() && m_types[m_last].type == type) return &m_types[m_last];
  for (std::size_t i = 0; i < m_types.size(); ++i) {
    if (m_types[i].type == type) {
      m_last = i;
      return &m_types[i];
    }
  }
  return nullptr;
}

template <class OnDuplicate>
void Builder::IDIndex::Fill(const SUHugePages::Vector<Records::Object>& objects, OnDuplicate onDuplicate) {
  for (const Records::Object& o : objects) {
    PerType* t = TypeOf(o.id.m_interfaceTypeID);
    if (!t) {
      m_types.emplace_back();
      m_types.back().type = o.id.m_interfaceTypeID;
      m_last = m_types.size() - 1;
      t = &m_types.back();
    }
    ++t->count;
    t->maxNumber = std::max(t->maxNumber, o.id.m_uniqueNum);
  }
  // A table by number costs four bytes a number; past a few times the
  // type's count the numbers are too sparse for one.
  for (PerType& t : m_types) {
    if (t.maxNumber / 4 < t.count + 1024) t.dense.assign(std::size_t{t.maxNumber} + 1, kNone);
  }
  for (std::uint32_t i = 0; i < objects.size(); ++i) {
    const VoidID& id = objects[i].id;
    PerType& t = *TypeOf(id.m_interfaceTypeID);
    bool bTaken;
    if (!t.dense.empty()) {
      std::uint32_t& slot = t.dense[id.m_uniqueNum];
      bTaken = slot != kNone;
      if (!bTaken) slot = i;
    } else {
      bTaken = !t.sparse.emplace(id.m_uniqueNum, i).second;
    }
    if (bTaken) onDuplicate(i);
  }
}

std::uint32_t Builder::IDIndex::Find(const VoidID& id) const {
  const PerType* t = TypeOf(id.m_interfaceTypeID);
  if (!t) return kNone;
  if (!t->dense.empty()) return id.m_uniqueNum < t->dense.size() ? t->dense[id.m_uniqueNum] : kNone;
  auto it = t->sparse.find(id.m_uniqueNum);
  return it == t->sparse.end() ? kNone : it->second;
}

// ---- checks ---------------------------------------------------------------------

void Builder::Check(bool bComplete, EarliestFault& faults) {
  const SUHugePages::Vector<Records::Object>& objects = m_records.objects;
  m_index.Fill(objects, [&](std::uint32_t i) {
    if (m_duplicate.empty()) m_duplicate.resize(objects.size());
    m_duplicate[i] = true;
    faults.Offer(objects[i].at, "duplicate object id '" + IDText(objects[i].id) + "'");
  });
  CheckParents(bComplete, faults);
  // Only a parent listed at or after its child can close a cycle.
  if (m_bForward) CheckCycles(faults);
  if (bComplete) {
    OrderChildren(faults);
    CheckTuples(faults);
  }
  CheckAliases(faults);
}

void Builder::CheckParents(bool bComplete, EarliestFault& faults) {
  const SUHugePages::Vector<Records::Object>& objects = m_records.objects;
  m_parent.assign(objects.size(), kNone);
  ParentRule rule;
  // Siblings come in runs: their parent is looked up once a run.
  VoidID lastID;
  std::uint32_t last = kNone;
  for (std::uint32_t i = 0; i < objects.size(); ++i) {
    const Records::Object& o = objects[i];
    if (o.parent.IsNull() || (!m_duplicate.empty() && m_duplicate[i])) continue;
    m_bPlaced = m_bPlaced || o.pos != Records::kNoPos;
    if (last == kNone || o.parent != lastID) {
      lastID = o.parent;
      last = m_index.Find(o.parent);
    }
    if (last == kNone) {
      if (bComplete) {
        faults.Offer(o.at,
                     "dangling reference: parent " + IDText(o.parent) + " of " + IDText(o.id) + " is not in the file");
      }
      continue;
    }
    const TypeID parentType = objects[last].id.m_interfaceTypeID;
    if (!rule.Allows(o.id.m_interfaceTypeID, parentType)) {
      faults.Offer(o.at, "an object of type " + std::to_string(o.id.m_interfaceTypeID) + " (" +
                             ClassName(o.id.m_interfaceTypeID) + ") cannot live under " + IDText(o.parent) + " (" +
                             ClassName(parentType) + ")");
      continue;
    }
    m_parent[i] = last;
    m_bForward = m_bForward || last >= i;
  }
}

void Builder::CheckCycles(EarliestFault& faults) {
  // Each object is walked up from once: a walk stops at an object an
  // earlier walk passed, and meets itself only around a cycle. Read in
  // file order, a cycle closes at its last link in the file.
  const SUHugePages::Vector<Records::Object>& objects = m_records.objects;
  constexpr std::uint32_t kUnseen = 0;
  SUHugePages::Vector<std::uint32_t> walk(objects.size(), kUnseen);
  for (std::uint32_t start = 0; start < objects.size(); ++start) {
    if (walk[start] != kUnseen) continue;
    const std::uint32_t mark = start + 1;
    std::uint32_t j = start;
    while (j != kNone && walk[j] == kUnseen) {
      walk[j] = mark;
      j = m_parent[j];
    }
    if (j == kNone || walk[j] != mark) continue;
    std::uint32_t closing = j;
    for (std::uint32_t k = m_parent[j]; k != j; k = m_parent[k]) closing = std::max(closing, k);
    const Records::Object& o = objects[closing];
    faults.Offer(o.at, "parent " + IDText(o.parent) + " of " + IDText(o.id) +
                           " is one of its own descendants (a cycle of parents)");
    m_parent[closing] = kNone;
  }
}

void Builder::CheckTuples(EarliestFault& faults) {
  // Tuples are in file order: the first with an argument missing is the
  // earliest.
  for (std::size_t t = 0; t < m_records.tuples.size(); ++t) {
    for (const VoidID& a : m_records.tuples[t].m_args) {
      if (m_index.Find(a) == kNone) {
        faults.Offer(m_records.tupleAt[t], "dangling reference: tuple argument " + IDText(a) + " is not in the file");
        return;
      }
    }
  }
}

void Builder::CheckAliases(EarliestFault& faults) {
  // An object's aliases are listed together; the second of two equal ones
  // is the fault. A few are compared in place, many are sorted.
  const std::vector<Records::Alias>& aliases = m_records.aliases;
  constexpr std::size_t kCompareLimit = 16;
  std::vector<std::uint32_t> order;
  for (std::size_t i = 0; i < aliases.size();) {
    std::size_t end = i + 1;
    while (end < aliases.size() && aliases[end].object == aliases[i].object) ++end;
    std::size_t repeat = end;
    if (end - i <= kCompareLimit) {
      for (std::size_t k = i + 1; k < end && repeat == end; ++k) {
        for (std::size_t m = i; m < k; ++m) {
          if (aliases[m].text == aliases[k].text) {
            repeat = k;
            break;
          }
        }
      }
    } else {
      order.resize(end - i);
      for (std::size_t k = 0; k < order.size(); ++k) order[k] = static_cast<std::uint32_t>(i + k);
      std::stable_sort(order.begin(), order.end(),
                       [&](std::uint32_t a, std::uint32_t b) { return aliases[a].text < aliases[b].text; });
      for (std::size_t k = 1; k < order.size(); ++k) {
        if (aliases[order[k]].text == aliases[order[k - 1]].text) repeat = std::min<std::size_t>(repeat, order[k]);
      }
    }
    if (repeat != end) {
      faults.Offer(aliases[repeat].at, "alias '" + ToNarrow(aliases[repeat].text) + "' is empty or given twice");
    }
    i = end;
  }
}

// ---- build ---------------------------------------------------------------------

void Builder::OrderChildren(EarliestFault& faults) {
  // A stable counting sort by parent keeps the file's order among each
  // parent's children. A parent whose children carry places must give each
  // one, 0 to n-1, and they are put in that order.
  const SUHugePages::Vector<Records::Object>& objects = m_records.objects;
  SUHugePages::Vector<std::uint32_t> start(objects.size() + 1, 0);
  for (std::uint32_t p : m_parent) {
    if (p != kNone) ++start[p + 1];
  }
  for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  SUHugePages::Vector<std::uint32_t>& order = m_children;
  order.resize(start.back());
  for (std::uint32_t i = 0; i < objects.size(); ++i) {
    if (m_parent[i] != kNone) order[start[m_parent[i]]++] = i;
  }
  if (!m_bPlaced) return;
  // Each start has moved on to the next parent's: a group runs from the
  // end of the one before.
  std::uint32_t first = 0;
  for (std::size_t p = 0; p < objects.size(); first = start[p], ++p) {
    const auto begin = order.begin() + first;
    const auto end = order.begin() + start[p];
    const auto hasPos = [&](std::uint32_t c) { return objects[c].pos != Records::kNoPos; };
    if (std::none_of(begin, end, hasPos)) continue;
    // Placed children first, by place, then the others in file order.
    std::stable_sort(begin, end, [&](std::uint32_t a, std::uint32_t b) {
      if (hasPos(a) != hasPos(b)) return hasPos(a);
      return hasPos(a) && objects[a].pos < objects[b].pos;
    });
    const std::string parent = IDText(objects[p].id);
    auto placedEnd = std::find_if_not(begin, end, hasPos);
    bool bGap = false;
    for (auto it = begin; it != placedEnd && !bGap; ++it) {
      const std::int64_t expected = it - begin;
      if (objects[*it].pos != expected) {
        faults.Offer(objects[*it].at, "pos " + std::to_string(objects[*it].pos) + " among the children of " + parent +
                                          " (expected " + std::to_string(expected) +
                                          ": places run 0, 1, ... without gaps or repeats)");
        bGap = true;
      }
    }
    if (!bGap && placedEnd != end) {
      faults.Offer(
          objects[*(placedEnd - 1)].at,
          "some children of " + parent + " have a pos and others not (give every child of that parent a pos, or none)");
    }
  }
}

std::unique_ptr<ARpGateway> Builder::Build() {
  Records& r = m_records;
  auto rp = std::make_unique<ARpGateway>();
  if (r.bHasLogicalName) rp->SetLogicalName(r.logicalName);
  for (Records::Blob& b : r.blobs) rp->SetDataBlob(b.number, b.bytes);
  ARpGateway::LoadBatch batch;
  batch.m_objects.reserve(r.objects.size());
  static_assert(kNone == ARpGateway::LoadBatch::kNoParent);
  for (std::size_t i = 0; i < r.objects.size(); ++i) batch.m_objects.push_back({r.objects[i].id, m_parent[i]});
  batch.m_names = std::move(r.names);
  batch.m_children = std::move(m_children);
  batch.m_aliases.reserve(r.aliases.size());
  for (Records::Alias& a : r.aliases) batch.m_aliases.push_back({a.object, std::move(a.text)});
  batch.m_tuples = std::move(r.tuples);
  const SUHugePages::Vector<ARpObject*> made = rp->Load(batch);
  for (Records::Property& p : r.properties) made[p.object]->SetProperty(p.key, std::move(p.value));
  return rp;
}

}  // namespace RpFileLoad
