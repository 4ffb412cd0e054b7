// RpFile: a whole repository as one XML document, loaded and saved.
//
//   std::unique_ptr<ARpGateway> rp = RpFile::Load("samples/sample.rpd.xml");   // throws RpFileError
//   RpFile::Save(*rp, "copy.rpd.xml");
//   std::string diff;
//   RpFile::FindFirstDifference(*rp, *RpFile::Load("copy.rpd.xml"), diff);  // false: the same repository
//
// The document (version 1):
//
//   <repository format="1" name="LOGICAL NAME">
//     <blob number="1">0A1B...</blob>                      numbered data blobs, hex
//     <object id="3023:1" name="Sales">                    objects: id (type:number), name
//       <alias>Old Sales</alias>                           former names, oldest first
//       <prop key="Description">text</prop>                typed properties (RpPropName keys)
//     </object>
//     <object id="3001:7" name="Orders" parent="3023:1"/>  parent: the container's id
//     <tuple rel="37" args="3037:1 3001:7"/>               relation tuples, ids in argument order
//   </repository>
//
// Property types (attribute type, "string" when absent): string, bool
// (true/false), int, bytes (hex), id (type:number), strings (`<s>` children),
// map (`<entry key="...">` children), expr (the expression text form of
// ToStringVisitor, format string in attribute format), multiplicity
// (attributes start, end, lower, upper), source (a logical table source
// mapping: `<map><logical>expr</logical><physical>expr</physical></map>`,
// `<table id=".."/>`, `<join left=".." right=".." join=".."/>`, `<where>expr</where>`,
// attribute distinct; null="true" for no definition at all), null (no value).
//
// Order is kept: objects are listed by type in the order the types first
// appeared, and within a type in creation order, so lookups answer in the
// same order after a reload. Children follow their parent in file order; a
// parent whose children were moved into another order gives each of them a
// pos attribute (0-based place among the parent's children). Tuples are
// listed in the order each object at a relation's sorted argument sees them.
// References may point forwards (a parent or tuple argument listed later).
//
// Text that XML 1.0 cannot carry (control characters, NUL, unpaired
// surrogates) is written with esc="1" on its element: every string of that
// element (attributes and text) then uses `"\\"` for a backslash and
// `"\u{HEX}"` for any code point.
//
// Loading builds a fresh gateway and hands it over only when the whole file
// was read: a broken file gives an RpFileError naming the line and column
// and what is wrong (malformed XML, unknown type or property, duplicate id,
// dangling reference, bad expression text with its position, parent type
// not allowed, ...), never a half-loaded repository.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>

#include "Utility/SourceError.h"
#include "objectmodel/RpGateway.h"

// what() reads "SOURCE:LINE:COLUMN: message" (line and column 0: unknown).
class RpFileError : public SourceError {
 public:
  using SourceError::SourceError;
};

namespace RpFile {
constexpr int kFormatVersion = 1;

// Reads a repository file. Throws RpFileError (a missing or unreadable file
// included).
std::unique_ptr<ARpGateway> Load(const std::string& path);
// Reads a repository document held in memory; sourceName names it in errors.
std::unique_ptr<ARpGateway> LoadFromMemory(const char* data, std::size_t size,
                                           const std::string& sourceName = "<memory>");

// Writes the repository (objects, aliases, properties, relation tuples,
// logical name and data blobs; session state is not part of a repository).
void Save(ARpGateway& rp, std::ostream& out);
std::string SaveToString(ARpGateway& rp);
// Writes to path through a temporary file renamed over it, so a failed
// save leaves an existing file as it was. Throws RpFileError.
void Save(ARpGateway& rp, const std::string& path);

// Walks both repositories: ids, types and their order, names, parents,
// child order, aliases, properties, relation tuples (and the order the
// sorted argument sees), logical name and data blobs. False when they are
// the same; otherwise true with the first difference described.
bool FindFirstDifference(ARpGateway& a, ARpGateway& b, std::string& difference);
}  // namespace RpFile
