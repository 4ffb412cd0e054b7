// The small repository the targets that look names up run over, built once:
// physical tables with and without catalog and schema levels, a subject
// area and a presentation table that have former names, and a business
// model.
#pragma once

#include "objectmodel/RpBuilder.h"

inline ARpGateway& FuzzRepository() {
  static ARpGateway* rp = [] {
    auto* g = new ARpGateway;
    RpBuilder b(*g);
    auto db = b.Add(kTIDADatabase, U"DB");
    db.Child(kTIDATable, U"Orders").Alias(U"Old").Child(kTIDAColumn, U"Id");
    db.Child(kTIDACatalog, U"Cat").Child(kTIDASchema, U"dbo").Child(kTIDATable, U"Orders");
    auto t = b.Add(kTIDADatabase, U"DW").Child(kTIDACatalog, U"CAT").Child(kTIDASchema, U"dbo").Child(kTIDATable, U"T");
    t.Child(kTIDAColumn, U"C");
    t.Child(kTIDAColumn, U"D");
    auto area = b.Add(kTIDACatalogFolder, U"Sales").Alias(U"Old Sales");
    auto orders = area.Child(kTIDAEntityFolder, U"Orders").Alias(U"Shipments");
    for (const char32_t* column : {U"Amount", U"Revenue", U"Year"}) orders.Child(kTIDAFolderAttr, column);
    area.Child(kTIDAEntityFolder, U"Customers").Child(kTIDAFolderAttr, U"Region");
    area.Child(kTIDASchemaFolder, U"Folder").Child(kTIDAEntityFolder, U"Orders");
    b.Add(kTIDASubjectArea, U"BM").Child(kTIDALogicalTable, U"Fact").Child(kTIDAAttribute, U"Revenue");
    return g;
  }();
  return *rp;
}
