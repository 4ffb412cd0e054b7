#include "SitePaths.h"

#include <map>

#include "Utility/VXString.h"

namespace smutil_site {

namespace {

Ref<ARpObject> Outermost(Ref<ARpObject> obj) {
  for (Ref<ARpObject> parent = obj->GetParentObject(); !parent.IsNull(); parent = parent->GetParentObject()) {
    obj = parent;
  }
  return obj;
}

}  // namespace

namespace {
// A stem as a file name: "~" written twice, so that a single "~" is only
// ever the collision suffix and the mapping stays one-to-one.
std::string EscapedStem(const VXString& normalized) {
  std::string out;
  for (const char c : ToNarrow(normalized)) {
    out += c;
    if (c == '~') out += '~';
  }
  return out;
}

// The stem as a case-insensitive file system sees it (stems are ASCII:
// the normalised name writes every other character as digits).
std::string Folded(std::string stem) {
  for (char& c : stem) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return stem;
}
}  // namespace

SitePaths::SitePaths(ARpGateway* rp, const std::vector<TypeID>& types) : m_types(types.begin(), types.end()) {
  // Paths collide only between siblings (or between roots of one tag), so
  // one pass over each object's children finds every collision; stems that
  // differ only in case collide too, as they would on a file system that
  // ignores case. The first object of a name keeps it.
  std::unordered_set<std::string> rootStems;
  std::unordered_set<std::string> stems;
  VoidIDVector ids;
  for (TypeID type : rp->GetKnownTypes()) {
    ids.clear();
    rp->GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      Ref<ARpObject> obj = rp->GetObject(id);
      if (obj.IsNull()) continue;
      if (obj->GetParentPointer() == nullptr && IsDocumented(obj)) {
        const std::string key = ToNarrow(MetadataDictUtil::GetTagName(obj)) + "/" +
                                Folded(EscapedStem(MetadataDictUtil::GetDictNormalizedName(obj, m_cache)));
        if (!rootStems.insert(key).second) m_suffixed.insert(id);
      }
      const ChildPointers children = obj->GetChildPointers();
      if (children.size() < 2) continue;
      stems.clear();
      for (ARpObject* child : children) {
        const Ref<ARpObject> c(child);
        if (!IsDocumented(c)) continue;
        if (!stems.insert(Folded(EscapedStem(MetadataDictUtil::GetDictNormalizedName(c, m_cache)))).second) {
          m_suffixed.insert(c.GetID());
        }
      }
    }
  }
}

bool SitePaths::IsDocumented(const Ref<ARpObject>& obj) {
  return !obj.IsNull() && !MetadataDictUtil::GetShortTypeName(obj).empty();
}

bool SitePaths::HasPage(const Ref<ARpObject>& obj) const {
  if (!IsDocumented(obj) || !IsDocumented(Outermost(obj))) return false;
  return m_types.empty() || m_types.count(obj->GetTypeID()) != 0;
}

std::string SitePaths::Stem(const Ref<ARpObject>& obj) const {
  std::string stem = EscapedStem(MetadataDictUtil::GetDictNormalizedName(obj, m_cache));
  if (m_suffixed.count(obj.GetID())) stem += "~" + std::to_string(obj.GetID().m_uniqueNum);
  return stem;
}

std::string SitePaths::PagePath(const Ref<ARpObject>& obj) const {
  return HasPage(obj) ? PlacePath(obj) : std::string();
}

std::string SitePaths::PlacePath(const Ref<ARpObject>& obj) const {
  if (!IsDocumented(obj) || !IsDocumented(Outermost(obj))) return std::string();
  // The dictionary's path (tag of the outermost container, then each
  // container's stem), with the collision suffixes.
  std::string path = Stem(obj) + ".html";
  Ref<ARpObject> top = obj;
  for (Ref<ARpObject> parent = obj->GetParentObject(); !parent.IsNull(); parent = parent->GetParentObject()) {
    path = Stem(parent) + "/" + path;
    top = parent;
  }
  return ToNarrow(MetadataDictUtil::GetTagName(top)) + "/" + path;
}

std::string SitePaths::Beside(const std::string& pagePath, const char* ext) {
  return pagePath.substr(0, pagePath.size() - 5) + ext;
}

}  // namespace smutil_site
