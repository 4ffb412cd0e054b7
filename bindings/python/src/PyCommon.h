// What the parts of the Python module share: text conversion, the errors
// raised to Python, an open repository with its lock, and object handles.
//
// Threads. Python threads may share one Repository. Reads (lookups, names,
// resolving without a user, checks, saving, dictionary paths) take the
// repository's lock shared and run at once; calls that change the
// repository or its session (moving, resolving as a user, display names,
// which load bundle strings into the session, the site, a language) take it
// alone. Long calls release the GIL before they wait for the lock; short
// ones keep it unless the lock is taken: no thread ever waits for the lock
// while it holds the GIL, so the two cannot deadlock.
#pragma once

#include <pybind11/pybind11.h>

#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

#include "Metadata/SMLookupCondition.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"
#include "objectmodel/RpGateway.h"

namespace py = pybind11;

namespace smutil_python {

// ---- text ----------------------------------------------------------------

py::str ToPy(const VXString& text);
py::str ToPy(const std::string& text);
// A Python str as wide text; TypeError for anything else.
VXString FromPy(py::handle text);
// A name given as typed text ("Sales".Orders) or as its segments.
QualifiedName NameFromPy(py::handle name);
py::list SegmentsToPy(const QualifiedName& segments);

// ---- errors --------------------------------------------------------------

// The classes of smutil._errors; each carries a message and, where there is
// one, the source, line and column.
enum class FaultKind { kError, kLoad, kWrite, kNotFound, kAmbiguous, kUsage, kMove, kTranslation, kClosed };

struct Fault {
  FaultKind kind;
  std::string message;
  std::string source;
  std::uint64_t line = 0;
  std::uint64_t column = 0;
};

// Throws a Fault, turned into the Python class of its kind.
[[noreturn]] void Raise(FaultKind kind, std::string message, std::string source = std::string(), std::uint64_t line = 0,
                        std::uint64_t column = 0);
// Registers the translation of Fault and of the library's exceptions.
void RegisterErrors(py::module_& m);

// ---- an open repository --------------------------------------------------

struct RepoState {
  std::unique_ptr<ARpGateway> rp;  // null once closed
  std::shared_mutex mu;
  std::string source;  // the file it was loaded from
  VXString language;   // the session's language for bundle strings
};
using StatePtr = std::shared_ptr<RepoState>;

// The lock taken by a call that keeps the GIL: when another thread holds the
// lock, the GIL is released while waiting. Raises ClosedError on a closed
// repository.
class ReadGuard {
 public:
  explicit ReadGuard(RepoState& state);
  ARpGateway* rp;

 private:
  std::shared_lock<std::shared_mutex> m_lock;
};
class WriteGuard {
 public:
  explicit WriteGuard(RepoState& state);
  ARpGateway* rp;

 private:
  std::unique_lock<std::shared_mutex> m_lock;
};
// For calls that have released the GIL already.
ARpGateway* OpenGateway(RepoState& state);

// smutil.Repository.
struct PyRepository {
  StatePtr state;
};

// An object of a repository, held by id: it keeps the repository alive,
// never the object itself, so a closed or changed repository is noticed on
// the next access.
struct ObjectHandle {
  StatePtr state;
  VoidID id;
};
// The live object of a handle; NotFoundError once it has been deleted.
Ref<ARpObject> Resolve(ARpGateway* rp, const ObjectHandle& h);

// A TypeID as smutil.ObjectType (a plain int for a type without a name).
py::object TypeToPy(TypeID type);
// An ObjectType, an int or a type name ("LOGICAL TABLE", "logical_table");
// UsageError for anything else.
TypeID TypeFromPy(py::handle type);

// The one object name stands for (an Object, an id "3001:12" or a
// qualified name, of type when type is not 0); NotFoundError or
// AmbiguousError otherwise.
Ref<ARpObject> FindOne(ARpGateway* rp, const StatePtr& state, py::handle name, TypeID type);
// "TABLE 3001:12 "Sales DW".""."dbo"."W_ORDERS_F"" for messages.
std::string DescribeObject(const Ref<ARpObject>& obj);

// smutil.NamePair: a qualified name with the id of the object it names.
struct PyNamePair {
  QualifiedName segments;
  VoidID id;
};
py::list PairsToPy(const QualifiedNameIDPairVector& pairs);

// ---- parts of the module -------------------------------------------------

void BindEnums(py::module_& m);
void BindNames(py::module_& m);
using RepositoryClass = py::class_<PyRepository>;
void BindRepository(py::module_& m, RepositoryClass& repository);
void BindResolve(py::module_& m, RepositoryClass& repository);
void BindRender(py::module_& m, RepositoryClass& repository);
void BindHost(py::module_& m, RepositoryClass& repository);
void BindSql(py::module_& m, RepositoryClass& repository);

// The enum classes made at import (smutil.Outcome, ...).
py::object EnumClass(const char* name);
// Makes smutil.<name>, an enum.IntEnum of (NAME, value) members.
void MakeEnum(py::module_& m, const char* name, const py::list& members, const char* doc);

}  // namespace smutil_python
