// A small repository shared by the object-model tests: a physical database
// with catalog/schema levels and shortcuts, a business model and a subject
// area over it.
#pragma once

#include "objectmodel/ObjectModel.h"

struct SampleRepository {
  ARpGateway rp;
  RpBuilder b{rp};
  // physical
  VoidID db, cat, schema, orders, orderId, amount, items, itemId, shortSchema, catTable;
  // business model
  VoidID bm, lt, revenue, custKey;
  // presentation
  VoidID sa, presOrders, presId, presAmount;

  SampleRepository() {
    auto d = b.Add(kTIDADatabase, U"Sales DB");
    db = d;
    auto c = d.Child(kTIDACatalog, U"Cat");
    cat = c;
    auto s = c.Child(kTIDASchema, U"dbo");
    schema = s;
    auto o = s.Child(kTIDATable, U"Orders");
    orders = o;
    orderId = o.Child(kTIDAColumn, U"Id");
    amount = o.Child(kTIDAColumn, U"Amount");
    auto i = d.Child(kTIDATable, U"Items");
    items = i;
    itemId = i.Child(kTIDAColumn, U"Id");
    shortSchema = d.Child(kTIDASchema, U"s2");
    catTable = c.Child(kTIDATable, U"CatTable");

    auto m = b.Add(kTIDASubjectArea, U"BM");
    bm = m;
    auto t = m.Child(kTIDALogicalTable, U"LT");
    lt = t;
    revenue = t.Child(kTIDAAttribute, U"Revenue");
    custKey = t.Child(kTIDAKey, U"CustKey");

    auto a = b.Add(kTIDACatalogFolder, U"Sales");
    sa = a;
    a.Rename(U"Sales Area");  // "Sales" becomes a former name
    auto pt = a.Child(kTIDAEntityFolder, U"Orders");
    presOrders = pt;
    presId = pt.Child(kTIDAFolderAttr, U"Id");
    presAmount = pt.Child(kTIDAFolderAttr, U"Amount");
  }

  Ref<ARpObject> Get(const VoidID& id) { return rp.GetObject(id); }
};

// Installs a delete-dependency predicate (null: none) and authorization
// hook for one test and puts back whatever a loaded library had installed.
struct HookGuard {
  const HasDeleteDependencyPredicate* m_savedPredicate = ANetworker::global_specialDeleteDependencyPredicate;
  Authorization::ExternalAuthorizationHook m_savedHook = Authorization::g_externalAuthorizationHook;
  explicit HookGuard(const HasDeleteDependencyPredicate* predicate = nullptr,
                     Authorization::ExternalAuthorizationHook hook = nullptr) {
    ANetworker::global_specialDeleteDependencyPredicate = predicate;
    Authorization::g_externalAuthorizationHook = std::move(hook);
  }
  ~HookGuard() {
    ANetworker::global_specialDeleteDependencyPredicate = m_savedPredicate;
    Authorization::g_externalAuthorizationHook = m_savedHook;
  }
};

// prefix followed by the decimal number i.
inline VXString Numbered(const VXString& prefix, int i) {
  VXString out = prefix;
  for (char c : std::to_string(i)) out.push_back(static_cast<char32_t>(c));
  return out;
}
