// The module smutil._smutil: the enums, the qualified-name functions and the
// classes of the other parts, registered at import.
#include <pybind11/stl.h>

#include <set>
#include <string>
#include <unordered_map>

#include "Bundles/BundleStore.h"
#include "Metadata/ConsistencyMessage.h"
#include "Metadata/SMEverydayTypeNames.h"
#include "Metadata/SMExprType.h"
#include "Metadata/SMNameResolution.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVersion.h"
#include "PyCommon.h"
#include "Utility/VXAssert.h"
#include "objectmodel/ObjectParent.h"

namespace smutil_python {
namespace {

std::unordered_map<std::string, py::object>& Enums() {
  static auto& enums = *new std::unordered_map<std::string, py::object>();
  return enums;
}

// "kAmbiguousTable" as AMBIGUOUS_TABLE.
std::string MemberName(const std::string& enumerator) {
  std::string out;
  const std::size_t start = enumerator[0] == 'k' ? 1 : 0;
  for (std::size_t i = start; i < enumerator.size(); ++i) {
    const char c = enumerator[i];
    if (std::isupper(static_cast<unsigned char>(c)) && i > start &&
        std::islower(static_cast<unsigned char>(enumerator[i - 1]))) {
      out.push_back('_');
    }
    out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return out;
}

// "LOGICAL TABLE SOURCE" as LOGICAL_TABLE_SOURCE.
std::string TypeMemberName(const std::string& typeName) {
  std::string out;
  for (char c : typeName) out.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return out;
}

}  // namespace

void MakeEnum(py::module_& m, const char* name, const py::list& members, const char* doc) {
  py::object cls = py::module_::import("enum").attr("IntEnum")(name, members, py::arg("module") = "smutil");
  cls.attr("__doc__") = doc;
  m.attr(name) = cls;
  Enums()[name] = cls;
}

py::object EnumClass(const char* name) { return Enums().at(name); }

void BindEnums(py::module_& m) {
  py::list outcomes;
  for (int code = NamedInterfaceTypeCondition::kOK; code <= NamedInterfaceTypeCondition::kNonexistentTable; ++code) {
    const auto c = static_cast<NamedInterfaceTypeCondition::LookupFolderTreeRetCode>(code);
    outcomes.append(py::make_tuple(MemberName(DescribeLookupOutcome(c).name), code));
  }
  MakeEnum(m, "Outcome", outcomes, "The outcome of resolving a table name, as the lookup returns it.");

  py::list layers;
  layers.append(py::make_tuple("PRESENTATION", static_cast<int>(kSME_Logical)));
  layers.append(py::make_tuple("PHYSICAL", static_cast<int>(kSME_Physical)));
  layers.append(py::make_tuple("BUSINESS_MODEL", static_cast<int>(kSME_BusinessModel)));
  MakeEnum(m, "Layer", layers, "The layer in which a name is resolved.");

  py::list severities;
  severities.append(py::make_tuple("UNKNOWN", static_cast<int>(MSG_UNKNOWN)));
  severities.append(py::make_tuple("WARNING", static_cast<int>(MSG_WARNING)));
  severities.append(py::make_tuple("ERROR", static_cast<int>(MSG_ERROR)));
  severities.append(py::make_tuple("BEST_PRACTICE", static_cast<int>(MSG_BESTPRACTICE)));
  MakeEnum(m, "Severity", severities, "The severity of a consistency finding.");

  py::list types;
  std::set<std::string> seen;
  for (TypeID t : AllCatalogueTypeIDs()) {
    std::string name;
    try {
      name = TypeMemberName(ToNarrow(MetadataUtil::ToTypeName(t)));
    } catch (const VXAssertException&) {
      continue;  // a type without a display name is reachable by number only
    }
    if (seen.insert(name).second) types.append(py::make_tuple(name, t));
  }
  // The everyday names, as aliases of the catalogue's members.
  for (const EverydayTypeName& n : EverydayTypeNames()) {
    const std::string name = TypeMemberName(n.name);
    if (seen.insert(name).second) types.append(py::make_tuple(name, n.type));
  }
  MakeEnum(m, "ObjectType", types,
           "The object types of the catalogue, by their display names, with the everyday names of the layers as "
           "aliases (LOGICAL_COLUMN is ATTRIBUTE).");
}

void BindNames(py::module_& m) {
  m.def(
      "quote",
      [](py::handle segments) {
        QualifiedName q;
        if (PyUnicode_Check(segments.ptr())) throw py::type_error("quote takes a sequence of segments, not a str");
        for (py::handle s : segments) q.push_back(FromPy(s));
        return ToPy(MetadataUtil::ToQualifiedName(q));
      },
      py::arg("segments"),
      "The written form of a qualified name: every segment in double quotes (inner quotes doubled), joined by "
      "full stops.\n\n    >>> smutil.quote(['Sales', 'Order \"Lines\"'])\n    '\"Sales\".\"Order \"\"Lines\"\"\"'");
  m.def(
      "parse",
      [](py::handle text) {
        QualifiedName q;
        MetadataUtil::ParseQualifiedNameString(FromPy(text), q, '.', true);
        return SegmentsToPy(q);
      },
      py::arg("text"),
      "The segments of written qualified-name text (\"A\".\"B\") as the library parses it: quotes stripped, a "
      "doubled quote inside a segment kept as it is written (segments() reads it as one). Unquoted or malformed "
      "text comes back whole as one segment.");
  m.def(
      "split",
      [](py::handle text) {
        QualifiedName q;
        MetadataUtil::ConvertNameToQualifiedName(FromPy(text), q);
        return SegmentsToPy(q);
      },
      py::arg("text"),
      "Cuts a name at every full stop; a quoted run keeps its full stops, an unclosed one is dropped.");
  m.def(
      "segments", [](py::handle text) { return SegmentsToPy(NameFromPy(text)); }, py::arg("name"),
      "The segments of a name as people type it: each segment bare or in double quotes, freely mixed "
      "(\"Sales DW\".SALESDB); the reading every function that takes a name uses.");
  m.attr("__version__") = SMUtilVersion();
}

}  // namespace smutil_python

PYBIND11_MODULE(_smutil, m) {
  using namespace smutil_python;
  m.doc() = "The metadata utilities of the query server's repository, over the smutil library.";
  // Display names read bundle strings through the host's store.
  smutil_bundles::InstallBundleHook();
  RegisterErrors(m);
  BindEnums(m);
  BindNames(m);
  RepositoryClass repository(m, "Repository",
                             "An open repository: load it from a file, read its objects, resolve names, run checks. "
                             "Usable as a context manager, which closes it at the end.");
  BindRepository(m, repository);
  BindResolve(m, repository);
  BindRender(m, repository);
  BindHost(m, repository);
  BindSql(m, repository);
}
