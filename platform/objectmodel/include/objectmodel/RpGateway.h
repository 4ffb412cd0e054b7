// ARpGateway: an open, in-memory repository. It owns its objects, indexes
// them by id, by type and by (type, case-folded name or former name), keeps
// the relation tuples and numbered data blobs, and holds the state of the
// session that uses it (an RpSession: session variables, current user, read
// authorization, default subject area), answering for it.
//
// The gateway is a façade: the repository's rules live in the model behind
// it (objects, containment and lookups; the name indexes; the relation
// tuples; the data blobs, each a class of its own in src/), the session's
// in RpSession.
//
//   ARpGateway rp;
//   Ref<ARpObject> db = rp.CreateObject(kTIDADatabase, U"Sales");
//   Ref<ARpObject> t = rp.CreateObject(kTIDATable, U"Orders", db.GetID());
//   VoidIDVector ids;
//   rp.LookupObjects(TypedObjectNameCondition(kTIDATable, U"orders", false), ids);
//
// Sessions: the objects, names, relations and indexes are the repository,
// read by every session opened on it; a session is a gateway of its own
// (OpenSession) that holds only its user, read denials, session variables
// and defaults, so a server keeps one repository for all its users. The
// gateway that made the repository is a session too, the repository's own.
// Handles name the objects' own gateway, whichever session found them; what
// depends on the session (read denials, variables, defaults) is asked of the
// gateway that an operation is given.
//
//   std::shared_ptr<ARpGateway> repository = RpFile::Load(path);
//   std::unique_ptr<ARpGateway> alice = ARpGateway::OpenSession(repository);
//   alice->DenyRead(payrollID);   // the others still read it
//
// Threads: any number of threads may read at once, each through a session
// of its own or sharing one: lookups, handles, names, relations, session
// reads; session variables may also be set meanwhile, as display names do
// when they load bundle strings (see RpSession). A session's user, denials
// and defaults are set before it serves readers. Changes to the objects
// need every session of the repository idle; a server that edits while it
// serves publishes versions instead (RpPublisher): the writer edits a copy
// (CopyRepository) and publishes it whole, and each session moves to it
// between calls (SwitchRepository), so that a reader sees a version before
// an edit or after it, never in between, and keeps the version it started
// with until its call returns. Handles count atomically, so they may be
// dropped anywhere; a handle that outlives its version names nothing.
// Readers write nothing that the repository holds: its indexes are built
// whole when it is loaded or edited, and handles count apart from the
// objects (see Ref.h), so that threads on several cores do not pass the
// objects' cache lines between them.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Utility/SUHugePages.h"
#include "objectmodel/Condition.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/ObjectHashIndex.h"
#include "objectmodel/ObjectIDIndex.h"
#include "objectmodel/PropertyValue.h"
#include "objectmodel/RpSession.h"
#include "objectmodel/TupleListIndex.h"

class RpModel;

class ARpGateway {
 public:
  // 0 not known, 1 a repository opened by the server, 2 a repository opened
  // offline by an administration tool, 3 a remote (client) view.
  enum GatewayType : int { kUnknownGateway = 0, kServerGateway = 1, kOfflineGateway = 2, kClientGateway = 3 };
  // Numbers of the data blobs the model itself knows.
  enum DataBlobNumber : int { kCredentialsBlob = 1, kScriptKeyBlob = 15 };

  ARpGateway();
  ~ARpGateway();
  ARpGateway(const ARpGateway&) = delete;
  ARpGateway& operator=(const ARpGateway&) = delete;

