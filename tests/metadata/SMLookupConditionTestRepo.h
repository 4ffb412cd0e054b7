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
    db = b.Add(kTIDADatabase, U"Sales DB");
    cat = b.At(db).Child(kTIDACatalog, U"Cat");
    schema = b.At(cat).Child(kTIDASchema, U"dbo");
    ordersInSchema = b.At(schema).Child(kTIDATable, U"Orders");
    ordersInDb = b.At(db).Child(kTIDATable, U"Orders");
    orderId = b.At(ordersInDb).Child(kTIDAColumn, U"Id");

    bm = b.Add(kTIDASubjectArea, U"BM");
    lt = b.At(bm).Child(kTIDALogicalTable, U"Fact");
    revenue = b.At(lt).Child(kTIDAAttribute, U"Revenue");

    // "Sales" was called "Old Sales"; its table "Shipments" was "Orders Old".
    sales = b.Add(kTIDACatalogFolder, U"Old Sales").Rename(U"Sales");
    salesOrders = b.At(sales).Child(kTIDAEntityFolder, U"Orders");
    salesAmount = b.At(salesOrders).Child(kTIDAFolderAttr, U"Amount");
    salesRenamed = b.At(sales).Child(kTIDAEntityFolder, U"Orders Old").Rename(U"Shipments");
    hr = b.Add(kTIDACatalogFolder, U"HR");
    hrOrders = b.At(hr).Child(kTIDAEntityFolder, U"ORDERS");
    schemaFolder = b.At(hr).Child(kTIDASchemaFolder, U"Folder");
    deepOrders = b.At(schemaFolder).Child(kTIDAEntityFolder, U"Orders");
  }

  Ref<ARpObject> Get(const VoidID& id) { return rp.GetObject(id); }
  VoidIDVector Lookup(const ACondition& cond) {
    VoidIDVector ids;
    rp.LookupObjects(cond, ids);
    return ids;
  }
};
