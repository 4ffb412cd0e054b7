#include "Metadata/SMEverydayTypeNames.h"

#include "objectmodel/TypeIDs.h"

const std::vector<EverydayTypeName>& EverydayTypeNames() {
  static const std::vector<EverydayTypeName> names = {
      {"BUSINESS MODEL", kTIDASubjectArea},
      {"PHYSICAL TABLE", kTIDATable},
      {"PHYSICAL COLUMN", kTIDAColumn},
      {"LOGICAL COLUMN", kTIDAAttribute},
      {"PRESENTATION SUBJECT AREA", kTIDACatalogFolder},
      {"PRESENTATION TABLE", kTIDAEntityFolder},
      {"PRESENTATION COLUMN", kTIDAFolderAttr},
  };
  return names;
}
