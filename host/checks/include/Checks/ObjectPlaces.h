// Where each object of a repository file stands in its text: the lines and
// columns of its <object> element, from the first "<" to the end of its
// end tag, for tools that point at a finding in the file.
//
//   ObjectPlaces places(text);       // text: the bytes the repository was loaded from
//   if (const ObjectPlace* p = places.Find(obj->GetID())) ... p->startLine ...
//
// The text is split as RpFileDigest::Splitter reads it, the layout the
// tool writes. A text it cannot split (a comment, a CDATA section, a
// document type declaration) keeps the places found before that point, and
// WhyIncomplete() says what stopped it. Lines and columns start at 1;
// columns count Unicode code points; the end column is the one after the
// element's last character. A line ends at LF, CR LF or CR.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Utility/VoidID.h"

struct ObjectPlace {
  std::uint32_t startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
};

class ObjectPlaces {
 public:
  explicit ObjectPlaces(std::string_view text);
  // The place of the object, or null when the text did not show it.
  const ObjectPlace* Find(const VoidID& id) const;
  const std::string& WhyIncomplete() const { return m_whyIncomplete; }

 private:
  std::vector<std::pair<VoidID, ObjectPlace>> m_places;  // sorted by id
  std::string m_whyIncomplete;
};
