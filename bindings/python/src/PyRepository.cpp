// smutil.Repository and smutil.Object: loading, saving, closing, objects by
// name or id; resolving names (smutil.Resolution); rendering expressions.
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <map>
#include <optional>

#include "Bundles/DisplaySession.h"
#include "Expr/ToStringVisitor.h"
#include "Metadata/SMNameResolution.h"
#include "Metadata/SMNameText.h"
#include "Metadata/SMRenderMode.h"
#include "Metadata/SMUtil.h"
#include "PyCommon.h"
#include "objectmodel/RpFile.h"

namespace smutil_python {
namespace {

ObjectHandle HandleOf(const StatePtr& state, const Ref<ARpObject>& obj) { return ObjectHandle{state, obj->GetID()}; }

py::object HandleOrNone(const StatePtr& state, const Ref<ARpObject>& obj) {
  if (obj.IsNull()) return py::none();
  return py::cast(HandleOf(state, obj));
}

py::list HandlesOf(const StatePtr& state, const RpObjectVector& objects) {
  py::list out;
  for (const Ref<ARpObject>& obj : objects) {
    if (!obj.IsNull()) out.append(HandleOf(state, obj));
  }
  return out;
}

// ---- objects -------------------------------------------------------------

void BindObject(py::module_& m) {
  py::class_<ObjectHandle> cls(m, "Object",
                               "An object of a repository, held by its id: every attribute is read from the "
                               "repository when asked, so it shows the object as it is now.");
  cls.def_property_readonly(
      "id", [](const ObjectHandle& h) { return ToPy(h.id.ToString()); }, "The id, \"type:number\" (\"3001:12\").");
  cls.def_property_readonly(
      "type", [](const ObjectHandle& h) { return TypeToPy(h.id.m_interfaceTypeID); }, "The ObjectType.");
  cls.def_property_readonly(
      "type_name",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        return ToPy(MetadataUtil::ToTypeName(Resolve(g.rp, h)->GetTypeID()));
      },
      "The type's display name (\"LOGICAL TABLE\").");
  cls.def_property_readonly(
      "name",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        return ToPy(Resolve(g.rp, h)->GetName());
      },
      "The object's own name.");
  cls.def_property_readonly(
      "qualified_name",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        return ToPy(MetadataUtil::GenerateQualifiedName(Resolve(g.rp, h)));
      },
      "The written qualified name, every segment quoted (\"Sales\".\"Orders\").");
  cls.def_property_readonly(
      "segments",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        QualifiedName q;
        return SegmentsToPy(MetadataUtil::GenerateQualifiedName(Resolve(g.rp, h), q));
      },
      "The segments of the qualified name, outermost first, empty levels included.");
  cls.def_property_readonly(
      "parent",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        return HandleOrNone(h.state, MetadataUtil::GetParent(Resolve(g.rp, h)));
      },
      "The container, or None for a top-level object.");
  cls.def_property_readonly(
      "children",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        py::list out;
        for (ARpObject* c : Resolve(g.rp, h)->GetChildPointers()) out.append(ObjectHandle{h.state, c->GetID()});
        return out;
      },
      "The objects it contains, in their order.");
  cls.def_property_readonly(
      "aliases",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        VXStringVector aliases;
        Resolve(g.rp, h)->GetAliases(aliases);
        return SegmentsToPy(aliases);
      },
      "The former names, oldest first.");
  // Custom texts load bundle strings into the session: the repository to
  // itself.
  cls.def_property_readonly(
      "display_name",
      [](const ObjectHandle& h) -> py::object {
        WriteGuard g(*h.state);
        const smutil_bundles::CustomTexts texts = smutil_bundles::CustomTextsOf(g.rp, Resolve(g.rp, h));
        if (!texts.displayName) return py::none();
        return ToPy(*texts.displayName);
      },
      "The custom display name in the repository's language, or None when the object has none switched on.");
  cls.def_property_readonly(
      "description",
      [](const ObjectHandle& h) -> py::object {
        WriteGuard g(*h.state);
        const Ref<ARpObject> obj = Resolve(g.rp, h);
        const smutil_bundles::CustomTexts texts = smutil_bundles::CustomTextsOf(g.rp, obj);
        if (texts.description) return ToPy(*texts.description);
        const VXString own = obj->GetDescription();
        if (own.empty()) return py::none();
        return ToPy(own);
      },
      "The custom description when the object has one switched on, else its description; None when it has "
      "neither.");
  cls.def(
      "__repr__",
      [](const ObjectHandle& h) {
        ReadGuard g(*h.state);
        const Ref<ARpObject> obj = g.rp->GetObject(h.id);
        if (obj.IsNull()) return ToPy("<smutil.Object " + ToNarrow(h.id.ToString()) + " (deleted)>");
        return ToPy("<smutil.Object " + DescribeObject(obj) + ">");
      },
      "The type, id and qualified name.");
  cls.def(
      "__eq__",
      [](const ObjectHandle& a, py::object b) {
        if (!py::isinstance<ObjectHandle>(b)) return false;
        const ObjectHandle& o = b.cast<const ObjectHandle&>();
        return a.state == o.state && a.id == o.id;
      },
      "The same object of the same repository.");
  cls.def(
      "__hash__", [](const ObjectHandle& h) { return VoidIDHash()(h.id); }, "By id.");
}

