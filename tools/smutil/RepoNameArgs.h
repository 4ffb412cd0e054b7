// Qualified names typed on the command line: segments separated by full
// stops, each either written in double quotes ("Sales DW", a doubled quote
// standing for one, full stops kept) or bare (SALESDB), freely mixed:
// "Sales DW".SALESDB is two segments, "Sales".."Orders" three (the middle
// one empty). Text that does not read this way (an unclosed quote, text
// right after a closing quote) is cut at every full stop as the library's
// ConvertNameToQualifiedName does.
#pragma once

#include <string>
#include <vector>

#include "Metadata/SMUtil.h"

namespace smutil_tool {
inline QualifiedName QualifiedNameFromArgument(const std::string& text) {
  const VXString wide = ToVXString(text);
  QualifiedName q;
  if (wide.find(U'"') == VXString::npos) {
    MetadataUtil::ConvertNameToQualifiedName(wide, q);
    return q;
  }
  std::size_t i = 0;
  while (true) {
    VXString segment;
    if (i < wide.size() && wide[i] == U'"') {
      bool bClosed = false;
      for (++i; i < wide.size(); ++i) {
        if (wide[i] != U'"') {
          segment.push_back(wide[i]);
        } else if (i + 1 < wide.size() && wide[i + 1] == U'"') {
          segment.push_back(U'"');
          ++i;
        } else {
          bClosed = true;
          ++i;
          break;
        }
      }
      if (!bClosed || (i < wide.size() && wide[i] != U'.')) {
        q.clear();
        MetadataUtil::ConvertNameToQualifiedName(wide, q);
        return q;
      }
    } else {
      for (; i < wide.size() && wide[i] != U'.'; ++i) segment.push_back(wide[i]);
    }
    q.push_back(segment);
    if (i >= wide.size()) return q;
    ++i;  // the full stop
  }
}

// The QNAME words of a command: one word is a written qualified name, several
// are the segments themselves.
inline QualifiedName QualifiedNameFromWords(const std::vector<std::string>& words) {
  if (words.size() == 1) return QualifiedNameFromArgument(words[0]);
  QualifiedName q;
  for (const std::string& w : words) q.push_back(ToVXString(w));
  return q;
}
}  // namespace smutil_tool
