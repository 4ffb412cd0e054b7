// What the hosts build on the library, from Python: consistency checks,
// dictionary paths and the dictionary site, the translation round trip,
// delete dependencies and moving objects.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <unordered_set>

#include "Bundles/DisplaySession.h"
#include "Checks/ConsistencyCheck.h"
#include "Metadata/SMDictUtil.h"
#include "Metadata/SMUtil.h"
#include "PyCommon.h"
#include "Site/SiteWriter.h"
#include "Translations/Translations.h"
#include "Utility/VXAssert.h"
#include "objectmodel/RpFile.h"

namespace smutil_python {
namespace {

// ---- findings ------------------------------------------------------------

// A finding as plain values: the repository it names may be closed while
// the finding lives on.
struct PyFinding {
  StatePtr state;
  MessageId messageId = 0;
  ConsistencyMessageType severity = MSG_UNKNOWN;
  std::string check;
  VoidID object;
  VoidIDVector objects;
  VXString text;
  VXString objectName;
};

PyFinding FindingOf(const StatePtr& state, const ConsistencyMessage& m) {
  PyFinding f;
  f.state = state;
  f.messageId = m.GetMessageId();
  f.severity = m.GetType();
  const ConsistencyCheck* check = CheckOfMessage(m);
  f.check = check ? check->m_id : kCheckFailedRuleId;
  f.object = m.GetMainObject().GetID();
  for (const Ref<ARpObject>& o : m.GetObjects()) f.objects.push_back(o.GetID());
  f.text = m.GetText(false);
  f.objectName = MetadataUtil::GenerateQualifiedName(m.GetMainObject());
  return f;
}

void AddWithDescendants(const ARpObject& obj, std::unordered_set<VoidID, VoidIDHash>& scope) {
  scope.insert(obj.GetID());
  for (ARpObject* child : obj.GetChildPointers()) AddWithDescendants(*child, scope);
}

void BindFinding(py::module_& m) {
  py::class_<PyFinding> cls(m, "Finding", "One consistency finding: the message about one object.");
  cls.def_readonly("message_id", &PyFinding::messageId, "The catalogue message's number.");
  cls.def_property_readonly(
      "severity", [](const PyFinding& f) { return EnumClass("Severity")(static_cast<int>(f.severity)); },
      "The Severity.");
  cls.def_readonly("check", &PyFinding::check, "The check's stable rule name (\"logical-column-unmapped\").");
  cls.def_property_readonly(
      "object",
      [](const PyFinding& f) {
        return ObjectHandle{f.state, f.object};
      },
      "The object checked.");
  cls.def_property_readonly(
      "objects",
      [](const PyFinding& f) {
        py::list out;
        for (const VoidID& id : f.objects) out.append(ObjectHandle{f.state, id});
        return out;
      },
      "The objects the message names, in the message's order.");
  cls.def_property_readonly(
      "text", [](const PyFinding& f) { return ToPy(f.text); }, "The message text.");
  cls.def(
      "__repr__",
      [](const PyFinding& f) {
        return py::str("Finding({}, {}, {!r}, {!r})")
            .format(py::repr(EnumClass("Severity")(static_cast<int>(f.severity))), f.messageId, f.check,
                    ToPy(f.objectName));
      },
      "Severity, message number, check and the object's qualified name.");
}

void BindCheck(RepositoryClass& repository) {
  repository.def(
      "check",
      [](const PyRepository& repo, py::handle types, py::handle changedSince, py::handle object) {
        ConsistencyCheckOptions options;
        if (!types.is_none()) {
          for (py::handle t : types) options.m_types.push_back(TypeFromPy(t));
        }
        std::optional<std::string> earlierPath;
        if (!changedSince.is_none()) earlierPath = py::cast<std::filesystem::path>(changedSince).string();
        std::vector<ConsistencyMessage> found;
        {
          // The object is found with the GIL; then the run goes without it.
          ReadGuard g(*repo.state);
          if (!object.is_none()) {
            options.m_scope.emplace();
            AddWithDescendants(*FindOne(g.rp, repo.state, object, 0), *options.m_scope);
          }
          py::gil_scoped_release nogil;
          if (earlierPath) {
            std::unique_ptr<ARpGateway> earlier = RpFile::Load(*earlierPath);
            std::unordered_set<VoidID, VoidIDHash> changed = ChangedObjectScope(*g.rp, *earlier);
            if (options.m_scope)
              std::erase_if(changed, [&](const VoidID& id) { return !options.m_scope->contains(id); });
            options.m_scope = std::move(changed);
          }
          found = RunConsistencyChecks(*g.rp, options);
        }
        py::list out(found.size());
        ReadGuard g(*repo.state);
        for (std::size_t i = 0; i < found.size(); ++i) out[i] = py::cast(FindingOf(repo.state, found[i]));
        return out;
      },
      py::kw_only(), py::arg("types") = py::none(), py::arg("changed_since") = py::none(),
      py::arg("object") = py::none(),
      "Runs the consistency checks and returns the findings, sorted. types keeps objects of those types; object "
      "one object and what it contains; changed_since (an earlier repository file) the objects that differ from "
      "it and those that refer to them. The GIL is released while the checks run.");
}

// ---- dictionary ----------------------------------------------------------

struct PyDictEntry {
  StatePtr state;
  VoidID id;
  VXString tag, shortName, normalizedName, path, url;
};

void BindDict(py::module_& m, RepositoryClass& repository) {
  py::class_<PyDictEntry> cls(m, "DictEntry", "Where an object goes in the metadata dictionary.");
  cls.def_property_readonly(
      "object",
      [](const PyDictEntry& e) {
        return ObjectHandle{e.state, e.id};
      },
      "The object.");
  cls.def_property_readonly(
      "tag", [](const PyDictEntry& e) { return ToPy(e.tag); }, "The dictionary tag (\"PhysicalTable\").");
  cls.def_property_readonly(
      "short_name", [](const PyDictEntry& e) { return ToPy(e.shortName); }, "The short type name (\"PT\").");
  cls.def_property_readonly(
      "normalized_name", [](const PyDictEntry& e) { return ToPy(e.normalizedName); },
      "The file name stem of its document.");
  cls.def_property_readonly(
      "path", [](const PyDictEntry& e) { return ToPy(e.path); }, "The document's relative path.");
  cls.def_property_readonly(
      "url", [](const PyDictEntry& e) { return ToPy(e.url); }, "The document's URL.");
  cls.def(
      "__repr__",
      [](const PyDictEntry& e) {
        return py::str("DictEntry({!r}, {!r}, {!r})").format(ToPy(e.id.ToString()), ToPy(e.tag), ToPy(e.path));
      },
      "The id, the tag and the path.");

  repository.def(
      "dict_entry",
      [](const PyRepository& repo, py::handle target, py::handle type) {
        ReadGuard g(*repo.state);
        const Ref<ARpObject> obj = FindOne(g.rp, repo.state, target, type.is_none() ? 0 : TypeFromPy(type));
        DictUniqueNamesCache cache;
        return PyDictEntry{repo.state,
                           obj->GetID(),
                           MetadataDictUtil::GetTagName(obj),
                           MetadataDictUtil::GetShortTypeName(obj),
                           MetadataDictUtil::GetDictNormalizedName(obj, cache),
                           MetadataDictUtil::GetDictRelativePath(obj, cache),
                           MetadataDictUtil::GetDictRelativeUrl(g.rp, obj, cache)};
      },
      py::arg("target"), py::arg("type") = py::none(),
      "The dictionary tag, short name, normalized name, relative path and URL of one object (an Object, an id or "
      "a qualified name).");
  repository.def(
      "dict_entries",
      [](const PyRepository& repo, py::handle type) {
        std::vector<PyDictEntry> entries;
        {
          ReadGuard g(*repo.state);
          const TypeIDVector types = type.is_none() ? g.rp->GetKnownTypes() : TypeIDVector{TypeFromPy(type)};
          py::gil_scoped_release nogil;
          DictUniqueNamesCache cache;
          // One URL base for all: a repository missing from the
          // configuration is reported once.
          const VXString base = MetadataDictUtil::GetDictUrlBase(g.rp) + VXString(MetadataDict::URL_SEP);
          VoidIDVector ids;
          for (TypeID t : types) {
            ids.clear();
            g.rp->GetObjectIDsOfType(t, ids);
            for (const VoidID& id : ids) {
              const Ref<ARpObject> obj = g.rp->GetObject(id);
              if (obj.IsNull()) continue;
              PyDictEntry& e = entries.emplace_back();
              e.state = repo.state;
              e.id = id;
              e.tag = MetadataDictUtil::GetTagName(obj);
              e.shortName = MetadataDictUtil::GetShortTypeName(obj);
              e.normalizedName = MetadataDictUtil::GetDictNormalizedName(obj, cache);
              e.path = MetadataDictUtil::GetDictRelativePath(obj, cache);
              e.url = base + e.path;
            }
          }
        }
        return entries;
      },
      py::arg("type") = py::none(),
      "The dictionary entries of every object (of one type when given), types in the order the repository first "
      "had them.");
}

// ---- site ----------------------------------------------------------------

struct PySiteReport {
  smutil_site::SiteReport r;
};

void BindSite(py::module_& m, RepositoryClass& repository) {
  py::class_<PySiteReport> cls(m, "SiteReport", "What writing the dictionary site did.");
  cls.def_property_readonly(
      "pages", [](const PySiteReport& s) { return s.r.pages; }, "Object pages, continuation pages included.");
  cls.def_property_readonly(
      "pictures", [](const PySiteReport& s) { return s.r.pictures; }, "SVG pictures.");
  cls.def_property_readonly(
      "written", [](const PySiteReport& s) { return s.r.written; }, "Files written.");
  cls.def_property_readonly(
      "unchanged", [](const PySiteReport& s) { return s.r.unchanged; },
      "Files left alone because their content was the same.");
  cls.def_property_readonly(
      "largest_file", [](const PySiteReport& s) { return s.r.largestFile; }, "The largest file's size in bytes.");
  cls.def_property_readonly(
      "largest_path", [](const PySiteReport& s) { return s.r.largestPath; }, "The largest file's path.");
  cls.def(
      "__repr__",
      [](const PySiteReport& s) {
        return "SiteReport(pages=" + std::to_string(s.r.pages) + ", pictures=" + std::to_string(s.r.pictures) +
               ", written=" + std::to_string(s.r.written) + ", unchanged=" + std::to_string(s.r.unchanged) + ")";
      },
      "The counts.");

  repository.def(
      "site",
      [](const PyRepository& repo, const std::filesystem::path& outDir, py::handle types, bool bChangedOnly,
         py::handle findings) {
        smutil_site::SiteOptions options;
        options.outDir = outDir;
        options.bChangedOnly = bChangedOnly;
        if (!types.is_none()) {
          for (py::handle t : types) options.types.push_back(TypeFromPy(t));
        }
        std::vector<PyFinding> shown;
        if (!findings.is_none()) {
          for (py::handle f : findings) shown.push_back(f.cast<PyFinding>());
        }
        PySiteReport report;
        py::gil_scoped_release nogil;
        // Display names load bundle strings into the session.
        std::unique_lock lock(repo.state->mu);
        ARpGateway* rp = OpenGateway(*repo.state);
        smutil_site::ConsistencyMessageMap messages;
        for (const PyFinding& f : shown) {
          const Ref<ARpObject> obj = rp->GetObject(f.object);
          if (f.state != repo.state || obj.IsNull()) continue;
          messages[f.object].emplace_back(f.messageId, obj, f.text);
        }
        if (!shown.empty()) options.messages = &messages;
        try {
          report.r = smutil_site::WriteSite(rp, options);
        } catch (const smutil_site::SiteError& e) {
          Raise(FaultKind::kWrite, e.what());
        }
        return report;
      },
      py::arg("out_dir"), py::kw_only(), py::arg("types") = py::none(), py::arg("changed_only") = false,
      py::arg("findings") = py::none(),
      "Writes the browsable metadata dictionary into out_dir: one page per object, with pictures. types limits "
      "the pages to those types; changed_only rewrites only files whose content changed; findings (from check) "
      "are shown on their objects' pages. Display names are in the repository's language. Raises WriteError "
      "naming the path that cannot be written; the GIL is released meanwhile.");
}

// ---- translations --------------------------------------------------------

namespace tr = smutil_translations;

struct PyTranslations {
  StatePtr state;
};

std::string OptionalPath(py::handle path) {
  return path.is_none() ? std::string() : py::cast<std::filesystem::path>(path).string();
}

void BindTranslations(py::module_& m, RepositoryClass& repository) {
  py::class_<tr::ImportResult> imported(m, "ImportResult", "What importing a translated document did.");
  imported.def_readonly("language", &tr::ImportResult::language, "The document's target language.");
  imported.def_readonly("imported", &tr::ImportResult::imported, "Strings written to the store.");
  imported.def_readonly("untranslated", &tr::ImportResult::untranslated, "Matched units without a translation.");
  imported.def_readonly("unmatched", &tr::ImportResult::unmatched, "One line per unit that matches no object.");
  imported.def(
      "__repr__",
      [](const tr::ImportResult& r) {
        return py::str("ImportResult({!r}, imported={}, untranslated={}, unmatched={})")
            .format(r.language, r.imported, r.untranslated, r.unmatched.size());
      },
      "The language and the counts.");
  py::class_<tr::CoverageReport> coverage(m, "CoverageReport", "What the bundle store lacks.");
  coverage.def_readonly("languages", &tr::CoverageReport::languages, "The languages looked at.");
  coverage.def_readonly("objects_without_variables", &tr::CoverageReport::objectsWithoutVariables,
                        "Presentation objects whose display name names no variable.");
  coverage.def_readonly("missing", &tr::CoverageReport::missing, "Per language, the variables without a string.");
  coverage.def_readonly("unused", &tr::CoverageReport::unused, "Per language, the keys no object uses.");
  coverage.def_property_readonly(
      "complete", [](const tr::CoverageReport& c) { return c.Complete(); },
      "No object without variables, and nothing missing.");
  coverage.def(
      "__repr__",
      [](const tr::CoverageReport& c) {
        std::size_t missing = 0;
        for (const auto& [language, keys] : c.missing) missing += keys.size();
        return py::str("CoverageReport(languages={!r}, missing={}, complete={})")
            .format(c.languages, missing, c.Complete());
      },
      "The languages, the number of missing strings and whether coverage is complete.");
  py::class_<PyTranslations> cls(m, "Translations",
                                 "The translation round trip of externalized display names and descriptions "
                                 "(XLIFF 2.0 documents and the bundle store).");
  cls.def(
      "export",
      [](const PyTranslations& t, const std::filesystem::path& out, const std::string& language,
         const std::string& sourceLanguage, py::handle bundles) {
        const std::string store = OptionalPath(bundles);
        const std::string file = out.string();
        py::gil_scoped_release nogil;
        // Source texts from the objects read display texts into the session.
        std::unique_lock lock(t.state->mu);
        ARpGateway* rp = OpenGateway(*t.state);
        const std::vector<tr::TranslationUnit> units = tr::CollectTranslationUnits(rp, store, sourceLanguage);
        tr::WriteXliff(units, sourceLanguage, language, t.state->source, file);
        std::set<VXString> objects;
        for (const tr::TranslationUnit& u : units) objects.insert(u.objectXml);
        return std::make_pair(units.size(), objects.size());
      },
      py::arg("out"), py::kw_only(), py::arg("language"), py::arg("source_language") = tr::kSourceLanguage,
      py::arg("bundles") = py::none(),
      "Writes one XLIFF 2.0 unit per variable of every externalized object to out, for translation from "
      "source_language into language; source texts come from the bundle store when given, else from the "
      "objects. Returns (units, objects). Raises TranslationError when the file cannot be written.");
  cls.def(
      "import_",
      [](const PyTranslations& t, const std::filesystem::path& in, const std::filesystem::path& bundles) {
        tr::ImportResult r;
        {
          py::gil_scoped_release nogil;
          std::unique_lock lock(t.state->mu);
          r = tr::ImportXliff(OpenGateway(*t.state), in.string(), bundles.string());
        }
        return r;
      },
      py::arg("file"), py::kw_only(), py::arg("bundles"),
      "Loads the translations of an XLIFF 2.0 document into the bundle store (created when missing), in one "
      "transaction: the whole document or nothing. Returns an ImportResult; when a unit matches no object, "
      "nothing is imported and the units are listed in unmatched. Raises TranslationError, changing nothing, for a "
      "document that is not valid XLIFF or a store that cannot be written.");
  cls.def(
      "check",
      [](const PyTranslations& t, const std::filesystem::path& bundles, py::handle language) {
        std::vector<std::string> languages;
        if (!language.is_none()) languages.push_back(language.cast<std::string>());
        tr::CoverageReport c;
        {
          py::gil_scoped_release nogil;
          std::unique_lock lock(t.state->mu);
          c = tr::CheckCoverage(OpenGateway(*t.state), bundles.string(), languages);
        }
        return c;
      },
      py::arg("bundles"), py::kw_only(), py::arg("language") = py::none(),
      "The coverage of the bundle store for one language (every language the store holds when none is given), as "
      "a CoverageReport.");
  repository.def_property_readonly(
      "translations", [](const PyRepository& r) { return PyTranslations{r.state}; },
      "The translation round trip of this repository: export, import_ and check.");
}

// ---- deps and move -------------------------------------------------------

struct PyDependent {
  StatePtr state;
  VoidID object, from;
  int relationship = 0;
  std::string relationshipName;
};

std::string TypeList(const std::vector<TypeID>& types) {
  std::string text;
  for (TypeID t : types) {
    std::string name;
    try {
      name = ToNarrow(MetadataUtil::ToTypeName(t));
    } catch (const VXAssertException&) {
      name = std::to_string(t);
    }
    text += (text.empty() ? "" : ", ") + name;
  }
  return text;
}

void BindEditing(py::module_& m, RepositoryClass& repository) {
  py::class_<PyDependent> cls(m, "Dependent", "An object that deleting another would take along, and why.");
  cls.def_property_readonly(
      "object",
      [](const PyDependent& d) {
        return ObjectHandle{d.state, d.object};
      },
      "The object that would go.");
  cls.def_property_readonly(
      "from_object",
      [](const PyDependent& d) -> py::object {
        if (d.from.IsNull()) return py::none();
        return py::cast(ObjectHandle{d.state, d.from});
      },
      "The object whose deletion takes it along.");
  cls.def_readonly("relationship", &PyDependent::relationship, "The relationship's number (1: containment).");
  cls.def_readonly("relationship_name", &PyDependent::relationshipName, "The relationship's name.");
  cls.def(
      "__repr__",
      [](const PyDependent& d) {
        return py::str("Dependent({!r}, {!r}, {!r})")
            .format(ToPy(d.object.ToString()), d.relationshipName,
                    d.from.IsNull() ? py::object(py::none()) : py::object(ToPy(d.from.ToString())));
      },
      "The object's id, the relationship and the id it comes from.");

  repository.def(
      "deps",
      [](const PyRepository& repo, py::handle target, py::handle type) {
        ReadGuard g(*repo.state);
        const Ref<ARpObject> obj = FindOne(g.rp, repo.state, target, type.is_none() ? 0 : TypeFromPy(type));
        std::vector<MetadataUtil::DeleteDescendant> found;
        MetadataUtil::GetDeleteDescendants(obj, found);
        std::vector<PyDependent> out;
        for (const MetadataUtil::DeleteDescendant& d : found) {
          out.push_back(PyDependent{repo.state, d.m_obj.GetID(), d.m_from.IsNull() ? VoidID::NullID : d.m_from.GetID(),
                                    static_cast<int>(d.m_rel.GetInternalSystemRelationshipID()), d.m_relName});
        }
        return out;
      },
      py::arg("target"), py::arg("type") = py::none(),
      "What deleting the object would take along, in the order the delete finds them; nothing is deleted.");
  repository.def(
      "move",
      [](const PyRepository& repo, py::handle target, py::handle newParent, py::handle type, py::handle parentType) {
        WriteGuard g(*repo.state);
        const Ref<ARpObject> obj = FindOne(g.rp, repo.state, target, type.is_none() ? 0 : TypeFromPy(type));
        const Ref<ARpObject> parent =
            FindOne(g.rp, repo.state, newParent, parentType.is_none() ? 0 : TypeFromPy(parentType));
        // The library's own move rules say which parents the type takes.
        std::vector<TypeID> allowed;
        MetadataUtil::GetNewParentTypes(obj->GetTypeID(), allowed);
        if (allowed.empty()) Raise(FaultKind::kMove, DescribeObject(obj) + " has no parent and cannot be moved");
        if (std::find(allowed.begin(), allowed.end(), parent->GetTypeID()) == allowed.end()) {
          Raise(FaultKind::kMove, DescribeObject(obj) + " cannot be moved under " + DescribeObject(parent) +
                                      "; it can be moved under: " + TypeList(allowed));
        }
        try {
          MetadataUtil::SetParent(obj, parent);
        } catch (const VXAssertException& e) {
          Raise(FaultKind::kMove,
                "cannot move " + DescribeObject(obj) + " under " + DescribeObject(parent) + ": " + e.GetCondition());
        }
        return ObjectHandle{repo.state, obj->GetID()};
      },
      py::arg("target"), py::arg("new_parent"), py::kw_only(), py::arg("type") = py::none(),
      py::arg("parent_type") = py::none(),
      "Moves an object under a new parent (each an Object, an id or a qualified name) and returns it; save() "
      "writes the result. Raises MoveError, changing nothing, when the object's type does not take that parent.");
}

}  // namespace

void BindHost(py::module_& m, RepositoryClass& repository) {
  BindFinding(m);
  BindCheck(repository);
  BindDict(m, repository);
  BindSite(m, repository);
  BindTranslations(m, repository);
  BindEditing(m, repository);
}

}  // namespace smutil_python