  // ---- objects -------------------------------------------------------------
  // Creates an object of a catalogue type under parent (null: top level).
  // With a null requested id the gateway numbers it. An unknown type, an id
  // already taken, an id of another type or a parent the type may not have
  // is a logic error.
  Ref<ARpObject> CreateObject(TypeID type, VXString name, const VoidID& parent = VoidID::NullID,
                              const VoidID& requestedID = VoidID::NullID);
  Ref<ARpObject> GetObject(const VoidID& id);
  // The objects for ids, in order; ids that do not resolve give null handles
  // so positions stay aligned with ids.
  void GetObjects(const VoidIDVector& ids, RpObjectVector& objects);
  // The ids of all objects the condition accepts, in creation order within
  // each type, types in the order of the condition's hint (or of first
  // creation when it gives none). objIDs is emptied first.
  void LookupObjects(const ACondition& condition, VoidIDVector& objIDs);
  // The same objects in the same order, for a caller that goes on to read
  // them (no second probe by id). objects is emptied first.
  void LookupObjects(const ACondition& condition, std::vector<ARpObject*>& objects);
  // Children of parent of one type (all types for 0) whose name or former
  // name equals name without regard to case; the fast path for resolving a
  // qualified name level by level. Appends to out.
  void FindChildrenByName(const VoidID& parent, TypeID type, const VXString& name, VoidIDVector& out);
  // Children of parent (null: the top-level objects) whose own name is
  // exactly name (case counts; former names do not), in no particular order.
  // One hash probe however many objects share the name. Appends to out.
  void FindChildrenByExactName(const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) const;
  // The same for names equal to name without regard to case, NUL characters
  // left out (as in written names).
  void FindChildrenByNameNoCase(const ARpObject* parent, const VXString& name, std::vector<ARpObject*>& out) const;
  // Whether some live object has an empty name (such a level drops out of
  // the written qualified names below it).
  bool HasEmptyNamedObjects() const;
  // Unique to this gateway and the repository version it reads, for the
  // life of the process (an address may be reused by a later gateway; this
  // number is not).
  std::uint64_t GetInstanceID() const { return m_instanceID; }
  // Moves on whenever a written name may change: an object created,
  // renamed, moved or deleted. With GetInstanceID it lets a caller keep
  // names derived from the repository between calls.
  std::uint64_t GetNamingRevision() const;
  // Renames an object; with bKeepOldAsAlias the former name is recorded
  // among its aliases (unless it only changed case or is already there).
  bool RenameObject(const VoidID& id, const VXString& newName, bool bKeepOldAsAlias = true);
  bool AddAlias(const VoidID& id, const VXString& alias);
  // Deletes the object. With bCascade the objects that cannot live without
  // it (its delete dependents, see ANetworker) go too; without, its children
  // are left without parent. Every index and relation forgets the deleted
  // objects and their handles resolve to nothing. False when id names none.
  // Their memory goes now when no handle onto any object of the repository
  // is held, else with the repository (a handle keeps it until then). Read
  // denials of the deleted ids stay in every session (see RpGateway.cpp).
  bool DeleteObject(const VoidID& id, bool bCascade = true);
  std::size_t GetObjectCount() const;
  // Every live object's id of one type, in creation order.
  void GetObjectIDsOfType(TypeID type, VoidIDVector& ids) const;
  // Types that have had objects, in order of first creation.
  const TypeIDVector& GetKnownTypes() const;

  // ---- relations -----------------------------------------------------------
  static constexpr std::uint32_t kNoTuple = 0xFFFFFFFFu;
  // What InsertTuple answers for a containment link (kept in the objects).
  static constexpr std::uint32_t kContainmentTuple = 0xFFFFFFFEu;
  struct RelTuple {
    RelID m_rel;
    VoidIDVector m_args;
  };
  // Inserts a tuple (all args must resolve; arity must match the relation's).
  // Containment tuples (parent, child) move the child. Returns the handle or
  // kNoTuple when refused. An existing identical tuple is not doubled.
  std::uint32_t InsertTuple(RelID rel, const VoidIDVector& args);
  // Inserts tuples in order, as InsertTuple one by one would, and answers
  // the position of the first one refused (those before it are in) or
  // tuples.size(). The tuples inserted may be moved from; the refused one
  // and those after it are left as they were. Into a gateway that never had
  // tuples, the tuples up to the first containment link or refusal go in as
  // one batch: sorted by object, each object's list is made once at its full
  // length, instead of a map probe and a list append for every argument.
  std::size_t InsertTuples(std::vector<RelTuple>& tuples);

