// RpModel: what a gateway's repository is made of, apart from the session
// that reads it: the objects (owned here, found by id and by type),
// containment, creation and deletion, lookups by condition, and beside them
// the name indexes (RpNameIndex), the relation tuples (RpTupleStore) and
// the data blobs (RpDataBlobs). ARpGateway is the façade that callers use;
// every rule of the repository lives here or in those three.
#pragma once

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "RpDataBlobs.h"
#include "RpNameIndex.h"
#include "RpTupleStore.h"
#include "objectmodel/Condition.h"
#include "objectmodel/ObjectIDIndex.h"
#include "objectmodel/RpGateway.h"

class ObjectKeeper;
struct RpTypeInfo;

class RpModel {
 public:
  using RelTuple = ARpGateway::RelTuple;

  // Objects name home as their gateway.
  explicit RpModel(ARpGateway& home);
  // Objects still held by handles stay as tombstones until their last
  // handle goes; everything else is freed now.
  ~RpModel();
  RpModel(const RpModel&) = delete;
  RpModel& operator=(const RpModel&) = delete;

  ARpObject* Find(const VoidID& id) const { return m_byID.Find(id); }
  // Fills to, an empty model, with a copy of this one: the same objects
  // (ids, names, former names, properties), types and objects in the same
  // order, children and tuples in the same order, the same blobs. Reads
  // this model only, so sessions may go on reading it meanwhile.
  void CopyInto(RpModel& to) const;

  // ---- objects -------------------------------------------------------------
  Ref<ARpObject> CreateObject(TypeID type, VXString name, const VoidID& parent, const VoidID& requestedID);
  void LookupObjects(const ACondition& condition, std::vector<ARpObject*>& objects) const;
  void FindChildrenByName(const VoidID& parent, TypeID type, const VXString& name, VoidIDVector& out) const;
  const RpNameIndex& Names() const { return m_names; }
  bool HasEmptyNamedObjects() const { return m_emptyNamed != 0; }
  std::uint64_t GetNamingRevision() const { return m_namingRevision; }
  bool RenameObject(const VoidID& id, const VXString& newName, bool bKeepOldAsAlias);
  bool AddAlias(const VoidID& id, const VXString& alias);
  // Deletes the object (and with bCascade its delete dependents); removed
  // gets the ids of the objects that went.
  bool DeleteObject(const VoidID& id, bool bCascade, VoidIDVector& removed);
  std::size_t GetObjectCount() const { return m_byID.Size(); }
  void GetObjectIDsOfType(TypeID type, VoidIDVector& ids) const;
  const TypeIDVector& GetKnownTypes() const { return m_typeOrder; }

  // ---- containment and relations -------------------------------------------
  void SetObjectParent(ARpObject* child, ARpObject* newParent);
  bool MoveChild(const VoidID& child, std::ptrdiff_t delta);
  std::uint32_t InsertTuple(RelID rel, const VoidIDVector& args);
  std::size_t InsertTuples(std::vector<RelTuple>& tuples);
  SUHugePages::Vector<ARpObject*> Load(ARpGateway::LoadBatch& batch);
  bool EraseTuple(RelID rel, const VoidIDVector& args);
  bool HasTuple(RelID rel, const VoidIDVector& args) const;
  bool MoveTuple(RelID rel, const VoidIDVector& args, int delta);
  RpTupleStore& Tuples() { return m_tuples; }
  const RpTupleStore& Tuples() const { return m_tuples; }

  // ---- the rest ------------------------------------------------------------
  RpDataBlobs& Blobs() { return m_blobs; }
  const RpDataBlobs& Blobs() const { return m_blobs; }
  int GetGatewayType() const { return m_gatewayType; }
  void SetGatewayType(int type) { m_gatewayType = type; }
  const VXString& GetLogicalName() const { return m_logicalName; }
  void SetLogicalName(const VXString& name) { m_logicalName = name; }

 private:
  struct TypeIndex {
    SUHugePages::Vector<ARpObject*> m_slots;  // creation order; null where deleted
    std::size_t m_dead = 0;
  };

  // Links child under newParent (null: top level) in the containment lists
  // only; the caller keeps the (parent, name) index right.
  static void LinkParent(ARpObject* child, ARpObject* newParent);
  // Empties child's slot among parent's children (constant time; the slots
  // are closed up once half of them are empty), and closes them up.
  static void DropChildSlot(ARpObject* parent, ARpObject* child);
  static void CompactChildren(ARpObject* parent);
  // Adds alias to p's aliases and the name index unless p already has it.
  bool AppendAlias(ARpObject* p, const VXString& alias);
  void AddToTypeIndex(ARpObject* obj);
  void RemoveFromTypeIndex(ARpObject* obj);
  void RemoveOne(ARpObject* obj, VoidIDVector& removed);
  ARpObject* NewObject(const RpTypeInfo& info, const VoidID& id);
  void CollectCandidates(const LookupHint& hint, std::vector<ARpObject*>& out) const;
  // The objects a hint's path can name, found level by level through the
  // (parent, name) index; false when the index cannot tell (see there).
  bool CollectOnPath(const LookupHint& hint, std::vector<ARpObject*>& out) const;

  ARpGateway& m_home;
  ObjectIDIndex m_byID;
  std::unordered_map<TypeID, TypeIndex> m_byType;
  TypeIDVector m_typeOrder;
  RpNameIndex m_names;
  std::size_t m_emptyNamed = 0;
  // Keeps the objects' storage while the model or a handle lives; loaded
  // objects are made in its pool.
  ObjectKeeper* m_keeper;
  std::uint64_t m_namingRevision = 0;
  std::unordered_map<TypeID, std::uint32_t> m_nextNum;
  // Load's records of the type it saw last (values of the
  // maps above, which never move).
  struct LastType {
    TypeID m_type = 0;
    const RpTypeInfo* m_info = nullptr;
    std::uint32_t* m_next = nullptr;
    TypeIndex* m_index = nullptr;
  };
  LastType m_lastType;

  RpTupleStore m_tuples;
  RpDataBlobs m_blobs;
  int m_gatewayType = ARpGateway::kServerGateway;
  VXString m_logicalName;
};
