// Where each object's page goes: the dictionary's relative path with ".html"
// for ".xml", mapped one-to-one to file names that stay apart on any file
// system: a "~" of a name is written "~~", and a sibling whose stem matches
// an earlier one's without regard to case gets "~" and its unique number.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Metadata/SMDictUtil.h"
#include "objectmodel/RpGateway.h"

namespace smutil_site {

class SitePaths {
 public:
  // Scans the repository once for colliding names. types: the types that
  // get pages (empty: all documented ones).
  SitePaths(ARpGateway* rp, const std::vector<TypeID>& types);

  // Whether obj has a page in this site: its type and the type of its
  // outermost container are documented, and its type was chosen.
  bool HasPage(const Ref<ARpObject>& obj) const;
  // Whether obj's type is documented at all (it may have a page in a site
  // written for other types).
  static bool IsDocumented(const Ref<ARpObject>& obj);
  // "Tag/stem/.../stem.html"; for an object without a page, empty.
  std::string PagePath(const Ref<ARpObject>& obj) const;
  // The same path whether or not the object's type was chosen (pictures
  // that pages of other types show live there); empty for an undocumented
  // object.
  std::string PlacePath(const Ref<ARpObject>& obj) const;
  // The page path with another extension in place of ".html" (".svg").
  static std::string Beside(const std::string& pagePath, const char* ext);

 private:
  std::string Stem(const Ref<ARpObject>& obj) const;

  std::unordered_set<TypeID> m_types;
  // Unique numbers of objects whose stem needs the suffix.
  std::unordered_set<VoidID, VoidIDHash> m_suffixed;
  mutable DictUniqueNamesCache m_cache;
};

}  // namespace smutil_site
