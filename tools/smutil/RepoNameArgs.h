// Qualified names typed on the command line: written text with quotes
// ("Sales"."Orders") is parsed as such; text without a double quote is cut
// at every full stop (Sales.Orders), since that is what people type.
#pragma once

#include <string>

#include "Metadata/SMUtil.h"

namespace smutil_tool {
inline QualifiedName QualifiedNameFromArgument(const std::string& text) {
  const VXString wide = ToVXString(text);
  QualifiedName q;
  if (wide.find(U'"') != VXString::npos) {
    MetadataUtil::ParseQualifiedNameString(wide, q, '.', true);
  } else {
    MetadataUtil::ConvertNameToQualifiedName(wide, q);
  }
  return q;
}
}  // namespace smutil_tool
