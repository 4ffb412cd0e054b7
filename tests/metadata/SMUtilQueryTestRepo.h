// A small physical layer for the query-text tests: tables at every kind of
// container, a two-column key with a foreign key onto it, and a complex join.
// Expected texts are written out in the tests. Every name part is quoted
// there (the query writer asks for quotes); a column written fully qualified
// has all the segments of its qualified name, so one of the table "Lines"
// (under the catalog, no schema) has an empty schema segment:
// "DB"."Cat".""."Lines"."ID". Otherwise a column is its last two segments.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "Expr/ExprBuilder.h"
#include "Expr/ToStringVisitor.h"
#include "ListQuerySpec/QuerySpecBuilder.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/Relation.h"
#include "objectmodel/RpBuilder.h"

namespace query_test {

inline std::string Show(const VXString& text) { return "[" + ToNarrow(text) + "]"; }
inline Expr Parse(const VXString& text) { return ToStringVisitor::ExprFrom(text); }
// The internal form of a reference to id.
inline VXString IdText(const VoidID& id) { return U"#" + id.ToString(); }

struct Repo {
  ARpGateway rp;
  VoidID db, cat, sch, s2;
  VoidID customers, orders, lines, solo, top;
  VoidID custID, custRegion, ordID, ordRegion, ordAmount, lineID;
  VoidID pk, pkIDOnly, fk, fkFirstMatch, fkNoMatch, cj;
  VoidID subjectArea, quotedArea;
  Expr cjExpr;

  Repo() {
    RpBuilder b(rp);
    db = b.Add(kTIDADatabase, U"DB");
    cat = b.At(db).Child(kTIDACatalog, U"Cat");
    sch = b.At(cat).Child(kTIDASchema, U"Sch");
    s2 = b.At(db).Child(kTIDASchema, U"S2");

    customers = b.At(sch).Child(kTIDATable, U"Customers");
    custID = b.At(customers).Child(kTIDAColumn, U"ID");
    custRegion = b.At(customers).Child(kTIDAColumn, U"REGION");
    orders = b.At(sch).Child(kTIDATable, U"Orders");
    ordRegion = b.At(orders).Child(kTIDAColumn, U"region");
    ordID = b.At(orders).Child(kTIDAColumn, U"id");
    ordAmount = b.At(orders).Child(kTIDAColumn, U"AMOUNT");
    lines = b.At(cat).Child(kTIDATable, U"Lines");
    lineID = b.At(lines).Child(kTIDAColumn, U"ID");
    solo = b.At(s2).Child(kTIDATable, U"Solo");
    top = b.At(db).Child(kTIDATable, U"Top");

    const auto column = [&](const VoidID& id) { return Ref<AColumn>(rp.GetObject(id)); };
    const auto key = b.At(customers).Child(kTIDATableKey, U"PK");
    pk = key;
    key.As<ATableKey>()->AddColumn(column(custID));
    key.As<ATableKey>()->AddColumn(column(custRegion));
    const auto key2 = b.At(customers).Child(kTIDATableKey, U"PK_ID");
    pkIDOnly = key2;
    key2.As<ATableKey>()->AddColumn(column(custID));

    // Orders -> Customers on both key columns; the foreign key lists its
    // columns in another order and has one column more.
    const auto foreignKey = [&](const VoidID& table, const VXString& name, const RpBuilder::Node& to,
                                std::initializer_list<VoidID> columns) {
      Ref<AForeignKey> f = b.At(table).Child(kTIDAForeignKey, name).As<AForeignKey>();
      f->SetTableKey(to.As<ATableKey>());
      for (VoidID col : columns) f->AddComponent(column(col));
      return f.GetID();
    };
    fk = foreignKey(orders, U"FK_ORD_CUST", key, {ordRegion, ordAmount, ordID});
    // Two columns named like the key column: only the first is used.
    fkFirstMatch = foreignKey(lines, U"FK_FIRST", key2, {lineID, ordID});
    // No column name in common: no condition.
    fkNoMatch = foreignKey(orders, U"FK_NONE", key2, {ordAmount});

    const auto j = b.Add(kTIDAComplexJoin, U"Orders to Lines");
    cj = j;
    j.As<AComplexJoin>()->SetTables(Ref<ATable>(rp.GetObject(orders)), Ref<ATable>(rp.GetObject(lines)));
    cjExpr = ExprBuilder().Op(kEqual).ID(ordID).ID(lineID).End().Build();
    j.As<AComplexJoin>()->SetJoinExpr(cjExpr);

    subjectArea = b.Add(kTIDACatalogFolder, U"Sales");
    quotedArea = b.Add(kTIDACatalogFolder, U"\"Quoted\"");
  }

  ARpGateway* Rp() { return &rp; }
};

}  // namespace query_test
