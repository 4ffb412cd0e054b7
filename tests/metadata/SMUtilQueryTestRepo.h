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
    auto d = b.Add(kTIDADatabase, U"DB");
    db = d;
    auto c = d.Child(kTIDACatalog, U"Cat");
    cat = c;
    auto s = c.Child(kTIDASchema, U"Sch");
    sch = s;
    auto sNoCat = d.Child(kTIDASchema, U"S2");
    s2 = sNoCat;

    auto cu = s.Child(kTIDATable, U"Customers");
    customers = cu;
    custID = cu.Child(kTIDAColumn, U"ID");
    custRegion = cu.Child(kTIDAColumn, U"REGION");
    auto o = s.Child(kTIDATable, U"Orders");
    orders = o;
    ordRegion = o.Child(kTIDAColumn, U"region");
    ordID = o.Child(kTIDAColumn, U"id");
    ordAmount = o.Child(kTIDAColumn, U"AMOUNT");
    auto l = c.Child(kTIDATable, U"Lines");
    lines = l;
    lineID = l.Child(kTIDAColumn, U"ID");
    solo = sNoCat.Child(kTIDATable, U"Solo");
    top = d.Child(kTIDATable, U"Top");

    auto key = cu.Child(kTIDATableKey, U"PK");
    pk = key;
    key.As<ATableKey>()->AddColumn(Ref<AColumn>(rp.GetObject(custID)));
    key.As<ATableKey>()->AddColumn(Ref<AColumn>(rp.GetObject(custRegion)));
    auto key2 = cu.Child(kTIDATableKey, U"PK_ID");
    pkIDOnly = key2;
    key2.As<ATableKey>()->AddColumn(Ref<AColumn>(rp.GetObject(custID)));

    // Orders -> Customers on both key columns; the foreign key lists its
    // columns in another order and has one column more.
    auto f = o.Child(kTIDAForeignKey, U"FK_ORD_CUST");
    fk = f;
    f.As<AForeignKey>()->SetTableKey(key.As<ATableKey>());
    for (VoidID col : {ordRegion, ordAmount, ordID}) f.As<AForeignKey>()->AddComponent(Ref<AColumn>(rp.GetObject(col)));
    // Two columns named like the key column: only the first is used.
    auto f2 = l.Child(kTIDAForeignKey, U"FK_FIRST");
    fkFirstMatch = f2;
    f2.As<AForeignKey>()->SetTableKey(key2.As<ATableKey>());
    for (VoidID col : {lineID, ordID}) f2.As<AForeignKey>()->AddComponent(Ref<AColumn>(rp.GetObject(col)));
    // No column name in common: no condition.
    auto f3 = o.Child(kTIDAForeignKey, U"FK_NONE");
    fkNoMatch = f3;
    f3.As<AForeignKey>()->SetTableKey(key2.As<ATableKey>());
    f3.As<AForeignKey>()->AddComponent(Ref<AColumn>(rp.GetObject(ordAmount)));

    auto j = b.Add(kTIDAComplexJoin, U"Orders to Lines");
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
