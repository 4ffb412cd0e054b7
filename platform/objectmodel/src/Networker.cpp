#include "objectmodel/Networker.h"

#include <algorithm>
#include <deque>
#include <mutex>
#include <unordered_set>

const HasDeleteDependencyPredicate* ANetworker::global_specialDeleteDependencyPredicate = nullptr;

ANetworker& ANetworker::ForType(TypeID) {
  static ANetworker networker;
  return networker;
}

void ANetworker::GetDeleteDependents(ARpGateway* pRp, const Ref<ARpObject>& parent, RpObjectVector& children,
                                     RpObjectDeleteContext& context) const {
  if (!pRp || parent.IsNull()) return;
  context.Mark(parent.GetID());
  // Breadth first: each object taken is walked in turn, so what it drags
  // along follows it.
  std::deque<Ref<ARpObject>> work{parent};
  auto take = [&](const Ref<ARpObject>& obj, const Ref<ARpObject>& from, RelID rel) {
    if (obj.IsNull() || !context.Mark(obj.GetID())) return;
    children.push_back(obj);
    context.m_reached.push_back(RpDeleteReach{obj.GetID(), from.GetID(), rel});
    work.push_back(obj);
  };
  const HasDeleteDependencyPredicate* predicate = global_specialDeleteDependencyPredicate;
  // Scratch reused for every object walked: the walk allocates only for
  // what it returns.
  std::vector<std::uint32_t> handles;
  VoidIDVector args;
  SchemaCountVector candidateArgs;
  while (!work.empty()) {
    Ref<ARpObject> cur = work.front();
    work.pop_front();
    // Contained objects go with their container.
    for (ARpObject* c : cur->GetChildPointers()) take(Ref<ARpObject>(c), cur, RpRel::kContainment);
    handles.clear();
    pRp->FindTuplesOf(cur.GetID(), handles);
    for (std::uint32_t h : handles) {
      const ARpGateway::RelTuple* t = pRp->GetTuple(h);
      if (!t) continue;
      const RelID rel = t->m_rel;
      args.assign(t->m_args.begin(), t->m_args.end());  // a copy: the predicate may read the store
      const RpRel::RelationInfo* info = RpRel::GetRelationInfo(rel);
      for (std::size_t role = 0; role < args.size(); ++role) {
        if (args[role] != cur.GetID()) continue;
        if (info && info->m_ownDeleteFrom == static_cast<int>(role) && info->m_ownDeleteTo >= 0 &&
            static_cast<std::size_t>(info->m_ownDeleteTo) < args.size()) {
          take(pRp->GetObject(args[static_cast<std::size_t>(info->m_ownDeleteTo)]), cur, rel);
        }
        if (!predicate) continue;
        RelationRoleID relRole(rel, static_cast<int>(role));
        candidateArgs.clear();
        if (!predicate->HasPossibleDeleteDependencies(context, cur, relRole, candidateArgs)) continue;
        for (int iArg : candidateArgs) {
          if (iArg < 0 || static_cast<std::size_t>(iArg) >= args.size() || static_cast<std::size_t>(iArg) == role) {
            continue;
          }
          Ref<ARpObject> candidate = pRp->GetObject(args[static_cast<std::size_t>(iArg)]);
          if (candidate.IsNull() || context.IsMarked(candidate)) continue;
          if (predicate->IsDeleteDependent(context, cur, relRole, iArg, candidate)) take(candidate, cur, rel);
        }
      }
    }
  }
}

// ---- authorization -------------------------------------------------------------

namespace Authorization {
ExternalAuthorizationHook g_externalAuthorizationHook;

bool IsAuthorizedToRead(ARpGateway* pRp, const VoidID& id) {
  if (!pRp) return false;
  Ref<ARpObject> obj = pRp->GetObject(id);
  if (obj.IsNull()) return false;
  return IsAuthorizedToRead(pRp, *obj);
}

bool IsAuthorizedToRead(ARpGateway* pRp, ARpObject& obj) {
  if (!pRp || obj.IsDeleted() || pRp->IsReadDenied(obj)) return false;
  if (g_externalAuthorizationHook) return g_externalAuthorizationHook(pRp, Ref<ARpObject>(&obj));
  return true;
}
}  // namespace Authorization

// ---- repository manager ----------------------------------------------------------

namespace {
struct SinkList {
  std::mutex m_mutex;
  std::vector<std::pair<int, RpMgr::Notifications*>> m_sinks;  // sorted by order, stable
  std::unordered_set<const ARpGateway*> m_open;                // inserted and not yet closed
};
SinkList& Sinks() {
  static SinkList sinks;
  return sinks;
}
std::vector<RpMgr::Notifications*> SnapshotSinks() {
  SinkList& s = Sinks();
  std::lock_guard<std::mutex> lock(s.m_mutex);
  std::vector<RpMgr::Notifications*> out;
  for (auto& [order, sink] : s.m_sinks) out.push_back(sink);
  return out;
}
}  // namespace

void RpMgr::startNotify(Notifications* sink, int order) {
  if (!sink) return;
  SinkList& s = Sinks();
  std::lock_guard<std::mutex> lock(s.m_mutex);
  for (auto& entry : s.m_sinks) {
    if (entry.second == sink) return;
  }
  auto pos = std::upper_bound(s.m_sinks.begin(), s.m_sinks.end(), order,
                              [](int o, const std::pair<int, Notifications*>& e) { return o < e.first; });
  s.m_sinks.insert(pos, {order, sink});
}

void RpMgr::stopNotify(Notifications* sink) {
  SinkList& s = Sinks();
  std::lock_guard<std::mutex> lock(s.m_mutex);
  s.m_sinks.erase(std::remove_if(s.m_sinks.begin(), s.m_sinks.end(),
                                 [sink](const std::pair<int, Notifications*>& e) { return e.second == sink; }),
                  s.m_sinks.end());
}

bool RpMgr::IsRegistered(const Notifications* sink) {
  SinkList& s = Sinks();
  std::lock_guard<std::mutex> lock(s.m_mutex);
  for (auto& entry : s.m_sinks) {
    if (entry.second == sink) return true;
  }
  return false;
}

void RpMgr::InsertRp(ARpGateway& gateway, InsertRpOptions options) {
  {
    SinkList& s = Sinks();
    std::lock_guard<std::mutex> lock(s.m_mutex);
    s.m_open.insert(&gateway);
  }
  for (Notifications* sink : SnapshotSinks()) sink->newRPCreated(gateway, options);
}

void RpMgr::CloseRp(ARpGateway& gateway) {
  {
    SinkList& s = Sinks();
    std::lock_guard<std::mutex> lock(s.m_mutex);
    s.m_open.erase(&gateway);
  }
  for (Notifications* sink : SnapshotSinks()) sink->rpClosed(gateway);
}

bool RpMgr::IsOpen(const ARpGateway& gateway) {
  SinkList& s = Sinks();
  std::lock_guard<std::mutex> lock(s.m_mutex);
  return s.m_open.count(&gateway) > 0;
}

void RpMgr::CloseIfOpen(ARpGateway& gateway) {
  if (IsOpen(gateway)) CloseRp(gateway);
}
