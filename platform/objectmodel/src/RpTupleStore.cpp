#include "RpTupleStore.h"

#include <algorithm>

#include "RadixSort.h"

std::uint32_t RpTupleStore::Insert(RelID rel, const VoidIDVector& args) {
  // The same tuple again is the one already there. The first argument's
  // list is found once, for this check and for the new tuple's handle.
  std::vector<std::uint32_t>& firstList = m_tuplesOf.Get(args[0]);
  for (std::uint32_t h : firstList) {
    const RelTuple& t = m_tuples[h];
    if (t.m_rel == rel && t.m_args == args) return h;
  }
  std::uint32_t h;
  if (!m_freeTuples.empty()) {
    h = m_freeTuples.back();
    m_freeTuples.pop_back();
    m_tuples[h] = RelTuple{rel, args};
  } else {
    h = static_cast<std::uint32_t>(m_tuples.size());
    m_tuples.push_back(RelTuple{rel, args});
  }
  firstList.push_back(h);
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (std::find(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(i), args[i]) !=
        args.begin() + static_cast<std::ptrdiff_t>(i)) {
      continue;  // an object twice in one tuple is listed once
    }
    m_tuplesOf.Get(args[i]).push_back(h);
  }
  return h;
}

void RpTupleStore::InsertAtOnce(std::vector<RelTuple>& tuples, std::size_t end) {
  if (end == 0) return;
  // A tuple equal to one before it is that one (Insert's rule): both list
  // the same first argument, so the tuples are sorted by it (linear), and
  // only a run that shares one is sorted further, by relation and the other
  // arguments, the first of equal tuples in file order ahead.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byFirst;
  byFirst.reserve(end);
  for (std::size_t i = 0; i < end; ++i)
    byFirst.emplace_back(tuples[i].m_args[0].Packed(), static_cast<std::uint32_t>(i));
  StableRadixSortByKey(byFirst);
  const auto before = [&](const std::pair<std::uint64_t, std::uint32_t>& a,
                          const std::pair<std::uint64_t, std::uint32_t>& b) {
    const RelTuple& x = tuples[a.second];
    const RelTuple& y = tuples[b.second];
    if (!(x.m_rel == y.m_rel)) return x.m_rel < y.m_rel;
    if (x.m_args != y.m_args) return x.m_args < y.m_args;
    return a.second < b.second;
  };
  constexpr std::size_t kLinearRun = 64;
  std::vector<std::pair<std::uint64_t, std::uint32_t>> secondKey;
  std::vector<bool> repeated(end);
  for (std::size_t run = 0; run < byFirst.size();) {
    std::size_t runEnd = run + 1;
    while (runEnd < byFirst.size() && byFirst[runEnd].first == byFirst[run].first) ++runEnd;
    if (runEnd - run > 1) {
      const auto first = byFirst.begin() + static_cast<std::ptrdiff_t>(run);
      const auto last = byFirst.begin() + static_cast<std::ptrdiff_t>(runEnd);
      // A long run (one object first in many tuples) is sorted by the second
      // argument in linear time first (every relation takes two or more), so
      // that the comparison sort only meets the few tuples sharing both.
      if (runEnd - run > kLinearRun) {
        secondKey.clear();
        for (auto it = first; it != last; ++it)
          secondKey.emplace_back(tuples[it->second].m_args[1].Packed(), it->second);
        StableRadixSortByKey(secondKey);
        for (std::size_t j = 0; j < secondKey.size(); ++j)
          first[static_cast<std::ptrdiff_t>(j)].second = secondKey[j].second;
        for (auto sub = first; sub != last;) {
          const std::uint64_t second = tuples[sub->second].m_args[1].Packed();
          auto subEnd = sub + 1;
          while (subEnd != last && tuples[subEnd->second].m_args[1].Packed() == second) ++subEnd;
          std::sort(sub, subEnd, before);
          sub = subEnd;
        }
      } else {
        std::sort(first, last, before);
      }
      for (std::size_t j = run + 1; j < runEnd; ++j) {
        const RelTuple& u = tuples[byFirst[j - 1].second];
        const RelTuple& t = tuples[byFirst[j].second];
        repeated[byFirst[j].second] = u.m_rel == t.m_rel && u.m_args == t.m_args;
      }
    }
    run = runEnd;
  }
  // Handles in order; each argument's list in handle order, an object twice
  // in one tuple listed once.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> members;
  members.reserve(2 * end);
  m_tuples.reserve(m_tuples.size() + end);
  for (std::size_t i = 0; i < end; ++i) {
    if (repeated[i]) continue;
    const auto h = static_cast<std::uint32_t>(m_tuples.size());
    m_tuples.push_back(std::move(tuples[i]));
    const VoidIDVector& args = m_tuples.back().m_args;
    for (std::size_t a = 0; a < args.size(); ++a) {
      if (std::find(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(a), args[a]) ==
          args.begin() + static_cast<std::ptrdiff_t>(a)) {
        members.emplace_back(args[a].Packed(), h);
      }
    }
  }
  // Sorted by id, each object's list is made at its full length at once.
  StableRadixSortByKey(members);
  std::size_t objects = 0;
  for (std::size_t m = 0; m < members.size(); ++m) objects += m == 0 || members[m].first != members[m - 1].first;
  m_tuplesOf.Reserve(objects);
  for (std::size_t run = 0; run < members.size();) {
    std::size_t runEnd = run + 1;
    while (runEnd < members.size() && members[runEnd].first == members[run].first) ++runEnd;
    const VoidID id(static_cast<TypeID>(members[run].first >> 32), static_cast<std::uint32_t>(members[run].first));
    std::vector<std::uint32_t>& list = m_tuplesOf.Get(id);
    list.reserve(list.size() + (runEnd - run));
    for (std::size_t m = run; m < runEnd; ++m) list.push_back(members[m].second);
    run = runEnd;
  }
}