  // ---- loading -------------------------------------------------------------
  // A whole repository as a loader hands it over, to be built in one go:
  // objects in creation order, each with the index of its parent among them,
  // and their names in the same order; the children (indexes), each
  // parent's together and in their order; former names, each object's in
  // their order; tuples (repeats are dropped, the first kept).
  struct LoadBatch {
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;
    struct Object {
      VoidID m_id;
      std::uint32_t m_parent = kNoParent;
    };
    struct Alias {
      std::uint32_t m_object;
      VXString m_text;
    };
    SUHugePages::Vector<Object> m_objects;
    SUHugePages::Vector<VXString> m_names;
    SUHugePages::Vector<std::uint32_t> m_children;
    std::vector<Alias> m_aliases;
    std::vector<RelTuple> m_tuples;
  };
  // Builds the batch into a gateway that has no objects and no tuples, and
  // answers the objects made, in batch order; the name and tuple indexes
  // are built once, at the end. The loader has checked the batch: ids unique
  // and of catalogue types, parents allowed and without cycles, aliases not
  // empty nor repeated on one object, tuple arguments present, arities
  // right, no containment tuple. What breaks that and is seen is a logic
  // error. The names, aliases and tuples are moved from.
  SUHugePages::Vector<ARpObject*> Load(LoadBatch& batch);
  bool EraseTuple(RelID rel, const VoidIDVector& args);
  bool EraseTuple(std::uint32_t handle);
  // Moves a tuple delta places in the order that its sorted argument's
  // object sees (negative: up). False when it cannot move.
  bool MoveTuple(RelID rel, const VoidIDVector& args, int delta);
  bool MoveTupleByHandle(std::uint32_t handle, std::ptrdiff_t delta);
  // Handles of rel's tuples where anchor stands at an argument in anchorArgMask
  // (bit i: argument i), in the anchor's order.
  void FindTuples(const VoidID& anchor, RelID rel, std::uint32_t anchorArgMask, std::vector<std::uint32_t>& out) const;
  const RelTuple* GetTuple(std::uint32_t handle) const;
  // Whether a tuple of rel matches args (VoidID::NullID matches anything).
  bool HasTuple(RelID rel, const VoidIDVector& args) const;
  // Every tuple in which id takes part (any relation), in its order.
  void FindTuplesOf(const VoidID& id, std::vector<std::uint32_t>& out) const;
  // Moves child under newParent (null: detach) at the end of its children.
  // A parent type that the parent table does not allow is a logic error.
  void SetObjectParent(ARpObject* child, ARpObject* newParent);
  // Moves a child delta places among its parent's children (negative: up).
  bool MoveChild(const VoidID& child, std::ptrdiff_t delta);

  // ---- sessions and versions -------------------------------------------------
  // A new session on the objects of repository (not a copy; a session
  // opened on a session shares that session's repository). It starts with
  // no user, denials, variables or defaults, and keeps the repository alive.
  static std::unique_ptr<ARpGateway> OpenSession(std::shared_ptr<ARpGateway> repository);
  // The gateway whose objects this one reads: itself, or the repository a
  // session was opened on.
  ARpGateway& GetRepository();
  // A copy of the repository this gateway reads, as a repository of its own:
  // every object with its id, names, former names and properties, children
  // and relations in their order, the data blobs, the type and logical name.
  // The copy's session starts empty. What a writer edits before it
  // publishes the copy as the next version.
  std::unique_ptr<ARpGateway> CopyRepository() const;
  // Makes a session opened by OpenSession read repository instead (a later
  // version of its repository), keeping the session's state. Only between
  // calls: nothing may be reading through the session meanwhile. A logic
  // error on a gateway that owns its objects.
  void SwitchRepository(std::shared_ptr<ARpGateway> repository);

  // ---- session -------------------------------------------------------------
  // The session's state; the calls below answer from it.
  RpSession& GetSession() { return m_session; }
  const RpSession& GetSession() const { return m_session; }
  // A session variable by (block, name); names compare without regard to
  // case. Block global_SessionBlockWildcard finds the name in any block.
  bool GetSessionVariableValue(const std::pair<VXString, VXString>& blockAndName, Heap<PropertyValue>& value) const {
    return m_session.GetVariable(blockAndName, value);
  }
  // Sets (or, with a null value, removes) a session variable. With
  // bOverwrite false an existing value is kept and false returned.
  bool SetSessionVariableValue(const std::pair<VXString, VXString>& blockAndName, Heap<PropertyValue> value,
                               bool bOverwrite = true) {
    return m_session.SetVariable(blockAndName, std::move(value), bOverwrite);
  }
  void ClearSessionVariables() { m_session.ClearVariables(); }