// ---- the repository ------------------------------------------------------

std::string PathText(const std::filesystem::path& p) { return p.string(); }

void BindRepositoryMethods(RepositoryClass& cls) {
  cls.def_static(
      "load",
      [](const std::filesystem::path& path) {
        auto state = std::make_shared<RepoState>();
        state->source = PathText(path);
        {
          py::gil_scoped_release nogil;
          state->rp = RpFile::Load(state->source);
        }
        return PyRepository{state};
      },
      py::arg("path"),
      "Reads a repository file. Raises LoadError with the line and column of the first fault; the GIL is "
      "released while the file is read.");
  cls.def(
      "save",
      [](const PyRepository& r, const std::filesystem::path& path) {
        const std::string target = PathText(path);
        py::gil_scoped_release nogil;
        std::shared_lock lock(r.state->mu);
        try {
          RpFile::Save(*OpenGateway(*r.state), target);
        } catch (const RpFileError& e) {
          Raise(FaultKind::kWrite, e.GetMessage(), e.GetSource(), e.GetLine(), e.GetColumn());
        }
      },
      py::arg("path"),
      "Writes the repository to a file through a temporary file renamed over it, so a failed save leaves an "
      "existing file whole. Raises WriteError; the GIL is released meanwhile.");
  cls.def(
      "close",
      [](const PyRepository& r) {
        py::gil_scoped_release nogil;
        std::unique_lock lock(r.state->mu);
        r.state->rp.reset();
      },
      "Frees the repository; its objects and the repository raise ClosedError afterwards. Closing twice is "
      "harmless.");
  cls.def_property_readonly(
      "closed", [](const PyRepository& r) { return !r.state->rp; }, "Whether close() was called.");
  cls.def_property_readonly(
      "source", [](const PyRepository& r) { return ToPy(r.state->source); }, "The file it was loaded from.");
  cls.def(
      "__enter__", [](const PyRepository& r) { return r; }, "The repository itself.");
  cls.def(
      "__exit__",
      [](const PyRepository& r, py::args) {
        py::gil_scoped_release nogil;
        std::unique_lock lock(r.state->mu);
        r.state->rp.reset();
        return false;
      },
      "Closes the repository; exceptions pass on.");
  cls.def(
      "__len__",
      [](const PyRepository& r) {
        ReadGuard g(*r.state);
        return g.rp->GetObjectCount();
      },
      "The number of objects.");
  cls.def(
      "__repr__",
      [](const PyRepository& r) {
        ReadGuard g(*r.state);
        return ToPy("<smutil.Repository " + r.state->source + ", " + std::to_string(g.rp->GetObjectCount()) +
                    " objects>");
      },
      "The file and the number of objects.");
  cls.def_property(
      "language",
      [](const PyRepository& r) -> py::object {
        if (r.state->language.empty()) return py::none();
        return ToPy(r.state->language);
      },
      [](const PyRepository& r, py::handle language) {
        WriteGuard g(*r.state);
        r.state->language = language.is_none() ? VXString() : FromPy(language);
        // The bundle strings loaded so far are in the old language.
        g.rp->ClearSessionVariables();
        smutil_bundles::PrepareDisplaySession(g.rp, r.state->language);
      },
      "The session's language for bundle strings (display names, descriptions), e.g. \"fr\"; None: the "
      "fallback language. Setting it empties the session's variables, which hold the strings loaded so far.");
  cls.def(
      "object",
      [](const PyRepository& r, py::handle name, py::handle type) {
        ReadGuard g(*r.state);
        return HandleOf(r.state, FindOne(g.rp, r.state, name, type.is_none() ? 0 : TypeFromPy(type)));
      },
      py::arg("name"), py::arg("type") = py::none(),
      "The one object of an id (\"3001:12\") or qualified name (typed text or segments; case counts), of type "
      "when given. Raises NotFoundError, or AmbiguousError when objects of several types bear the name.");
  cls.def(
      "find",
      [](const PyRepository& r, py::handle name, py::handle type) {
        ReadGuard g(*r.state);
        const TypeID t = type.is_none() ? 0 : TypeFromPy(type);
        if (PyUnicode_Check(name.ptr())) return HandlesOf(r.state, FindObjectsNamedByText(g.rp, FromPy(name), t));
        const QualifiedName q = NameFromPy(name);
        RpObjectVector found;
        for (TypeID each : t ? TypeIDVector{t} : g.rp->GetKnownTypes()) {
          Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(g.rp, each, q);
          if (!obj.IsNull()) found.push_back(obj);
        }
        return HandlesOf(r.state, found);
      },
      py::arg("name"), py::arg("type") = py::none(),
      "Every object an id or qualified name names, one per type (of type only when given); empty when none.");
  cls.def(
      "objects",
      [](const PyRepository& r, py::handle type) {
        ReadGuard g(*r.state);
        VoidIDVector ids;
        g.rp->GetObjectIDsOfType(TypeFromPy(type), ids);
        py::list out(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) out[i] = py::cast(ObjectHandle{r.state, ids[i]});
        return out;
      },
      py::arg("type"), "Every object of a type, in creation order.");
}

