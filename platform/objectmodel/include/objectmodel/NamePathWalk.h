// NamePathWalk: the objects a written name reaches from the top of the
// repository, found one index probe per level instead of by generating the
// name of every object that bears the last one. The gateway's lookup hints
// and the library's lookup by qualified name both walk with it.
//
//   NamePathWalk::Scratch scratch;
//   NamePathWalk::Walk(names, rp.HasEmptyNamedObjects(), scratch,
//       [&](const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) {
//         rp.FindChildrenByExactName(parent, name, out);
//       },
//       [&](const ARpObject* parent, ARpObject* found) { hits.push_back(found); return true; });
#pragma once

#include <cstddef>
#include <type_traits>
#include <vector>

#include "objectmodel/RpObject.h"

namespace NamePathWalk {
struct Step {
  const ARpObject* m_parent;  // null: the top level
  std::size_t m_matched;      // named levels matched down to m_parent
};

// The walk's working lists, which a caller may keep between walks.
struct Scratch {
  std::vector<Step> pending;
  std::vector<ARpObject*> children;
};

// Names are the named levels of a written name, top first, none empty
// (accordion levels have no object); a container of VXString or of pointers
// to them. An object's chain of parents must bear them in order, where an
// object with an empty name drops out: below it the same name is looked for
// again, so with bEmptyLevels (the repository holds such objects) each level
// also descends into the children with an empty name.
//
// findChildren(parent, name, out) appends the children of parent (null: the
// top level) that bear name, as the caller matches names. onFound(parent,
// object) is called for each object bearing the last name, and
// onLastLevel(parent) once for each parent searched for it, before its
// empty-named children are; either returns false to stop the walk. Objects
// come in the order of a depth-first walk that takes each level's matches
// from the last to the first. Returns false when stopped.
template <class Names, class FindChildren, class OnFound, class OnLastLevel>
bool Walk(const Names& names, bool bEmptyLevels, Scratch& scratch, FindChildren findChildren, OnFound onFound,
          OnLastLevel onLastLevel) {
  static const VXString kEmpty;
  const auto nameAt = [&](std::size_t i) -> const VXString& {
    if constexpr (std::is_pointer_v<typename Names::value_type>) {
      return *names[i];
    } else {
      return names[i];
    }
  };
  std::vector<Step>& pending = scratch.pending;
  std::vector<ARpObject*>& children = scratch.children;
  pending.assign(1, Step{nullptr, 0});
  while (!pending.empty()) {
    const Step step = pending.back();
    pending.pop_back();
    const bool bLast = step.m_matched + 1 == names.size();
    children.clear();
    findChildren(step.m_parent, nameAt(step.m_matched), children);
    for (ARpObject* child : children) {
      if (!bLast) {
        pending.push_back(Step{child, step.m_matched + 1});
      } else if (!onFound(step.m_parent, child)) {
        return false;
      }
    }
    if (bLast && !onLastLevel(step.m_parent)) return false;
    if (!bEmptyLevels) continue;
    children.clear();
    findChildren(step.m_parent, kEmpty, children);
    for (ARpObject* child : children) pending.push_back(Step{child, step.m_matched});
  }
  return true;
}

// Walk without a last-level callback.
template <class Names, class FindChildren, class OnFound>
bool Walk(const Names& names, bool bEmptyLevels, Scratch& scratch, FindChildren findChildren, OnFound onFound) {
  return Walk(names, bEmptyLevels, scratch, findChildren, onFound, [](const ARpObject*) { return true; });
}
}  // namespace NamePathWalk
