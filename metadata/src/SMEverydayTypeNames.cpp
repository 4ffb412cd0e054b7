#include "Metadata/SMEverydayTypeNames.h"

#include "objectmodel/TypeIDs.h"

const std::vector<EverydayTypeName>& EverydayTypeNames() {
  static const std::vector<EverydayTypeName> names = {
      {"BUSINESS MODEL", kTIDASubjectArea, true},
      {"PHYSICAL TABLE", kTIDATable, false},
      {"PHYSICAL COLUMN", kTIDAColumn, false},
      {"LOGICAL COLUMN", kTIDAAttribute, true},
      {"PRESENTATION SUBJECT AREA", kTIDACatalogFolder, true},
      {"PRESENTATION TABLE", kTIDAEntityFolder, true},
      {"PRESENTATION COLUMN", kTIDAFolderAttr, true},
      {"LOGICAL JOIN", kTIDARelationship, true},
      {"LOGICAL DIMENSION", kTIDADimension, false},
      {"LOGICAL LEVEL", kTIDALevel, false},
      {"PHYSICAL KEY", kTIDATableKey, false},
      {"PHYSICAL FOREIGN KEY", kTIDAForeignKey, false},
      {"PHYSICAL JOIN", kTIDAComplexJoin, true},
      {"COMPLEX JOIN", kTIDAComplexJoin, false},
      {"PHYSICAL CATALOG", kTIDACatalog, false},
      {"PHYSICAL SCHEMA", kTIDASchema, false},
      {"VARIABLE", kTIDARpVariable, true},
      {"REPOSITORY VARIABLE", kTIDARpVariable, false},
      {"SESSION VARIABLE", kTIDARpVariable, false},
      {"INITIALIZATION BLOCK", kTIDAInitBlock, true},
      {"INIT BLOCK", kTIDAInitBlock, false},
  };
  return names;
}

std::string EverydayTypeLabel(TypeID type) {
  for (const EverydayTypeName& n : EverydayTypeNames()) {
    if (n.type != type || !n.shown) continue;
    std::string label = n.name;
    for (char& c : label) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return label;
  }
  return std::string();
}