// ---- resolving names -----------------------------------------------------

struct PyResolution {
  py::object name;  // as given
  NameResolution r;
};

ExprType LayerFromPy(py::handle layer) {
  const int value = layer.cast<int>();
  if (value != kSME_Logical && value != kSME_Physical && value != kSME_BusinessModel) {
    Raise(FaultKind::kUsage, "a layer is Layer.PRESENTATION, Layer.BUSINESS_MODEL or Layer.PHYSICAL");
  }
  return static_cast<ExprType>(value);
}

}  // namespace

py::list PairsToPy(const QualifiedNameIDPairVector& pairs) {
  py::list out(pairs.size());
  for (std::size_t i = 0; i < pairs.size(); ++i) out[i] = py::cast(PyNamePair{pairs[i].m_qName, pairs[i].m_id});
  return out;
}

void BindRepository(py::module_& m, RepositoryClass& repository) {
  BindObject(m);
  BindRepositoryMethods(repository);
}

void BindResolve(py::module_& m, RepositoryClass& repository) {
  py::class_<PyNamePair> pair(m, "NamePair", "A qualified name with the id of the object it names.");
  pair.def_property_readonly(
      "qualified_name", [](const PyNamePair& p) { return ToPy(MetadataUtil::ToQualifiedName(p.segments)); },
      "The written name.");
  pair.def_property_readonly(
      "segments", [](const PyNamePair& p) { return SegmentsToPy(p.segments); }, "The name's segments.");
  pair.def_property_readonly(
      "id", [](const PyNamePair& p) { return ToPy(p.id.ToString()); }, "The object's id.");
  pair.def(
      "__repr__",
      [](const PyNamePair& p) {
        return py::str("NamePair({!r}, {!r})")
            .format(ToPy(MetadataUtil::ToQualifiedName(p.segments)), ToPy(p.id.ToString()));
      },
      "The name and the id.");

  py::class_<PyResolution> res(m, "Resolution",
                               "The answer of resolving one name: the outcome, what was found, and what to try.");
  res.def_property_readonly(
      "name", [](const PyResolution& p) { return p.name; }, "The name as given (segments as their written form).");
  res.def_property_readonly(
      "resolved", [](const PyResolution& p) { return p.r.bResolved; },
      "Tables: the outcome is OK; columns: a column was found.");
  res.def_property_readonly(
      "column", [](const PyResolution& p) { return p.r.bColumn; }, "Whether a table.column name was resolved.");
  res.def_property_readonly(
      "code",
      [](const PyResolution& p) -> py::object {
        if (p.r.bColumn) return py::none();
        return EnumClass("Outcome")(static_cast<int>(p.r.code));
      },
      "The Outcome of a table name; None for a column name.");
  res.def_property_readonly(
      "meaning",
      [](const PyResolution& p) -> py::object {
        if (p.r.bColumn) return py::none();
        return ToPy(std::string(DescribeLookupOutcome(p.r.code).meaning));
      },
      "What the outcome means, in words; None for a column name.");
  res.def_property_readonly(
      "pairs", [](const PyResolution& p) { return PairsToPy(p.r.pairs); },
      "The names under which the table found can be addressed (a subject area's tables for a one-part name that "
      "names one); for a column name, the columns found.");
  res.def_property_readonly(
      "candidates", [](const PyResolution& p) { return PairsToPy(p.r.candidates); },
      "On an ambiguous outcome, the objects that bear the name.");
  res.def_property_readonly(
      "subject_area",
      [](const PyResolution& p) -> py::object {
        if (p.r.catalogFolderID.IsNull()) return py::none();
        return ToPy(p.r.catalogFolderID.ToString());
      },
      "The id of the subject area a one-part name named, or None.");
  res.def_property_readonly(
      "inaccessible_columns", [](const PyResolution& p) { return p.r.bInaccessibleColumns; },
      "Columns that matched were left out because the user may not read them.");
  res.def_property_readonly(
      "suggestions",
      [](const PyResolution& p) {
        py::list out(p.r.suggestions.size());
        for (std::size_t i = 0; i < p.r.suggestions.size(); ++i) {
          out[i] = ToPy(MetadataUtil::ToQualifiedName(p.r.suggestions[i]));
        }
        return out;
      },
      "On a miss, up to five written names the user may read that come near, best first.");
  res.def(
      "__bool__", [](const PyResolution& p) { return p.r.bResolved; }, "Whether the name resolved.");
  res.def(
      "__repr__",
      [](const PyResolution& p) {
        std::string text = "Resolution(" + py::repr(p.name).cast<std::string>();
        if (!p.r.bColumn) text += ", " + py::repr(EnumClass("Outcome")(static_cast<int>(p.r.code))).cast<std::string>();
        text += ", pairs=[";
        for (std::size_t i = 0; i < p.r.pairs.size(); ++i) {
          text += (i ? ", " : "") +
                  py::repr(py::cast(PyNamePair{p.r.pairs[i].m_qName, p.r.pairs[i].m_id})).cast<std::string>();
        }
        text += "]";
        if (!p.r.candidates.empty()) text += ", candidates=" + std::to_string(p.r.candidates.size());
        if (!p.r.suggestions.empty()) {
          text += ", suggestions=[";
          for (std::size_t i = 0; i < p.r.suggestions.size(); ++i) {
            text +=
                (i ? ", " : "") + py::repr(ToPy(MetadataUtil::ToQualifiedName(p.r.suggestions[i]))).cast<std::string>();
          }
          text += "]";
        }
        return text + ")";
      },
      "The name, the outcome, the pairs and what else there is.");

  repository.def(
      "resolve",
      [](const PyRepository& repo, py::handle name, py::handle user, py::handle layer, bool bColumn, bool bAsNull) {
        const QualifiedName q = NameFromPy(name);
        const ExprType l = LayerFromPy(layer);
        PyResolution out;
        // The text as given is kept as it is: no conversion on the way back.
        out.name = PyUnicode_Check(name.ptr()) ? py::reinterpret_borrow<py::object>(name)
                                               : py::object(ToPy(MetadataUtil::ToQualifiedName(q)));
        const auto run = [&](ARpGateway* rp) {
          out.r = bColumn ? ResolveColumnName(rp, q, l, bAsNull) : ResolveTableName(rp, q, l, bAsNull);
        };
        if (user.is_none()) {
          ReadGuard g(*repo.state);
          run(g.rp);
          return out;
        }
        // As a user: the session signs on for this call alone.
        const VXString userName = FromPy(user);
        WriteGuard g(*repo.state);
        if (!g.rp->SignOnAs(userName)) {
          Raise(FaultKind::kNotFound, "no user named '" + ToNarrow(userName) + "' in " + repo.state->source);
        }
        struct SignOff {
          ARpGateway* rp;
          ~SignOff() {
            rp->ClearReadDenials();
            rp->SetCurrentUser(VXString(), VXString());
          }
        } signOff{g.rp};
        run(g.rp);
        return out;
      },
      py::arg("name"), py::kw_only(), py::arg("user") = py::none(),
      py::arg("layer") = EnumClass("Layer").attr("PRESENTATION"), py::arg("column") = false,
      py::arg("show_inaccessible_as_null") = false,
      "Resolves a query's table name (or, with column=True, a table.column name) as the server does: in the "
      "layer, under the read denials of user when given (a user of the repository; NotFoundError otherwise), "
      "looking past them with show_inaccessible_as_null. Returns a Resolution; a name that does not resolve is "
      "an answer, not an error.");
}

