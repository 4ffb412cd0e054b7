// Deletion: which objects a delete takes along, and the hooks a host installs
// to decide part of it, to hear about repositories and to authorize reads.
//
//   RpObjectVector dependents;
//   RpObjectDeleteContext ctx(root);
//   ANetworker::ForType(root->GetTypeID()).GetDeleteDependents(pRp, root, dependents, ctx);
//
// A delete takes along: every contained descendant; the objects that the
// relation table's own rules name (Relation.h); and the candidates that the
// installed HasDeleteDependencyPredicate accepts for each relation tuple the
// deleted objects take part in. The walk repeats for every object taken.
#pragma once

#include <functional>
#include <unordered_set>
#include <utility>
#include <vector>

#include "objectmodel/RpGateway.h"

using SchemaCountVector = std::vector<int>;

// A relationship and the argument position (role) of the deleted object in it.
struct RelationRoleID {
  RelID first;
  int second = 0;
  RelationRoleID() = default;
  RelationRoleID(RelID rel, int role) : first(rel), second(role) {}
};

// Why a dependent goes: the object whose delete took it along and the
// relationship between the two (containment for a contained object).
struct RpDeleteReach {
  VoidID m_obj;
  VoidID m_from;
  RelID m_rel;
};

// The record of one delete: the object deleted first and everything marked.
class RpObjectDeleteContext {
 public:
  explicit RpObjectDeleteContext(const Ref<ARpObject>& root) : m_root(root) {
    if (!root.IsNull()) m_objSet.insert(root.GetID());
  }
  bool IsMarked(const Ref<ARpObject>& obj) const { return !obj.IsNull() && m_objSet.count(obj.GetID()) > 0; }
  bool IsMarked(const VoidID& id) const { return m_objSet.count(id) > 0; }
  // True when newly marked.
  bool Mark(const VoidID& id) { return m_objSet.insert(id).second; }

  Ref<ARpObject> m_root;
  // Hashed, so that marking stays constant time however large the delete.
  std::unordered_set<VoidID, VoidIDHash> m_objSet;
  // One entry per dependent the walk took, in the order taken (the order
  // GetDeleteDependents appends them), so a caller can tell the user what
  // drags each object along.
  std::vector<RpDeleteReach> m_reached;
};

// The decision a host adds to the model's own delete rules.
class HasDeleteDependencyPredicate {
 public:
  virtual ~HasDeleteDependencyPredicate() = default;
  // For a tuple in which parent (being deleted) plays relRoleID.second: true
  // when objects at other positions may be dependents, whose positions are
  // appended to candidateDeleteDependentArgs.
  virtual bool HasPossibleDeleteDependencies(RpObjectDeleteContext& context, const Ref<ARpObject>& parent,
                                             const RelationRoleID& relRoleID,
                                             SchemaCountVector& candidateDeleteDependentArgs) const = 0;
  // Whether the candidate at iArg goes with parent.
  virtual bool IsDeleteDependent(RpObjectDeleteContext& context, const Ref<ARpObject>& parent,
                                 const RelationRoleID& relRoleID, int iArg,
                                 const Ref<ARpObject>& candidateChild) const = 0;
};

class ANetworker {
 public:
  // The predicate consulted on every delete (null: only the model's rules).
  static const HasDeleteDependencyPredicate* global_specialDeleteDependencyPredicate;

  // The networker of a type (one shared walker serves every type).
  static ANetworker& ForType(TypeID typeID);
  // Appends to children every object that deleting parent takes along, in
  // the order found (parents before what they drag along), parent itself
  // excluded. Marks them in context. Nothing is deleted.
  void GetDeleteDependents(ARpGateway* pRp, const Ref<ARpObject>& parent, RpObjectVector& children,
                           RpObjectDeleteContext& context) const;
};

namespace Authorization {
// The hook a host installs to add its own read check (for example a check
// against an external security service). Called only for objects the
// repository's own rules let the user read; false denies.
using ExternalAuthorizationHook = std::function<bool(ARpGateway* pRp, const Ref<ARpObject>& obj)>;
extern ExternalAuthorizationHook g_externalAuthorizationHook;

// True when the current user may read the object: it exists, neither it nor
// any container is denied to the user, and the external hook (if any)
// agrees.
bool IsAuthorizedToRead(ARpGateway* pRp, const VoidID& id);
// The same for a live object of pRp in hand (no probe by id).
bool IsAuthorizedToRead(ARpGateway* pRp, ARpObject& obj);
}  // namespace Authorization

// The repository manager: tells registered sinks about repositories that
// are opened (inserted) and closed, in the order of their notification order.
class RpMgr {
 public:
  enum InsertRpOptions : int { kRPNone = 0, kRPOffline = 32 };
  enum NotificationOrder : int { kRpVarMgrCreator = 10, kProcessDimensionCache = 30 };

  class Notifications {
   public:
    virtual ~Notifications() = default;
    virtual void newRPCreated(ARpGateway& gateway, InsertRpOptions options) = 0;
    virtual void rpClosed(ARpGateway& gateway) = 0;
  };

  // Registers a sink (the caller keeps it alive until stopNotify). Sinks
  // of equal order are told in registration order.
  static void startNotify(Notifications* sink, int order);
  static void stopNotify(Notifications* sink);
  static bool IsRegistered(const Notifications* sink);
  // Announce a repository that was opened, or is about to be closed. A
  // gateway announced and never closed announces its close when it is
  // destroyed (CloseIfOpen).
  static void InsertRp(ARpGateway& gateway, InsertRpOptions options);
  static void CloseRp(ARpGateway& gateway);
  static bool IsOpen(const ARpGateway& gateway);
  static void CloseIfOpen(ARpGateway& gateway);
};