  void SetCurrentUser(const VXString& user, const VXString& password) { m_session.SetCurrentUser(user, password); }
  const VXString& GetCurrentUserName() const { return m_session.GetCurrentUserName(); }
  const VXString& GetCurrentUserPassword() const { return m_session.GetCurrentUserPassword(); }

  // Read authorization of the current user: objects denied (and everything
  // below them). Empty: the user may read everything.
  void DenyRead(const VoidID& id) { m_session.DenyRead(id); }
  void AllowRead(const VoidID& id) { m_session.AllowRead(id); }
  void ClearReadDenials() { m_session.ClearReadDenials(); }
  bool IsReadDenied(const VoidID& id) const;
  // The same for an object in hand.
  bool IsReadDenied(const ARpObject& obj) const;

  // The session's default subject area and catalog (see RpSession).
  VXString GetDefaultSubjectAreaName(bool bCatalogSpecified) const {
    return m_session.GetDefaultSubjectAreaName(bCatalogSpecified);
  }
  void SetDefaultSubjectAreaName(const VXString& name) { m_session.SetDefaultSubjectAreaName(name); }
  void SetDefaultSubjectAreaAppliesWhenCatalogSpecified(bool b) { m_session.SetDefaultAppliesWhenCatalogSpecified(b); }
  VXString GetDefaultCatalogName(bool bCatalogSpecified) const {
    return m_session.GetDefaultCatalogName(bCatalogSpecified);
  }
  void SetDefaultCatalogName(const VXString& name) { m_session.SetDefaultCatalogName(name); }
  // Makes the repository's user of that name (any case) the current user
  // and takes its read authorization from the repository: the objects its
  // read denials (relationship 51) name. False, and nothing changed, when no
  // user bears the name.
  bool SignOnAs(const VXString& userName);

  // Numbered data blobs of the repository.
  bool GetDataBlob(int number, ByteVector& bytes) const;
  void SetDataBlob(int number, const ByteVector& bytes);
  // Every data blob, by number (repository files save them all).
  const std::map<int, ByteVector>& GetDataBlobs() const;
  // Writes the credentials blob (1): user name, then password, as strings.
  void SetRepositoryCredentials(const VXString& user, const VXString& password);
  // Writes the script-key blob (15): a label, then the key bytes as a string
  // of one character (0 to 255) per byte.
  void SetScriptKey(const VXString& label, const ByteVector& key);

  int GetGatewayType() const;
  void SetGatewayType(int type);
  // The repository's logical name (as the server configuration lists it).
  const VXString& GetLogicalName() const;
  void SetLogicalName(const VXString& name);

 private:
  friend class RefHelper;

  // A session on repository (see OpenSession).
  explicit ARpGateway(std::shared_ptr<ARpGateway> repository);
  ARpObject* Find(const VoidID& id) const;

  // A repository owns its model; a session reads its repository's and holds
  // the repository, so that the objects' gateway outlives the session.
  std::unique_ptr<RpModel> m_ownModel;
  RpModel* m_model;
  std::shared_ptr<ARpGateway> m_repository;
  std::uint64_t m_instanceID;
  RpSession m_session;
};

// The objects an expression refers to: the expression collects the ids, the
// model turns them into handles (ids that do not resolve are left out).
template <class Gateway, class ObjectVector>
void Expr::GetObjectsInExpr(Gateway* pRp, ObjectVector& objects, bool bUnique) const {
  VoidIDVector ids;
  GetObjectIDsInExpr(ids, bUnique);
  for (const VoidID& id : ids) {
    auto obj = pRp->GetObject(id);
    if (!obj.IsNull()) objects.push_back(obj);
  }
}
