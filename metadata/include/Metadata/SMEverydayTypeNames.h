// The everyday names of the types people meet in each layer, beside the
// display names of the catalogue (MetadataUtil::ToTypeName): a logical
// column is an ATTRIBUTE in the catalogue, a presentation table an ENTITY
// FOLDER.
//
//   for (const EverydayTypeName& n : EverydayTypeNames()) ...;  // {"LOGICAL COLUMN", kTIDAAttribute}, ...
#pragma once

#include <vector>

#include "Utility/VoidID.h"

struct EverydayTypeName {
  const char* name;  // upper case, words separated by one blank
  TypeID type;
};

// In a fixed order; no name is also a display name of the catalogue.
const std::vector<EverydayTypeName>& EverydayTypeNames();
