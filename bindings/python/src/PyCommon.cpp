#include "PyCommon.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "Metadata/SMNameText.h"
#include "Metadata/SMUtil.h"
#include "Translations/Translations.h"
#include "Utility/VXAssert.h"
#include "objectmodel/RpFile.h"

namespace smutil_python {

// ---- text ----------------------------------------------------------------

py::str ToPy(const VXString& text) {
  // Python's str holds any code point up to U+10FFFF, lone surrogates too;
  // beyond that, as everywhere text is shown, U+FFFD.
  const auto beyond = [](char32_t c) { return c > 0x10FFFF; };
  PyObject* s = nullptr;
  if (std::none_of(text.begin(), text.end(), beyond)) {
    s = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, text.data(), static_cast<Py_ssize_t>(text.size()));
  } else {
    VXString shown = text;
    std::replace_if(shown.begin(), shown.end(), beyond, U'\uFFFD');
    s = PyUnicode_FromKindAndData(PyUnicode_4BYTE_KIND, shown.data(), static_cast<Py_ssize_t>(shown.size()));
  }
  if (!s) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(s);
}

py::str ToPy(const std::string& text) {
  PyObject* s = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
  if (!s) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(s);
}

VXString FromPy(py::handle text) {
  PyObject* o = text.ptr();
  if (!PyUnicode_Check(o)) {
    throw py::type_error(std::string("expected str, not ") + Py_TYPE(o)->tp_name);
  }
  const Py_ssize_t n = PyUnicode_GET_LENGTH(o);
  const int kind = PyUnicode_KIND(o);
  const void* data = PyUnicode_DATA(o);
  VXString out(static_cast<std::size_t>(n), U'\0');
  switch (kind) {
    case PyUnicode_1BYTE_KIND:
      std::copy_n(static_cast<const Py_UCS1*>(data), n, out.begin());
      break;
    case PyUnicode_2BYTE_KIND:
      std::copy_n(static_cast<const Py_UCS2*>(data), n, out.begin());
      break;
    default:
      std::copy_n(static_cast<const Py_UCS4*>(data), n, out.begin());
      break;
  }
  return out;
}

QualifiedName NameFromPy(py::handle name) {
  if (PyUnicode_Check(name.ptr())) return QualifiedNameFromText(FromPy(name));
  if (!py::isinstance<py::sequence>(name)) {
    throw py::type_error("a name is a str (\"Sales\".Orders) or a sequence of its segments");
  }
  QualifiedName q;
  for (py::handle segment : name) q.push_back(FromPy(segment));
  return q;
}

py::list SegmentsToPy(const QualifiedName& segments) {
  py::list out(segments.size());
  for (std::size_t i = 0; i < segments.size(); ++i) out[i] = ToPy(segments[i]);
  return out;
}

// ---- errors --------------------------------------------------------------

[[noreturn]] void Raise(FaultKind kind, std::string message, std::string source, std::uint64_t line,
                        std::uint64_t column) {
  throw Fault{kind, std::move(message), std::move(source), line, column};
}

namespace {

const char* ClassName(FaultKind kind) {
  switch (kind) {
    case FaultKind::kLoad:
      return "LoadError";
    case FaultKind::kWrite:
      return "WriteError";
    case FaultKind::kNotFound:
      return "NotFoundError";
    case FaultKind::kAmbiguous:
      return "AmbiguousError";
    case FaultKind::kUsage:
      return "UsageError";
    case FaultKind::kMove:
      return "MoveError";
    case FaultKind::kTranslation:
      return "TranslationError";
    case FaultKind::kClosed:
      return "ClosedError";
    case FaultKind::kError:
      break;
  }
  return "Error";
}

void SetError(const char* className, const std::string& message, const std::string& source, std::uint64_t line,
              std::uint64_t column) {
  py::object cls = py::module_::import("smutil._errors").attr(className);
  py::object noValue = py::none();
  py::object error = cls(ToPy(message), source.empty() ? noValue : py::object(ToPy(source)),
                         line ? py::object(py::int_(line)) : noValue, column ? py::object(py::int_(column)) : noValue);
  PyErr_SetObject(cls.ptr(), error.ptr());
}

}  // namespace

void RegisterErrors(py::module_&) {
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const Fault& f) {
      SetError(ClassName(f.kind), f.message, f.source, f.line, f.column);
    } catch (const RpFileError& e) {
      SetError("LoadError", e.GetMessage(), e.GetSource(), e.GetLine(), e.GetColumn());
    } catch (const smutil_translations::TranslationError& e) {
      SetError("TranslationError", e.GetMessage(), e.GetSource(), e.GetLine(), e.GetColumn());
    } catch (const VXAssertException& e) {
      // A broken invariant of the library: where it broke, and what.
      SetError("InvariantError", e.GetCondition(), e.GetFile(), static_cast<std::uint64_t>(e.GetLine()), 0);
    }
  });
}

// ---- an open repository --------------------------------------------------

namespace {
[[noreturn]] void RaiseClosed() { Raise(FaultKind::kClosed, "the repository is closed"); }
}  // namespace