bool RpTupleStore::Erase(std::uint32_t handle) {
  if (handle >= m_tuples.size() || m_tuples[handle].m_rel.IsNull()) return false;
  RelTuple& t = m_tuples[handle];
  for (const VoidID& a : t.m_args) {
    std::vector<std::uint32_t>* list = m_tuplesOf.Find(a);
    if (!list) continue;
    list->erase(std::remove(list->begin(), list->end(), handle), list->end());
    if (list->empty()) m_tuplesOf.Erase(a);
  }
  t.m_rel = RelID();
  t.m_args.clear();
  t.m_args.shrink_to_fit();
  m_freeTuples.push_back(handle);
  return true;
}

bool RpTupleStore::Erase(RelID rel, const VoidIDVector& args) {
  if (args.empty()) return false;
  std::vector<std::uint32_t> handles;
  Find(args[0], rel, 1u, handles);
  for (std::uint32_t h : handles) {
    if (m_tuples[h].m_args == args) return Erase(h);
  }
  return false;
}

void RpTupleStore::Find(const VoidID& anchor, RelID rel, std::uint32_t anchorArgMask,
                        std::vector<std::uint32_t>& out) const {
  const std::vector<std::uint32_t>* list = m_tuplesOf.Find(anchor);
  if (!list) return;
  for (std::uint32_t h : *list) {
    const RelTuple& t = m_tuples[h];
    if (!(t.m_rel == rel)) continue;
    for (std::size_t i = 0; i < t.m_args.size() && i < 32; ++i) {
      if ((anchorArgMask & (1u << i)) && t.m_args[i] == anchor) {
        out.push_back(h);
        break;
      }
    }
  }
}

void RpTupleStore::FindOf(const VoidID& id, std::vector<std::uint32_t>& out) const {
  if (const std::vector<std::uint32_t>* list = m_tuplesOf.Find(id)) out.insert(out.end(), list->begin(), list->end());
}

const RpTupleStore::RelTuple* RpTupleStore::Get(std::uint32_t handle) const {
  if (handle >= m_tuples.size() || m_tuples[handle].m_rel.IsNull()) return nullptr;
  return &m_tuples[handle];
}

bool RpTupleStore::Has(RelID rel, const VoidIDVector& args) const {
  auto matches = [&](const RelTuple& t) {
    if (!(t.m_rel == rel) || t.m_args.size() != args.size()) return false;
    for (std::size_t i = 0; i < args.size(); ++i) {
      if (!args[i].IsNull() && args[i] != t.m_args[i]) return false;
    }
    return true;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].IsNull()) continue;
    const std::vector<std::uint32_t>* list = m_tuplesOf.Find(args[i]);
    if (!list) return false;
    for (std::uint32_t h : *list) {
      if (matches(m_tuples[h])) return true;
    }
    return false;
  }
  for (const RelTuple& t : m_tuples) {
    if (matches(t)) return true;
  }
  return false;
}

bool RpTupleStore::MoveByHandle(std::uint32_t handle, std::ptrdiff_t delta) {
  const RelTuple* t = Get(handle);
  if (!t || delta == 0) return false;
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(t->m_rel);
  if (!info || info->m_sortedArg >= static_cast<int>(t->m_args.size())) return false;
  const VoidID owner = t->m_args[static_cast<std::size_t>(info->m_sortedArg)];
  std::vector<std::uint32_t>* found = m_tuplesOf.Find(owner);
  if (!found) return false;
  std::vector<std::uint32_t>& list = *found;
  // Positions in the owner's list of the tuples its view shows.
  std::vector<std::size_t> view;
  std::ptrdiff_t self = -1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const RelTuple& u = m_tuples[list[i]];
    if (u.m_rel == t->m_rel && u.m_args[static_cast<std::size_t>(info->m_sortedArg)] == owner) {
      if (list[i] == handle) self = static_cast<std::ptrdiff_t>(view.size());
      view.push_back(i);
    }
  }
  if (self < 0) return false;
  const std::ptrdiff_t to = std::clamp<std::ptrdiff_t>(self + delta, 0, static_cast<std::ptrdiff_t>(view.size()) - 1);
  if (to == self) return false;
  const std::size_t from = view[static_cast<std::size_t>(self)];
  const std::size_t dest = view[static_cast<std::size_t>(to)];
  if (dest < from) {
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(dest), list.begin() + static_cast<std::ptrdiff_t>(from),
                list.begin() + static_cast<std::ptrdiff_t>(from) + 1);
  } else {
    std::rotate(list.begin() + static_cast<std::ptrdiff_t>(from), list.begin() + static_cast<std::ptrdiff_t>(from) + 1,
                list.begin() + static_cast<std::ptrdiff_t>(dest) + 1);
  }
  return true;
}

bool RpTupleStore::Move(RelID rel, const VoidIDVector& args, int delta) {
  if (args.empty()) return false;
  std::vector<std::uint32_t> handles;
  Find(args[0], rel, 1u, handles);
  for (std::uint32_t h : handles) {
    if (m_tuples[h].m_args == args) return MoveByHandle(h, delta);
  }
  return false;
}

void RpTupleStore::Detach(const VoidID& id) {
  const std::vector<std::uint32_t>* list = m_tuplesOf.Find(id);
  if (!list) return;
  const std::vector<std::uint32_t> handles = *list;
  for (std::uint32_t h : handles) Erase(h);
}
