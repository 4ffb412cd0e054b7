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
    db = b.Add(kTIDADatabase, U"Sales DB");
    cat = b.At(db).Child(kTIDACatalog, U"Cat");
    schema = b.At(cat).Child(kTIDASchema, U"dbo");
    orders = b.At(schema).Child(kTIDATable, U"Orders");
    orderId = b.At(orders).Child(kTIDAColumn, U"Id");
    amount = b.At(orders).Child(kTIDAColumn, U"Amount");
    items = b.At(db).Child(kTIDATable, U"Items");
    itemId = b.At(items).Child(kTIDAColumn, U"Id");
    shortSchema = b.At(db).Child(kTIDASchema, U"s2");
    catTable = b.At(cat).Child(kTIDATable, U"CatTable");

    bm = b.Add(kTIDASubjectArea, U"BM");
    lt = b.At(bm).Child(kTIDALogicalTable, U"LT");
    revenue = b.At(lt).Child(kTIDAAttribute, U"Revenue");
    custKey = b.At(lt).Child(kTIDAKey, U"CustKey");

    sa = b.Add(kTIDACatalogFolder, U"Sales");
    b.At(sa).Rename(U"Sales Area");  // "Sales" becomes a former name
    presOrders = b.At(sa).Child(kTIDAEntityFolder, U"Orders");
    presId = b.At(presOrders).Child(kTIDAFolderAttr, U"Id");
    presAmount = b.At(presOrders).Child(kTIDAFolderAttr, U"Amount");
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
