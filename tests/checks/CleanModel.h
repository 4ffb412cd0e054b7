// A small repository with no defect for the check tests, built in code.
#pragma once

#include "Expr/ExprBuilder.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/RpGateway.h"

// A small model with no defect: a database with one table, a business
// model with one logical table mapped to it, a key, a dimension, a subject
// area showing the column.
struct CleanModel {
  ARpGateway rp;
  Ref<ARpObject> db, table, colA, colB, bm, ltable, lcol, lts, lkey, dim, total, level, levelKey, sa, ptable, pcol;

  CleanModel() {
    db = rp.CreateObject(kTIDADatabase, U"DW");
    rp.CreateObject(kTIDAConnectionPool, U"DW Pool", db.GetID());
    table = rp.CreateObject(kTIDATable, U"ORDERS", db.GetID());
    colA = rp.CreateObject(kTIDAColumn, U"ID", table.GetID());
    colB = rp.CreateObject(kTIDAColumn, U"AMOUNT", table.GetID());
    Ref<AColumn>(colA)->SetDataType(U"INTEGER");
    Ref<AColumn>(colB)->SetDataType(U"DECIMAL");
    bm = rp.CreateObject(kTIDASubjectArea, U"Sales");
    ltable = rp.CreateObject(kTIDALogicalTable, U"Orders", bm.GetID());
    lcol = rp.CreateObject(kTIDAAttribute, U"Id", ltable.GetID());
    lts = rp.CreateObject(kTIDALogicalTableSource, U"LTS1 ORDERS", ltable.GetID());
    RpSourceDefinition defn;
    defn.m_logicalToPhysical.emplace_back(RefExpr(lcol), RefExpr(colA));
    defn.m_physicalTables.push_back(table.GetID());
    Ref<ALogicalTableSource>(lts)->SetSourceDefinition(defn);
    lkey = rp.CreateObject(kTIDAKey, U"Orders Key", ltable.GetID());
    rp.InsertTuple(RpRel::kKeyColumn, {lcol.GetID(), lkey.GetID()});
    dim = rp.CreateObject(kTIDADimension, U"Order Dim", bm.GetID());
    total = rp.CreateObject(kTIDALevel, U"Total", dim.GetID());
    level = rp.CreateObject(kTIDALevel, U"Order", total.GetID());
    rp.InsertTuple(RpRel::kLevelAttributes, {level.GetID(), lcol.GetID()});
    levelKey = rp.CreateObject(kTIDAKey, U"Order Key", level.GetID());
    rp.InsertTuple(RpRel::kKeyColumn, {lcol.GetID(), levelKey.GetID()});
    sa = rp.CreateObject(kTIDACatalogFolder, U"Sales Area");
    Ref<ACatalogFolder>(sa)->SetSubjectArea(Ref<ASubjectArea>(bm));
    ptable = rp.CreateObject(kTIDAEntityFolder, U"Orders", sa.GetID());
    pcol = rp.CreateObject(kTIDAFolderAttr, U"Id", ptable.GetID());
    rp.InsertTuple(RpRel::kLogicalToPresentationColumn, {lcol.GetID(), pcol.GetID()});
  }

  // An expression that is one reference to obj.
  static Expr RefExpr(const Ref<ARpObject>& obj) { return ExprBuilder().ID(obj.GetID()).Build(); }
};