// ---- rendering -----------------------------------------------------------

namespace {

struct RenderArgs {
  bool bQuotes, bFullyQualified, bSinglePart, bByID, bDisplay;
  py::handle catalog, reparent, to, renameDb;
};

// The mode of the keyword arguments, checked as the command line checks
// its options: the special modes choose their own quoting and qualification.
RenderMode ModeOf(ARpGateway* rp, const StatePtr& state, const RenderArgs& a) {
  RenderMode mode;
  mode.flags = ToPrettyStringVisitor::Options{.mandatoryDoubleQuotes = a.bQuotes,
                                              .fullyQualified = a.bFullyQualified,
                                              .singlePartName = a.bSinglePart,
                                              .usingVoidID = a.bByID,
                                              .customDisplayName = a.bDisplay};
  const int special = !a.catalog.is_none() + !a.reparent.is_none() + !a.renameDb.is_none();
  if (special > 1) Raise(FaultKind::kUsage, "catalog, reparent and rename_db exclude each other");
  if (a.reparent.is_none() != a.to.is_none()) Raise(FaultKind::kUsage, "reparent and to go together");
  if (special && (a.bQuotes || a.bFullyQualified || a.bSinglePart)) {
    Raise(FaultKind::kUsage,
          "catalog, reparent and rename_db choose their own quoting and qualification; drop quotes, "
          "fully_qualified and single_part");
  }
  if (!a.catalog.is_none()) {
    if (a.bByID) Raise(FaultKind::kUsage, "catalog writes names, not ids; drop by_id");
    mode.kind = RenderMode::kCatalog;
    mode.catalog = Ref<ACatalogFolder>(FindOne(rp, state, a.catalog, kTIDACatalogFolder));
    return mode;
  }
  if (a.bDisplay && special) Raise(FaultKind::kUsage, "display goes with the plain modes and catalog only");
  if (!a.reparent.is_none()) {
    mode.kind = RenderMode::kReparent;
    mode.oldParent = FindOne(rp, state, a.reparent, 0);
    mode.newParent = NameFromPy(a.to);
    return mode;
  }
  if (!a.renameDb.is_none()) {
    mode.kind = RenderMode::kRenameDb;
    for (auto [oldName, newName] : a.renameDb.cast<py::dict>()) mode.dbNames[FromPy(oldName)] = FromPy(newName);
  }
  return mode;
}

py::str RenderWith(const PyRepository& repo, const RenderArgs& a, const std::function<Expr(ARpGateway*)>& exprOf,
                   bool bFormat) {
  const auto run = [&](ARpGateway* rp) {
    const Expr expr = exprOf(rp);
    const RenderMode mode = ModeOf(rp, repo.state, a);
    return ToPy(bFormat ? FormatInMode(expr, rp, mode) : RenderInMode(expr, rp, mode));
  };
  // Display names load bundle strings into the session.
  if (a.bDisplay) {
    WriteGuard g(*repo.state);
    return run(g.rp);
  }
  ReadGuard g(*repo.state);
  return run(g.rp);
}

const char* kModeDoc =
    " Naming: fully_qualified (every level), single_part (the object's own name), by_id (quoted ids), quotes "
    "(every part quoted); by default the last two parts, quoted where needed. display writes presentation "
    "columns by their custom display names in the repository's language. catalog=SUBJECT_AREA writes "
    "references as the presentation columns of that subject area; reparent=OLD_PARENT with to=NEW_NAME writes "
    "the children of OLD_PARENT under the new name; rename_db={OLD: NEW} writes database OLD as NEW.";

}  // namespace

