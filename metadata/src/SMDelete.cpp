// Delete dependencies: the predicate the library installs in the object model
// and the listing of what a delete would take along.
#include "Metadata/SMUtil.h"
#include "Metadata/VXSModelDependencyChecker.h"
#include "Utility/VXAssert.h"
#include "objectmodel/Interfaces.h"

namespace {
constexpr const char* kSrc = "server/Metadata/Src/SMDelete.cpp";

// The object model's system numbers of the relationships decided here.
enum DependencyRelationship : int {
  kComplexJoin = 40,
  kForeignKeyReference = 41,
  kLevelParentLink = 109,
  kPresentationHierarchyDimension = 111,
  kKeyColumn = 329,
};

bool Appends(SchemaCountVector& args, int position) {
  args.push_back(position);
  return true;
}

// Relationship 109 seen from the role (argument 1): a level goes with a
// role that may link many levels only when the role is its last parent link.
bool IsLevelOrphanedByRole(const Ref<ARpObject>& parent, const Ref<ARpObject>& candidateChild) {
  Ref<ARole> parentRole;
  if (!QueryInterface(parent, parentRole)) {
    VXAssert::handleAssert(kSrc, __LINE__, "QueryInterface(parent, parentRole)");
  }
  const Multiplicity multiplicity = parentRole->GetMultiplicity();
  const AMetaClass* metaClass = candidateChild.IsNull() ? nullptr : candidateChild->GetMetaClass();
  if (!metaClass || metaClass->GetTypeID() != kTIDALevel) return false;
  if (!multiplicity.CheckCardinality(2)) return false;
  return Ref<ALevel>(candidateChild)->GetParentLinks().Size() < 2;
}
}  // namespace

bool VXSModelDependencyChecker::HasPossibleDeleteDependencies(RpObjectDeleteContext&, const Ref<ARpObject>&,
                                                              const RelationRoleID& relRoleID,
                                                              SchemaCountVector& candidateDeleteDependentArgs) const {
  const int role = relRoleID.second;
  switch (relRoleID.first.GetInternalSystemRelationshipID()) {
    case kComplexJoin:
      return (role == 0 || role == 1) && Appends(candidateDeleteDependentArgs, 2);
    case kForeignKeyReference:
      return role == 1 && Appends(candidateDeleteDependentArgs, 2);
    case kLevelParentLink:
      if (role == 0) return Appends(candidateDeleteDependentArgs, 1);
      if (role == 1) return Appends(candidateDeleteDependentArgs, 0);
      VXAssert::handleLogicError(kSrc, __LINE__, "relRoleID.second == 1");
    case kPresentationHierarchyDimension:
      return role == 1 && Appends(candidateDeleteDependentArgs, 0);
    case kKeyColumn:
      return role == 0 && Appends(candidateDeleteDependentArgs, 1);
    default:
      return false;
  }
}

bool VXSModelDependencyChecker::IsDeleteDependent(RpObjectDeleteContext& context, const Ref<ARpObject>& parent,
                                                  const RelationRoleID& relRoleID, int iArg,
                                                  const Ref<ARpObject>& candidateChild) const {
  const int role = relRoleID.second;
  switch (relRoleID.first.GetInternalSystemRelationshipID()) {
    case kComplexJoin:
      if (!(!(relRoleID.second == 1 || relRoleID.second == 0) || iArg == 2)) {
        VXAssert::handleAssert(kSrc, __LINE__, "!(relRoleID.second == 1 || relRoleID.second == 0) || iArg == 2");
      }
      return role == 0 || role == 1;
    case kForeignKeyReference:
      if (!(relRoleID.second != 1 || iArg == 2)) {
        VXAssert::handleAssert(kSrc, __LINE__, "relRoleID.second != 1 || iArg == 2");
      }
      return role == 1;
    case kPresentationHierarchyDimension:
      if (!(relRoleID.second != 1 || iArg == 0)) {
        VXAssert::handleAssert(kSrc, __LINE__, "relRoleID.second != 1 || iArg == 0");
      }
      return role == 1;
    case kLevelParentLink:
      if (role == 0) return true;
      if (role == 1) return IsLevelOrphanedByRole(parent, candidateChild);
      VXAssert::handleLogicError(kSrc, __LINE__, "relRoleID.second == 1");
    case kKeyColumn:
      // A key whose container goes anyway is taken by containment instead.
      return role == 0 && !candidateChild.IsNull() && !context.IsMarked(candidateChild->GetParentObject());
    default:
      return false;
  }
}

// ---- registration ---------------------------------------------------------------

namespace {
// Installs the one checker when the shared library is loaded and takes it
// out again when it is unloaded, so the model never calls into a library
// that has gone.
class DependencyCheckerRegistration {
 public:
  DependencyCheckerRegistration() { ANetworker::global_specialDeleteDependencyPredicate = &Checker(); }
  ~DependencyCheckerRegistration() {
    if (ANetworker::global_specialDeleteDependencyPredicate == &Checker()) {
      ANetworker::global_specialDeleteDependencyPredicate = nullptr;
    }
  }
  DependencyCheckerRegistration(const DependencyCheckerRegistration&) = delete;
  DependencyCheckerRegistration& operator=(const DependencyCheckerRegistration&) = delete;

 private:
  static const VXSModelDependencyChecker& Checker() {
    static const VXSModelDependencyChecker checker;
    return checker;
  }
};
const DependencyCheckerRegistration g_dependencyCheckerRegistration;
}  // namespace

// ---- what a delete takes along --------------------------------------------------

namespace {
// The model's walk from parent with a fresh context; children is emptied
// first and stays empty for a handle that names nothing.
void WalkDeleteDependents(const Ref<ARpObject>& parent, RpObjectVector& children, std::vector<RpDeleteReach>* reached) {
  children.clear();
  if (reached) reached->clear();
  if (parent.IsNull()) return;
  RpObjectDeleteContext context(parent);
  ANetworker::ForType(parent->GetTypeID()).GetDeleteDependents(parent.GetGateway(), parent, children, context);
  if (reached) *reached = std::move(context.m_reached);
}
}  // namespace

void MetadataUtil::GetDeleteDescendants(const Ref<ARpObject>& parent, RpObjectVector& children) {
  WalkDeleteDependents(parent, children, nullptr);
}

void MetadataUtil::GetDeleteDescendants(const Ref<ARpObject>& parent, std::vector<DeleteDescendant>& descendants) {
  descendants.clear();
  RpObjectVector children;
  std::vector<RpDeleteReach> reached;
  WalkDeleteDependents(parent, children, &reached);
  if (parent.IsNull()) return;
  ARpGateway* pRp = parent.GetGateway();
  descendants.reserve(children.size());
  for (std::size_t i = 0; i < children.size() && i < reached.size(); ++i) {
    const RpRel::RelationInfo* info = RpRel::GetRelationInfo(reached[i].m_rel);
    descendants.push_back(
        DeleteDescendant{children[i], pRp->GetObject(reached[i].m_from), reached[i].m_rel, info ? info->m_name : ""});
  }
}
