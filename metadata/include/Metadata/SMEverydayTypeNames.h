// The everyday names of the types people meet in each layer, beside the
// display names of the catalogue (MetadataUtil::ToTypeName): a logical
// column is an ATTRIBUTE in the catalogue, a presentation table an ENTITY
// FOLDER.
//
//   for (const EverydayTypeName& n : EverydayTypeNames()) ...;  // {"LOGICAL COLUMN", kTIDAAttribute}, ...
#pragma once

#include <string>
#include <vector>

#include "Utility/VoidID.h"

struct EverydayTypeName {
  const char* name;  // upper case, words separated by one blank
  TypeID type;
  bool shown;  // the name shown beside the catalogue's; the others are accepted only
};

// In a fixed order; no name is also a display name of the catalogue, and
// each stands for one type only. Words that would stand for two are left
// out: SUBJECT AREA is the catalogue's business model and a user's
// presentation subject area, so tools point to the other type rather than
// guess.
const std::vector<EverydayTypeName>& EverydayTypeNames();

// The name shown beside the catalogue's, in lower case ("presentation
// subject area" for CATALOG FOLDER); empty where the catalogue's name says it.
std::string EverydayTypeLabel(TypeID type);
