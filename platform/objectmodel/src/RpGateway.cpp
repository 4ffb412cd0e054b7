// The gateway answers from its model and its session; the rules are theirs.
#include "objectmodel/RpGateway.h"

#include <atomic>

#include "RpModel.h"
#include "objectmodel/Networker.h"

namespace {
constexpr const char* kSrc = "server/objectmodel/RpGateway.cpp";
std::atomic<std::uint64_t> g_nextGatewayInstance{1};
std::uint64_t NextInstanceID() { return g_nextGatewayInstance.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

ARpGateway::ARpGateway()
    : m_ownModel(std::make_unique<RpModel>(*this)), m_model(m_ownModel.get()), m_instanceID(NextInstanceID()) {}

ARpGateway::ARpGateway(std::shared_ptr<ARpGateway> repository)
    : m_model(repository->m_model), m_repository(std::move(repository)), m_instanceID(NextInstanceID()) {}

ARpGateway::~ARpGateway() {
  if (!m_ownModel) return;
  // A repository announced to the repository manager and never closed is
  // closed now, while its objects can still be read.
  RpMgr::CloseIfOpen(*this);
  m_ownModel.reset();
}

// ---- sessions and versions ---------------------------------------------------

std::unique_ptr<ARpGateway> ARpGateway::OpenSession(std::shared_ptr<ARpGateway> repository) {
  if (!repository) VXAssert::handleLogicError(kSrc, __LINE__, "a session needs a repository");
  // Sessions of a session read its repository: there is one owner to keep.
  if (repository->m_repository) repository = repository->m_repository;
  return std::unique_ptr<ARpGateway>(new ARpGateway(std::move(repository)));
}

ARpGateway& ARpGateway::GetRepository() { return m_repository ? *m_repository : *this; }

std::unique_ptr<ARpGateway> ARpGateway::CopyRepository() const {
  auto copy = std::make_unique<ARpGateway>();
  m_model->CopyInto(*copy->m_model);
  return copy;
}

void ARpGateway::SwitchRepository(std::shared_ptr<ARpGateway> repository) {
  if (m_ownModel) VXAssert::handleLogicError(kSrc, __LINE__, "a repository reads its own objects");
  if (!repository) VXAssert::handleLogicError(kSrc, __LINE__, "a session needs a repository");
  if (repository->m_repository) repository = repository->m_repository;
  m_model = repository->m_model;
  // The version left is let go here, after the switch: the last session to
  // leave it frees it.
  std::swap(m_repository, repository);
  // Names kept by a caller for this gateway belong to the version left.
  m_instanceID = NextInstanceID();
}

ARpObject* ARpGateway::Find(const VoidID& id) const { return m_model->Find(id); }

// ---- objects ---------------------------------------------------------------

Ref<ARpObject> ARpGateway::CreateObject(TypeID type, VXString name, const VoidID& parent, const VoidID& requestedID) {
  return m_model->CreateObject(type, std::move(name), parent, requestedID);
}

Ref<ARpObject> ARpGateway::GetObject(const VoidID& id) { return Ref<ARpObject>(Find(id)); }

void ARpGateway::GetObjects(const VoidIDVector& ids, RpObjectVector& objects) {
  objects.clear();
  objects.reserve(ids.size());
  for (const VoidID& id : ids) objects.push_back(GetObject(id));
}

void ARpGateway::LookupObjects(const ACondition& condition, VoidIDVector& objIDs) {
  objIDs.clear();
  std::vector<ARpObject*> found;
  m_model->LookupObjects(condition, found);
  objIDs.reserve(found.size());
  for (const ARpObject* p : found) objIDs.push_back(p->GetID());
}

void ARpGateway::LookupObjects(const ACondition& condition, std::vector<ARpObject*>& objects) {
  m_model->LookupObjects(condition, objects);
}

void ARpGateway::FindChildrenByName(const VoidID& parent, TypeID type, const VXString& name, VoidIDVector& out) {
  m_model->FindChildrenByName(parent, type, name, out);
}

void ARpGateway::FindChildrenByExactName(const ARpObject* parent, const VXString& name,
                                         std::vector<ARpObject*>& out) const {
  m_model->Names().FindChildrenByExactName(parent, name, out);
}

void ARpGateway::FindChildrenByNameNoCase(const ARpObject* parent, const VXString& name,
                                          std::vector<ARpObject*>& out) const {
  m_model->Names().FindChildrenByNameNoCase(parent, name, out);
}

bool ARpGateway::HasEmptyNamedObjects() const { return m_model->HasEmptyNamedObjects(); }
std::uint64_t ARpGateway::GetNamingRevision() const { return m_model->GetNamingRevision(); }

bool ARpGateway::RenameObject(const VoidID& id, const VXString& newName, bool bKeepOldAsAlias) {
  return m_model->RenameObject(id, newName, bKeepOldAsAlias);
}

bool ARpGateway::AddAlias(const VoidID& id, const VXString& alias) { return m_model->AddAlias(id, alias); }

bool ARpGateway::DeleteObject(const VoidID& id, bool bCascade) {
  // The denials of every session stay as they were, this one's too: a
  // denial of an id that names nothing denies nothing, and an object made
  // again under the id is denied to the same users in every session alike.
  VoidIDVector removed;
  return m_model->DeleteObject(id, bCascade, removed);
}

std::size_t ARpGateway::GetObjectCount() const { return m_model->GetObjectCount(); }

void ARpGateway::GetObjectIDsOfType(TypeID type, VoidIDVector& ids) const { m_model->GetObjectIDsOfType(type, ids); }

const TypeIDVector& ARpGateway::GetKnownTypes() const { return m_model->GetKnownTypes(); }

// ---- relations ---------------------------------------------------------------

std::uint32_t ARpGateway::InsertTuple(RelID rel, const VoidIDVector& args) { return m_model->InsertTuple(rel, args); }

std::size_t ARpGateway::InsertTuples(std::vector<RelTuple>& tuples) { return m_model->InsertTuples(tuples); }
SUHugePages::Vector<ARpObject*> ARpGateway::Load(LoadBatch& batch) { return m_model->Load(batch); }

bool ARpGateway::EraseTuple(RelID rel, const VoidIDVector& args) { return m_model->EraseTuple(rel, args); }

bool ARpGateway::EraseTuple(std::uint32_t handle) { return m_model->Tuples().Erase(handle); }

bool ARpGateway::MoveTuple(RelID rel, const VoidIDVector& args, int delta) {
  return m_model->MoveTuple(rel, args, delta);
}

bool ARpGateway::MoveTupleByHandle(std::uint32_t handle, std::ptrdiff_t delta) {
  return m_model->Tuples().MoveByHandle(handle, delta);
}

void ARpGateway::FindTuples(const VoidID& anchor, RelID rel, std::uint32_t anchorArgMask,
                            std::vector<std::uint32_t>& out) const {
  m_model->Tuples().Find(anchor, rel, anchorArgMask, out);
}

const ARpGateway::RelTuple* ARpGateway::GetTuple(std::uint32_t handle) const { return m_model->Tuples().Get(handle); }

bool ARpGateway::HasTuple(RelID rel, const VoidIDVector& args) const { return m_model->HasTuple(rel, args); }

void ARpGateway::FindTuplesOf(const VoidID& id, std::vector<std::uint32_t>& out) const {
  m_model->Tuples().FindOf(id, out);
}

void ARpGateway::SetObjectParent(ARpObject* child, ARpObject* newParent) { m_model->SetObjectParent(child, newParent); }

bool ARpGateway::MoveChild(const VoidID& child, std::ptrdiff_t delta) { return m_model->MoveChild(child, delta); }

// ---- session -------------------------------------------------------------------

bool ARpGateway::IsReadDenied(const VoidID& id) const {
  if (!m_session.HasReadDenials()) return false;
  const ARpObject* p = Find(id);
  return p && IsReadDenied(*p);
}

bool ARpGateway::IsReadDenied(const ARpObject& obj) const {
  if (!m_session.HasReadDenials()) return false;
  for (const ARpObject* p = &obj; p; p = p->GetParentPointer()) {
    if (m_session.IsDeniedItself(p->GetID())) return true;
  }
  return false;
}

bool ARpGateway::SignOnAs(const VXString& userName) {
  VoidIDVector users;
  LookupObjects(TypedObjectNameCondition(kTIDAUser, userName, false), users);
  if (users.empty()) return false;
  Ref<AUser> user(GetObject(users.front()));
  ClearReadDenials();
  for (BinaryRelIter<ARpObject> it = user->GetReadDenials(); !it.IsEnd(); ++it) DenyRead((*it).GetID());
  SetCurrentUser(user->GetName(), VXString());
  return true;
}

// ---- the rest ------------------------------------------------------------------

bool ARpGateway::GetDataBlob(int number, ByteVector& bytes) const { return m_model->Blobs().Get(number, bytes); }

void ARpGateway::SetDataBlob(int number, const ByteVector& bytes) { m_model->Blobs().Set(number, bytes); }

const std::map<int, ByteVector>& ARpGateway::GetDataBlobs() const { return m_model->Blobs().All(); }

void ARpGateway::SetRepositoryCredentials(const VXString& user, const VXString& password) {
  m_model->Blobs().SetCredentials(kCredentialsBlob, user, password);
}

void ARpGateway::SetScriptKey(const VXString& label, const ByteVector& key) {
  m_model->Blobs().SetScriptKey(kScriptKeyBlob, label, key);
}

int ARpGateway::GetGatewayType() const { return m_model->GetGatewayType(); }
void ARpGateway::SetGatewayType(int type) { m_model->SetGatewayType(type); }
const VXString& ARpGateway::GetLogicalName() const { return m_model->GetLogicalName(); }
void ARpGateway::SetLogicalName(const VXString& name) { m_model->SetLogicalName(name); }
