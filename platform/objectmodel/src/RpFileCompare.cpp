// Comparing two repositories object by object: what a saved and reloaded
// repository must keep.
#include <algorithm>
#include <sstream>

#include "Expr/ToStringVisitor.h"
#include "objectmodel/RpFile.h"

namespace {

std::string IdText(const VoidID& id) { return ToNarrow(id.ToString()); }

// The tuples an object sees at its relations' sorted argument, in order, as
// text; and all tuples it takes part in, sorted, for the set comparison.
void TupleViews(ARpGateway& rp, const VoidID& id, std::vector<std::string>& sortedView, std::vector<std::string>& all) {
  std::vector<std::uint32_t> handles;
  rp.FindTuplesOf(id, handles);
  for (std::uint32_t h : handles) {
    const ARpGateway::RelTuple* t = rp.GetTuple(h);
    if (!t) continue;
    std::string text = std::to_string(t->m_rel.m_systemID) + "(";
    for (std::size_t i = 0; i < t->m_args.size(); ++i) text += (i ? " " : "") + IdText(t->m_args[i]);
    text += ")";
    const RpRel::RelationInfo* info = RpRel::GetRelationInfo(t->m_rel);
    const std::size_t sorted = info ? static_cast<std::size_t>(info->m_sortedArg) : 0;
    if (sorted < t->m_args.size() && t->m_args[sorted] == id) sortedView.push_back(text);
    all.push_back(std::move(text));
  }
  std::sort(all.begin(), all.end());
}

}  // namespace

namespace RpFile {

bool FindFirstDifference(ARpGateway& a, ARpGateway& b, std::string& difference) {
  auto differ = [&](std::string what) {
    difference = std::move(what);
    return true;
  };
  if (a.GetLogicalName() != b.GetLogicalName()) return differ("logical names differ");
  if (a.GetDataBlobs() != b.GetDataBlobs()) return differ("data blobs differ");
  if (a.GetObjectCount() != b.GetObjectCount()) {
    return differ("object counts differ: " + std::to_string(a.GetObjectCount()) + " and " +
                  std::to_string(b.GetObjectCount()));
  }
  if (a.GetKnownTypes() != b.GetKnownTypes()) return differ("the types (or their order of first creation) differ");
  for (TypeID t : a.GetKnownTypes()) {
    VoidIDVector ia, ib;
    a.GetObjectIDsOfType(t, ia);
    b.GetObjectIDsOfType(t, ib);
    if (ia != ib) return differ("the objects of type " + std::to_string(t) + " (or their order) differ");
    for (const VoidID& id : ia) {
      const ARpObject* oa = a.GetObject(id).Get();
      const ARpObject* ob = b.GetObject(id).Get();
      const std::string where = "object " + IdText(id) + ": ";
      if (!oa || !ob) return differ(where + "missing on one side");
      if (oa->GetName() != ob->GetName()) return differ(where + "names differ");
      const ARpObject* pa = oa->GetParentPointer();
      const ARpObject* pb = ob->GetParentPointer();
      if ((pa ? pa->GetID() : VoidID::NullID) != (pb ? pb->GetID() : VoidID::NullID)) {
        return differ(where + "parents differ");
      }
      if (oa->GetAliasList() != ob->GetAliasList()) return differ(where + "aliases differ");
      const ChildPointers ca = oa->GetChildPointers();
      const ChildPointers cb = ob->GetChildPointers();
      const std::vector<ARpObject*> ka(ca.begin(), ca.end()), kb(cb.begin(), cb.end());
      if (ka.size() != kb.size()) return differ(where + "numbers of children differ");
      for (std::size_t i = 0; i < ka.size(); ++i) {
        if (ka[i]->GetID() != kb[i]->GetID()) return differ(where + "children differ (or their order)");
      }
      for (std::size_t k = 0; k < static_cast<std::size_t>(RpProp::kCount); ++k) {
        const RpPropValue* va = oa->FindProperty(static_cast<RpProp>(k));
        const RpPropValue* vb = ob->FindProperty(static_cast<RpProp>(k));
        if (!va != !vb || (va && !SamePropValue(*va, *vb))) {
          return differ(where + "property " + RpPropName(static_cast<RpProp>(k)) + " differs");
        }
      }
      std::vector<std::string> sa, sb, aa, ab;
      TupleViews(a, id, sa, aa);
      TupleViews(b, id, sb, ab);
      if (aa != ab) return differ(where + "relation tuples differ");
      if (sa != sb) return differ(where + "the order of its sorted relation tuples differs");
    }
  }
  difference.clear();
  return false;
}

}  // namespace RpFile
