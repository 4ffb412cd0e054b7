// What the repository commands share: loading --repo (or the bundled sample)
// with a clear message when that fails, and reading object types given by
// name or number.
//
//   std::unique_ptr<ARpGateway> rp = LoadRepositoryOrExplain(ctx);
//   if (!rp) return 1;                     // the reason is already on ctx.err
//   TypeID type;
//   if (!ParseTypeArgument(ctx, "TABLE", type)) return 2;
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGateway.h"

namespace smutil_tool {

// Loads ctx.repoPath. On failure writes "smutil: cannot load repository
// FILE: ..." with the file's line and column and a hint to ctx.err and
// returns null (the caller exits with 1).
std::unique_ptr<ARpGateway> LoadRepositoryOrExplain(Context& ctx);
// That message for a repository file that did not load, with hint under it.
void WriteLoadError(Context& ctx, const RpFileError& e, const std::string& hint);
// "FILE (line 3, column 56)" for that message; the file alone when the fault
// has no place in it.
std::string LoadFaultPlace(const RpFileError& e);

// A type given as a number (3001) or a name of the type-name table, in any
// case, blanks or underscores between words ("TABLE", "logical_table"), an
// everyday name (PRESENTATION SUBJECT AREA, BUSINESS MODEL, ...; see
// Metadata/SMTypeWords.h) or a short code of the dictionary (LT, PRC). A
// word that names no type writes a message listing the names to ctx.err and
// gives false.
bool ParseTypeArgument(Context& ctx, const std::string& text, TypeID& type);
// "TABLE (3001)" for messages and listings; the number alone when the type
// has no name.
std::string TypeLabel(TypeID type);
// "CATALOG FOLDER (4004, presentation subject area)": TypeLabel with the
// everyday name where the catalogue's name is not what users say.
std::string TypeLabelExplained(TypeID type);
// "PRC (presentation column)": the dictionary's short code of the object's
// type with what it stands for; empty for a type without a code.
std::string ShortCodeExplained(const Ref<ARpObject>& obj);
// The types, other than except, that have an object of exactly this name.
std::vector<TypeID> TypesNamed(ARpGateway* rp, const QualifiedName& qname, TypeID except);

// After "no TYPE named QNAME": up to ten objects of the type whose last name
// matches in another case or through a former name, or else how to list the
// names in use, on ctx.err.
void ExplainSimilarNames(Context& ctx, ARpGateway* rp, TypeID type, const QualifiedName& qname,
                         const std::string& typeText);
// The type's name alone ("TABLE"); empty when the type has no name.
std::string TypeName(TypeID type);

}  // namespace smutil_tool
