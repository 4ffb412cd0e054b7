// The scope of an incremental check: what changed since an earlier copy of
// the repository, and what a change can make wrong elsewhere.
#include <algorithm>
#include <memory>
#include <utility>

#include "ChecksInternal.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpFileDigest.h"

namespace {

using IDSet = std::unordered_set<VoidID, VoidIDHash>;

VoidID ParentID(const ARpObject& obj) {
  const ARpObject* parent = obj.GetParentPointer();
  return parent ? parent->GetID() : VoidID::NullID;
}

// The object's relation tuples as (relation, arguments): by relation, and
// within one relation in the object's order (a repository file groups the
// tuples by relation, so the order across relations is not kept). The
// arguments stay in the gateway; the buffers are reused from object to
// object, since nearly every object of a large repository is compared.
using TupleView = std::vector<std::pair<int, const VoidIDVector*>>;

void TuplesOf(ARpGateway& rp, const VoidID& id, std::vector<std::uint32_t>& handles, TupleView& tuples) {
  handles.clear();
  tuples.clear();
  rp.FindTuplesOf(id, handles);
  for (std::uint32_t h : handles) {
    if (const ARpGateway::RelTuple* t = rp.GetTuple(h)) {
      tuples.emplace_back(t->m_rel.GetInternalSystemRelationshipID(), &t->m_args);
    }
  }
  std::stable_sort(tuples.begin(), tuples.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

bool SameTuples(const TupleView& a, const TupleView& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.first == y.first && *x.second == *y.second; });
}

struct TupleBuffers {
  std::vector<std::uint32_t> handles;
  TupleView now;
  TupleView before;
};

bool Differs(ARpGateway& rp, const ARpObject& now, ARpGateway& earlier, const ARpObject& before, TupleBuffers& buf) {
  if (now.GetName() != before.GetName() || ParentID(now) != ParentID(before) ||
      now.GetAliasList() != before.GetAliasList()) {
    return true;
  }
  for (std::uint16_t k = 0; k < static_cast<std::uint16_t>(RpProp::kCount); ++k) {
    const RpPropValue* a = now.FindProperty(static_cast<RpProp>(k));
    const RpPropValue* b = before.FindProperty(static_cast<RpProp>(k));
    if (!a || !b) {
      if (a != b) return true;
    } else if (!SamePropValue(*a, *b)) {
      return true;
    }
  }
  TuplesOf(rp, now.GetID(), buf.handles, buf.now);
  TuplesOf(earlier, before.GetID(), buf.handles, buf.before);
  return !SameTuples(buf.now, buf.before);
}

// The ids an object names outside its relations: in its expressions, its
// source mapping and its object-valued properties.
void AppendNamedIDs(const ARpObject& obj, VoidIDVector& ids) {
  for (RpProp key : {RpProp::kExpr, RpProp::kHideObjectExpr, RpProp::kAggrExpr, RpProp::kJoinExpr}) {
    if (const RpPropValue* v = obj.FindProperty(key)) {
      if (const Expr* e = std::get_if<Expr>(v)) e->GetObjectIDsInExpr(ids, false);
    }
  }
  for (RpProp key : {RpProp::kDimensionToCache, RpProp::kLevelKey, RpProp::kSubjectArea}) {
    if (const RpPropValue* v = obj.FindProperty(key)) {
      if (const VoidID* id = std::get_if<VoidID>(v)) ids.push_back(*id);
    }
  }
  if (const RpPropValue* v = obj.FindProperty(RpProp::kSourceDefinition)) {
    if (const auto* src = std::get_if<std::shared_ptr<const RpSourceDefinition>>(v); src && *src) {
      for (const auto& [logical, physical] : (*src)->m_logicalToPhysical) {
        logical.GetObjectIDsInExpr(ids, false);
        physical.GetObjectIDsInExpr(ids, false);
      }
      ids.insert(ids.end(), (*src)->m_physicalTables.begin(), (*src)->m_physicalTables.end());
      (*src)->m_whereClause.GetObjectIDsInExpr(ids, false);
    }
  }
}

void AddDescendants(const ARpObject& obj, IDSet& scope) {
  for (ARpObject* child : obj.GetChildPointers()) {
    scope.insert(child->GetID());
    AddDescendants(*child, scope);
  }
}

}  // namespace

std::unordered_set<VoidID, VoidIDHash> ChangedObjectIDs(ARpGateway& rp, ARpGateway& earlier) {
  IDSet changed;
  VoidIDVector ids;
  TupleBuffers buf;
  for (TypeID type : rp.GetKnownTypes()) {
    ids.clear();
    rp.GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      const Ref<ARpObject> now = rp.GetObject(id);
      const Ref<ARpObject> before = earlier.GetObject(id);
      if (before.IsNull() || Differs(rp, *now, earlier, *before, buf)) changed.insert(id);
    }
  }
  for (TypeID type : earlier.GetKnownTypes()) {
    ids.clear();
    earlier.GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      if (rp.GetObject(id).IsNull()) changed.insert(id);
    }
  }
  return changed;
}

std::unordered_set<VoidID, VoidIDHash> ScopeOfChangedObjects(ARpGateway& rp,
                                                             const std::unordered_set<VoidID, VoidIDHash>& changed) {
  IDSet scope;
  TupleBuffers buf;
  for (const VoidID& id : changed) {
    const Ref<ARpObject> obj = rp.GetObject(id);
    if (obj.IsNull()) continue;
    scope.insert(id);
    AddDescendants(*obj, scope);
    for (const Ref<ARpObject>& sibling : checks_detail::SameNamedSiblings(obj)) scope.insert(sibling.GetID());
    // Related objects on either side: a key whose column changed, a join
    // whose table was renamed.
    TuplesOf(rp, id, buf.handles, buf.now);
    for (const auto& [rel, args] : buf.now) scope.insert(args->begin(), args->end());
  }
  if (changed.empty()) return scope;
  // One pass over the repository for the objects whose expressions or
  // mappings name a changed or deleted object.
  VoidIDVector ids;
  VoidIDVector named;
  for (TypeID type : rp.GetKnownTypes()) {
    ids.clear();
    rp.GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      const Ref<ARpObject> obj = rp.GetObject(id);
      named.clear();
      AppendNamedIDs(*obj, named);
      for (const VoidID& n : named) {
        if (changed.contains(n)) {
          scope.insert(id);
          break;
        }
      }
    }
  }
  return scope;
}

std::unordered_set<VoidID, VoidIDHash> ChangedObjectScope(ARpGateway& rp, ARpGateway& earlier) {
  return ScopeOfChangedObjects(rp, ChangedObjectIDs(rp, earlier));
}

ChangedScopeFromText ChangedObjectScope(ARpGateway& rp, std::string_view nowText, std::string_view earlierText,
                                        const std::string& earlierName) {
  ChangedScopeFromText out;
  RpFileDigest::TextComparison compared = RpFileDigest::CompareTexts(nowText, earlierText);
  if (compared.bCompared) {
    out.bComparedAsText = true;
    out.scope = ScopeOfChangedObjects(rp, IDSet(compared.changed.begin(), compared.changed.end()));
    return out;
  }
  out.whyLoaded = std::move(compared.whyNot);
  const std::unique_ptr<ARpGateway> earlier =
      RpFile::LoadFromMemory(earlierText.data(), earlierText.size(), earlierName);
  out.scope = ChangedObjectScope(rp, *earlier);
  return out;
}