ReadGuard::ReadGuard(RepoState& state) : m_lock(state.mu, std::try_to_lock) {
  if (!m_lock.owns_lock()) {
    py::gil_scoped_release nogil;
    m_lock.lock();
  }
  if (!state.rp) RaiseClosed();
  rp = state.rp.get();
}

WriteGuard::WriteGuard(RepoState& state) : m_lock(state.mu, std::try_to_lock) {
  if (!m_lock.owns_lock()) {
    py::gil_scoped_release nogil;
    m_lock.lock();
  }
  if (!state.rp) RaiseClosed();
  rp = state.rp.get();
}

ARpGateway* OpenGateway(RepoState& state) {
  if (!state.rp) RaiseClosed();
  return state.rp.get();
}

Ref<ARpObject> Resolve(ARpGateway* rp, const ObjectHandle& h) {
  Ref<ARpObject> obj = rp->GetObject(h.id);
  if (obj.IsNull())
    Raise(FaultKind::kNotFound, "object " + ToNarrow(h.id.ToString()) + " is no longer in the repository");
  return obj;
}

// ---- types ---------------------------------------------------------------

namespace {

// Members of smutil.ObjectType by number, filled when the enums are made.
std::unordered_map<TypeID, py::object>& TypeMembers() {
  static auto& members = *new std::unordered_map<TypeID, py::object>();
  return members;
}

}  // namespace

py::object TypeToPy(TypeID type) {
  auto& members = TypeMembers();
  if (members.empty()) {
    for (py::handle member : EnumClass("ObjectType")) {
      members.emplace(member.cast<TypeID>(), py::reinterpret_borrow<py::object>(member));
    }
  }
  auto it = members.find(type);
  return it == members.end() ? py::object(py::int_(type)) : it->second;
}

TypeID TypeFromPy(py::handle type) {
  if (PyLong_Check(type.ptr())) {
    const TypeID t = type.cast<TypeID>();
    if (!AMetaClass::FromTypeID(t)) Raise(FaultKind::kUsage, std::to_string(t) + " is not a type id of the catalogue");
    return t;
  }
  if (!PyUnicode_Check(type.ptr())) throw py::type_error("a type is an ObjectType, an int or a type name");
  // "logical table", "LOGICAL_TABLE" and "Logical-Table" name one member.
  std::string word;
  for (char c : type.cast<std::string>()) {
    const bool bBlank = c == ' ' || c == '_' || c == '-' || c == '\t';
    if (bBlank) {
      if (!word.empty() && word.back() != '_') word.push_back('_');
    } else {
      word.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
  }
  if (!word.empty() && word.back() == '_') word.pop_back();
  py::object cls = EnumClass("ObjectType");
  py::dict members = cls.attr("__members__");
  if (!members.contains(word.c_str())) {
    Raise(FaultKind::kUsage,
          "unknown type '" + type.cast<std::string>() + "'; give an ObjectType, such as ObjectType.TABLE");
  }
  return members[word.c_str()].cast<TypeID>();
}

// ---- finding objects -----------------------------------------------------

std::string DescribeObject(const Ref<ARpObject>& obj) {
  std::string type;
  try {
    type = ToNarrow(MetadataUtil::ToTypeName(obj->GetTypeID()));
  } catch (const VXAssertException&) {
    type = std::to_string(obj->GetTypeID());
  }
  return type + " " + ToNarrow(obj->GetID().ToString()) + " " + ToNarrow(MetadataUtil::GenerateQualifiedName(obj));
}

Ref<ARpObject> FindOne(ARpGateway* rp, const StatePtr& state, py::handle name, TypeID type) {
  if (py::isinstance<ObjectHandle>(name)) {
    const ObjectHandle& h = name.cast<const ObjectHandle&>();
    if (h.state != state) Raise(FaultKind::kUsage, "the object belongs to another repository");
    Ref<ARpObject> obj = Resolve(rp, h);
    if (type != 0 && obj->GetTypeID() != type) {
      Raise(FaultKind::kUsage, DescribeObject(obj) + " is not of type " + std::to_string(type));
    }
    return obj;
  }
  RpObjectVector found;
  if (PyUnicode_Check(name.ptr())) {
    found = FindObjectsNamedByText(rp, FromPy(name), type);
  } else {
    const QualifiedName q = NameFromPy(name);
    const TypeIDVector types = type ? TypeIDVector{type} : rp->GetKnownTypes();
    for (TypeID t : types) {
      Ref<ARpObject> obj = MetadataUtil::GetRpObjectFromQualifiedName(rp, t, q);
      if (!obj.IsNull()) found.push_back(obj);
    }
  }
  const std::string text = py::str(name).cast<std::string>();
  if (found.empty()) Raise(FaultKind::kNotFound, "nothing named " + text + " in " + state->source);
  if (found.size() > 1) {
    std::string list;
    for (const Ref<ARpObject>& obj : found) list += "\n  " + DescribeObject(obj);
    Raise(FaultKind::kAmbiguous, "several objects are named " + text + "; give a type or an id:" + list);
  }
  return found.front();
}

}  // namespace smutil_python
