// Qualified names typed on the command line, read as the library reads
// typed names (Metadata/SMNameText.h): "Sales DW".SALESDB is two segments,
// "Sales".."Orders" three (the middle one empty).
#pragma once

#include <string>
#include <vector>

#include "Metadata/SMNameText.h"
#include "Metadata/SMUtil.h"

namespace smutil_tool {
inline QualifiedName QualifiedNameFromArgument(const std::string& text) {
  return QualifiedNameFromText(ToVXString(text));
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
