// Handles: a handle resolves through its gateway by id, and counts on the
// keeper of the object it caches (see ObjectKeeper).
#include "ObjectKeeper.h"
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

void RefHelper::AddRef(ARpObject* pObj) { pObj->m_keeper->Acquire(); }

void RefHelper::ReleaseRef(ARpObject* pObj) { pObj->m_keeper->Release(); }

bool RefHelper::IsLive(const ARpObject* pObj) { return !pObj->IsDeleted(); }
ARpGateway* RefHelper::GatewayOf(const ARpObject* pObj) { return pObj->m_pRp; }
VoidID RefHelper::IDOf(const ARpObject* pObj) { return pObj->m_id; }
