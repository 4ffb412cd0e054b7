// A small repository with no defect for the check tests, built with the
// fixture builder.
#pragma once

#include "Expr/ExprBuilder.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpGateway.h"

// A small model with no defect: a database with one table, a business
// model with one logical table mapped to it, a key, a dimension, a subject
// area showing the column.
struct CleanModel {
  ARpGateway rp;
  RpBuilder b{rp};
  Ref<ARpObject> db, table, colA, colB, bm, ltable, lcol, lts, lkey, dim, total, level, levelKey, sa, ptable, pcol;

  CleanModel() {
    auto dw = b.Add(kTIDADatabase, U"DW");
    dw.Child(kTIDAConnectionPool, U"DW Pool");
    auto orders = dw.Child(kTIDATable, U"ORDERS");
    auto id = orders.Child(kTIDAColumn, U"ID").Set(RpProp::kDataType, VXString(U"INTEGER"));
    auto amount = orders.Child(kTIDAColumn, U"AMOUNT").Set(RpProp::kDataType, VXString(U"DECIMAL"));
    auto sales = b.Add(kTIDASubjectArea, U"Sales");
    auto lorders = sales.Child(kTIDALogicalTable, U"Orders");
    auto lid = lorders.Child(kTIDAAttribute, U"Id");
    auto source = lorders.Child(kTIDALogicalTableSource, U"LTS1 ORDERS");
    auto key = lorders.Child(kTIDAKey, U"Orders Key").Relate(RpRel::kKeyColumn, 1, {lid});
    auto orderDim = sales.Child(kTIDADimension, U"Order Dim");
    auto totalLevel = orderDim.Child(kTIDALevel, U"Total");
    auto orderLevel = totalLevel.Child(kTIDALevel, U"Order").Relate(RpRel::kLevelAttributes, 0, {lid});
    auto orderKey = orderLevel.Child(kTIDAKey, U"Order Key").Relate(RpRel::kKeyColumn, 1, {lid});
    auto area = b.Add(kTIDACatalogFolder, U"Sales Area").Set(RpProp::kSubjectArea, sales.Id());
    auto porders = area.Child(kTIDAEntityFolder, U"Orders");
    auto pid = porders.Child(kTIDAFolderAttr, U"Id");
    b.Relate(RpRel::kLogicalToPresentationColumn, {lid, pid});
    db = dw.Obj(), table = orders.Obj(), colA = id.Obj(), colB = amount.Obj(), bm = sales.Obj();
    ltable = lorders.Obj(), lcol = lid.Obj(), lts = source.Obj(), lkey = key.Obj(), dim = orderDim.Obj();
    total = totalLevel.Obj(), level = orderLevel.Obj(), levelKey = orderKey.Obj(), sa = area.Obj();
    ptable = porders.Obj(), pcol = pid.Obj();
    RpSourceDefinition defn;
    defn.m_logicalToPhysical.emplace_back(RefExpr(lcol), RefExpr(colA));
    defn.m_physicalTables.push_back(table.GetID());
    Ref<ALogicalTableSource>(lts)->SetSourceDefinition(defn);
  }

  // A new object of the model, under parent when one is given.
  Ref<ARpObject> Add(TypeID type, const VXString& name, const Ref<ARpObject>& parent = Ref<ARpObject>()) {
    return b.Add(type, name, parent.GetID()).Obj();
  }
  // An expression that is one reference to obj.
  static Expr RefExpr(const Ref<ARpObject>& obj) { return ExprBuilder().ID(obj.GetID()).Build(); }
};
