// Handles: a handle resolves through its gateway by id, and counts on the
// object it caches.
#include "RpModel.h"
#include "objectmodel/Ref.h"

ARpObject* RefHelper::GetObjectPointerFromGatway(ARpGateway* pRp, const VoidID& id) {
  return pRp ? pRp->Find(id) : nullptr;
}

void RefHelper::AddRef(ARpGateway* pRp, const VoidID& id) {
  if (ARpObject* p = GetObjectPointerFromGatway(pRp, id)) AddRef(p);
}

void RefHelper::ReleaseRef(ARpGateway* pRp, const VoidID& id) {
  if (ARpObject* p = GetObjectPointerFromGatway(pRp, id)) ReleaseRef(p);
}

void RefHelper::AddRef(ARpObject* pObj) { pObj->m_refCount.fetch_add(1, std::memory_order_relaxed); }

void RefHelper::ReleaseRef(ARpObject* pObj) {
  if (pObj->m_refCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete pObj;
}

bool RefHelper::IsLive(const ARpObject* pObj) { return !pObj->IsDeleted(); }
ARpGateway* RefHelper::GatewayOf(const ARpObject* pObj) { return pObj->m_pRp; }
VoidID RefHelper::IDOf(const ARpObject* pObj) { return pObj->m_id; }