void BindRender(py::module_&, RepositoryClass& repository) {
  const auto def = [&](const char* name, bool bText, bool bFormat, const std::string& doc) {
    repository.def(
        name,
        [bText, bFormat](const PyRepository& repo, py::handle target, py::handle type, bool bQuotes,
                         bool bFullyQualified, bool bSinglePart, bool bByID, bool bDisplay, py::handle catalog,
                         py::handle reparent, py::handle to, py::handle renameDb) {
          const RenderArgs a{bQuotes, bFullyQualified, bSinglePart, bByID, bDisplay, catalog, reparent, to, renameDb};
          const VXString text = bText ? FromPy(target) : VXString();
          const TypeID t = bText || type.is_none() ? 0 : TypeFromPy(type);
          return RenderWith(
              repo, a,
              [&](ARpGateway* rp) {
                if (bText) {
                  try {
                    return ToStringVisitor::ExprFrom(text);
                  } catch (const ExprTextError& e) {
                    Raise(FaultKind::kUsage, std::string("bad expression text: ") + e.what());
                  }
                }
                const Ref<ARpObject> obj = FindOne(rp, repo.state, target, t);
                const std::optional<RpProp> key = ExpressionPropertyOfType(obj->GetTypeID());
                if (!key) {
                  Raise(FaultKind::kUsage,
                        DescribeObject(obj) + " holds no expression; use a LOGICAL COLUMN, JOIN or RP VARIABLE");
                }
                return obj->GetExprProperty(*key);
              },
              bFormat);
        },
        py::arg(bText ? "text" : "target"), py::kw_only(), py::arg("type") = py::none(), py::arg("quotes") = false,
        py::arg("fully_qualified") = false, py::arg("single_part") = false, py::arg("by_id") = false,
        py::arg("display") = false, py::arg("catalog") = py::none(), py::arg("reparent") = py::none(),
        py::arg("to") = py::none(), py::arg("rename_db") = py::none(), doc.c_str());
  };
  def("render", false, false,
      std::string("The expression of an object as logical SQL: a logical column's formula, a complex join's "
                  "condition or a repository variable's initializer; target is an Object, an id or a qualified "
                  "name (with type when several objects bear it).") +
          kModeDoc);
  def("render_format", false, true,
      std::string("The user's format string of an object's expression in the naming mode (the rendering when it "
                  "has none); target as for render.") +
          kModeDoc);
  def("render_text", true, false,
      std::string("Expression text in the expression library's text form (\"Add(S'Price',#2006:12)\") as "
                  "logical SQL; UsageError with the position when the text does not read. type is ignored.") +
          kModeDoc);
}

}  // namespace smutil_python
