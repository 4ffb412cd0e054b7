// Ref<T>: a counted handle onto a repository object of interface class T.
//
//   Ref<ARpObject> obj = pRp->GetObject(id);
//   if (!obj.IsNull()) name = obj->GetName();
//   Ref<ATable> table(obj);          // names nothing when obj is no ATable
//
// A handle holds its gateway (m_pRp), the object's id (m_ID) and a cached
// object pointer (m_pObj). While the pointer is cached the handle holds one
// count on the storage of the objects of the object's repository, so the
// object's storage outlives the handle even when the object is deleted or
// its repository closed: deletion only marks it, and the handle then
// resolves to nothing. The storage goes away with the repository and the
// last count. Counts are atomic and kept apart from the objects, one
// counter for each of a few threads, so handles may be copied and dropped
// on many threads reading one repository without those threads writing
// anything another one reads. A handle whose id did not resolve when it was made
// asks the gateway again on each access (an object may be created later with
// that id); such a handle must not outlive its gateway.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

#include "Utility/VXAssert.h"
#include "Utility/VoidID.h"

class ARpGateway;
class ARpObject;

class RefHelper {
 public:
  // The live object for id in pRp, or null. Takes no count.
  static ARpObject* GetObjectPointerFromGatway(ARpGateway* pRp, const VoidID& id);
  // Count on the live object for id (nothing when it does not resolve).
  static void AddRef(ARpGateway* pRp, const VoidID& id);
  static void ReleaseRef(ARpGateway* pRp, const VoidID& id);
  // The forms handles use: straight on the cached object.
  static void AddRef(ARpObject* pObj);
  static void ReleaseRef(ARpObject* pObj);
  static bool IsLive(const ARpObject* pObj);
  static ARpGateway* GatewayOf(const ARpObject* pObj);
  static VoidID IDOf(const ARpObject* pObj);
};

template <class T>
class Ref {
 public:
  ARpGateway* m_pRp = nullptr;
  T* m_pObj = nullptr;  // cached, counted; may be null
  VoidID m_ID;

  Ref() = default;
  // A handle that resolves names the object's own gateway (see
  // ARpGateway::OpenSession), so that handles found through different
  // sessions of one repository compare equal.
  Ref(ARpGateway* pRp, const VoidID& id) : m_pRp(pRp), m_ID(id) {
    if (pRp && !id.IsNull()) Attach(RefHelper::GetObjectPointerFromGatway(pRp, id));
  }
  // A handle onto an object the caller holds (null gives a null handle).
  explicit Ref(T* pObj) {
    if (pObj) {
      m_pRp = RefHelper::GatewayOf(pObj);
      m_ID = RefHelper::IDOf(pObj);
      m_pObj = pObj;
      RefHelper::AddRef(pObj);
    }
  }
  Ref(const Ref& o) : m_pRp(o.m_pRp), m_pObj(o.m_pObj), m_ID(o.m_ID) {
    if (m_pObj) RefHelper::AddRef(m_pObj);
  }
  Ref(Ref&& o) noexcept : m_pRp(o.m_pRp), m_pObj(o.m_pObj), m_ID(o.m_ID) { o.m_pObj = nullptr; }
  // From a handle of another interface: an upcast always holds; a cast to a
  // class the object does not implement gives a handle that names nothing
  // (gateway kept, id null), as a failed QueryInterface would.
  template <class U, class = std::enable_if_t<!std::is_same_v<T, U>>>
  Ref(const Ref<U>& o) : m_pRp(o.m_pRp) {  // NOLINT: implicit like the server's handles
    if constexpr (std::is_convertible_v<U*, T*>) {
      m_ID = o.m_ID;
      if (o.m_pObj) {
        m_pObj = o.m_pObj;
        RefHelper::AddRef(m_pObj);
      }
    } else {
      U* p = o.Get();
      T* t = p ? dynamic_cast<T*>(p) : nullptr;
      if (t) {
        m_ID = o.m_ID;
        m_pObj = t;
        RefHelper::AddRef(t);
      } else if (!p && o.m_pObj == nullptr) {
        m_ID = o.m_ID;  // unresolved yet: keep asking by id
      }
    }
  }
  ~Ref() {
    if (m_pObj) RefHelper::ReleaseRef(m_pObj);
  }
  Ref& operator=(const Ref& o) {
    if (this != &o) {
      Ref tmp(o);
      Swap(tmp);
    }
    return *this;
  }
  Ref& operator=(Ref&& o) noexcept {
    Ref tmp(std::move(o));
    Swap(tmp);
    return *this;
  }
  void Swap(Ref& o) noexcept {
    std::swap(m_pRp, o.m_pRp);
    std::swap(m_pObj, o.m_pObj);
    std::swap(m_ID, o.m_ID);
  }

  // The object, or null when the handle names no (live) object.
  T* Get() const {
    if (m_pObj) return RefHelper::IsLive(m_pObj) ? m_pObj : nullptr;
    if (!m_pRp || m_ID.IsNull()) return nullptr;
    ARpObject* p = RefHelper::GetObjectPointerFromGatway(m_pRp, m_ID);
    if (!p) return nullptr;
    if constexpr (std::is_same_v<T, ARpObject>) {
      return p;
    } else {
      return dynamic_cast<T*>(p);
    }
  }
  // Access to an object that must exist: a handle that names nothing is a
  // broken invariant of the caller and is reported, never dereferenced.
  T* operator->() const {
    T* p = Get();
    if (!p) VXAssert::handleAssert("server/objectmodel/Ref.h", __LINE__, "!IsNull()");
    return p;
  }
  T& operator*() const { return *operator->(); }
  bool IsNull() const { return Get() == nullptr; }
  bool IsValid() const { return Get() != nullptr; }

  const VoidID& GetID() const { return m_ID; }
  ARpGateway* GetGateway() const { return m_pRp; }
  void Release() { *this = Ref(); }

 private:
  void Attach(ARpObject* p) {
    if (!p) return;
    T* t;
    if constexpr (std::is_same_v<T, ARpObject>) {
      t = p;
    } else {
      t = dynamic_cast<T*>(p);
    }
    if (t) {
      m_pObj = t;
      m_pRp = RefHelper::GatewayOf(t);
      RefHelper::AddRef(t);
    }
  }
};

// Two handles are equal when they name the same id in the same gateway, or
// both name nothing.
template <class T, class U>
bool operator==(const Ref<T>& a, const Ref<U>& b) {
  const bool aNull = a.IsNull(), bNull = b.IsNull();
  if (aNull || bNull) return aNull == bNull;
  return a.m_pRp == b.m_pRp && a.m_ID == b.m_ID;
}

// Ordering by id (for ordered sets of handles).
template <class T, class U>
bool operator<(const Ref<T>& a, const Ref<U>& b) {
  if (a.m_ID != b.m_ID) return a.m_ID < b.m_ID;
  return std::less<const ARpGateway*>()(a.m_pRp, b.m_pRp);
}

// The server's interface query: true and `to` set when `from` names an
// object that implements T.
template <class T, class U>
bool QueryInterface(const Ref<U>& from, Ref<T>& to) {
  to = Ref<T>(from);
  return !to.IsNull();
}

using RpObjectVector = std::vector<Ref<ARpObject>>;
