// A small repository for the lookup-condition tests: a physical database with
// catalog and schema levels, a business model, and two subject areas with
// presentation tables, one area and one table renamed (so each has a former
// name).
#pragma once

#include "Metadata/SMLookupCondition.h"
#include "objectmodel/RpBuilder.h"

struct LookupTestRepo {
  ARpGateway rp;
  RpBuilder b{rp};
  VoidID db, cat, schema, ordersInSchema, ordersInDb, orderId;
  VoidID bm, lt, revenue;
  VoidID sales, salesOrders, salesAmount, salesRenamed, hr, hrOrders, schemaFolder, deepOrders;

  LookupTestRepo() {
    const auto d = b.Add(kTIDADatabase, U"Sales DB");
    db = d;
    const auto c = d.Child(kTIDACatalog, U"Cat");
    cat = c;
    const auto s = c.Child(kTIDASchema, U"dbo");
    schema = s;
    ordersInSchema = s.Child(kTIDATable, U"Orders");
    const auto t = d.Child(kTIDATable, U"Orders");
    ordersInDb = t;
    orderId = t.Child(kTIDAColumn, U"Id");

    const auto m = b.Add(kTIDASubjectArea, U"BM");
    bm = m;
    const auto l = m.Child(kTIDALogicalTable, U"Fact");
    lt = l;
    revenue = l.Child(kTIDAAttribute, U"Revenue");

    // "Sales" was called "Old Sales"; its table "Shipments" was "Orders Old".
    const auto a = b.Add(kTIDACatalogFolder, U"Old Sales");
    a.Rename(U"Sales");
    sales = a;
    const auto o = a.Child(kTIDAEntityFolder, U"Orders");
    salesOrders = o;
    salesAmount = o.Child(kTIDAFolderAttr, U"Amount");
    const auto r = a.Child(kTIDAEntityFolder, U"Orders Old");
    r.Rename(U"Shipments");
    salesRenamed = r;
    const auto h = b.Add(kTIDACatalogFolder, U"HR");
    hr = h;
    hrOrders = h.Child(kTIDAEntityFolder, U"ORDERS");
    const auto f = h.Child(kTIDASchemaFolder, U"Folder");
    schemaFolder = f;
    deepOrders = f.Child(kTIDAEntityFolder, U"Orders");
  }

  Ref<ARpObject> Get(const VoidID& id) { return rp.GetObject(id); }
  VoidIDVector Lookup(const ACondition& cond) {
    VoidIDVector ids;
    rp.LookupObjects(cond, ids);
    return ids;
  }
};
