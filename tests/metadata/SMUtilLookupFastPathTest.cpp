// GetRpObjectFromQualifiedName resolves names from the top down for speed; it must
// still answer exactly what the reference lookup (a plain scan over every
// object bearing the last name) answers, including where the fast road cannot
// decide (empty levels, duplicate names, names in the wrong case).
#include <gtest/gtest.h>

#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpGenerator.h"

namespace {

// The reference lookup, written the plain way.
Ref<ARpObject> Scan(ARpGateway* pRp, TypeID type, QualifiedName q) {
  MetadataUtil::StripQualifiedNameOfEmptyStrings(q);
  if (q.empty()) return Ref<ARpObject>();
  VoidIDVector ids;
  pRp->LookupObjects(TypedObjectNameCondition(type, q.back(), false), ids);
  for (const VoidID& id : ids) {
    Ref<ARpObject> obj = pRp->GetObject(id);
    QualifiedName name;
    MetadataUtil::GenerateQualifiedName(obj, name);
    MetadataUtil::StripQualifiedNameOfEmptyStrings(name);
    if (name == q) return obj;
  }
  return Ref<ARpObject>();
}

VXString Upper(VXString s) {
  for (char32_t& c : s) c = (c >= U'a' && c <= U'z') ? c - 32 : (c >= U'A' && c <= U'Z') ? c + 32 : c;
  return s;
}

void ExpectSameAnswers(ARpGateway& rp, std::size_t& checked) {
  for (TypeID type :
       std::initializer_list<TypeID>{kTIDAColumn, kTIDATable, kTIDASchema, kTIDAAttribute, kTIDAFolderAttr,
                                     kTIDAEntityFolder, kTIDATableKey, kTIDALogicalTable}) {
    VoidIDVector ids;
    rp.GetObjectIDsOfType(type, ids);
    for (std::size_t i = 0; i < ids.size(); i += 7) {
      QualifiedName name;
      MetadataUtil::GenerateQualifiedName(rp.GetObject(ids[i]), name);
      // As written, without empty levels, in the wrong case, shorter, longer.
      QualifiedName stripped = name;
      MetadataUtil::StripQualifiedNameOfEmptyStrings(stripped);
      QualifiedName wrongCase = stripped, longer = stripped;
      wrongCase.front() = Upper(wrongCase.front());
      longer.insert(longer.begin(), U"X");
      const QualifiedName shorter(stripped.begin() + 1, stripped.end());
      for (const QualifiedName& q : {name, stripped, wrongCase, shorter, longer}) {
        const Ref<ARpObject> fast = MetadataUtil::GetRpObjectFromQualifiedName(&rp, type, q);
        const Ref<ARpObject> plain = Scan(&rp, type, q);
        ASSERT_EQ(fast.GetID(), plain.GetID()) << ToNarrow(MetadataUtil::ToQualifiedName(q));
        ++checked;
      }
    }
  }
}

TEST(MetadataUtilLookupFastPath, SameObjectAsTheScanOnGeneratedRepositories) {
  std::size_t checked = 0;
  for (std::uint64_t seed : {1u, 2u}) {
    RpGenerator::Options options;
    options.m_objectCount = 12000;
    options.m_seed = seed;
    options.m_vocabularySize = 300;  // many columns share a name
    std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
    ExpectSameAnswers(*rp, checked);
  }
  EXPECT_GT(checked, 5000u);
}

TEST(MetadataUtilLookupFastPath, SameObjectWhereTheFastRoadCannotDecide) {
  RpGenerator::Options options;
  options.m_objectCount = 3000;
  std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  RpBuilder b(*rp);
  VoidIDVector tables;
  rp->GetObjectIDsOfType(kTIDATable, tables);
  const VoidID schema = rp->GetObject(tables[0])->GetParentPointer()->GetID();
  // Two tables of one name in one schema, each with a column ID: the first
  // created wins, as in the scan.
  auto dup1 = b.Add(kTIDATable, U"DUP", schema);
  auto dup2 = b.Add(kTIDATable, U"DUP", schema);
  dup2.Child(kTIDAColumn, U"ID");
  dup1.Child(kTIDAColumn, U"ID");
  // A column whose table was renamed: the old name is an alias, not a segment.
  b.At(tables[1]).Rename(U"NEW_NAME");
  std::size_t checked = 0;
  ExpectSameAnswers(*rp, checked);
  // An empty level: a schema without a name, and tables under it, so the
  // written name skips it.
  auto db = b.Add(kTIDADatabase, U"EMPTY_LEVELS");
  auto anon = db.Child(kTIDASchema, U"");
  anon.Child(kTIDATable, U"T").Child(kTIDAColumn, U"ID");
  db.Child(kTIDATable, U"T").Child(kTIDAColumn, U"ID");
  ExpectSameAnswers(*rp, checked);
  const QualifiedName q{U"EMPTY_LEVELS", U"T", U"ID"};
  EXPECT_EQ(MetadataUtil::GetRpObjectFromQualifiedName(rp.get(), kTIDAColumn, q).GetID(),
            Scan(rp.get(), kTIDAColumn, q).GetID());
  EXPECT_FALSE(Scan(rp.get(), kTIDAColumn, q).IsNull());
}

TEST(MetadataUtilLookupFastPath, SameObjectAfterRenamesMovesAndDeletions) {
  RpGenerator::Options options;
  options.m_objectCount = 12000;
  options.m_vocabularySize = 100;
  std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
  VoidIDVector tables, columns, schemas;
  rp->GetObjectIDsOfType(kTIDATable, tables);
  rp->GetObjectIDsOfType(kTIDAColumn, columns);
  rp->GetObjectIDsOfType(kTIDASchema, schemas);
  ASSERT_GT(tables.size(), 10u);
  ASSERT_FALSE(schemas.empty());
  RpBuilder b(*rp);
  schemas.push_back(b.Add(kTIDASchema, U"SECOND", rp->GetObject(schemas[0])->GetParentPointer()->GetID()));
  // A column moved to another table, a table moved to another schema, a
  // schema renamed to the name of a sibling, a table deleted without its
  // columns (they stand alone) and one with them.
  rp->SetObjectParent(rp->GetObject(columns[3]).Get(), rp->GetObject(tables[5]).Get());
  rp->SetObjectParent(rp->GetObject(tables[2]).Get(), rp->GetObject(schemas[1]).Get());
  rp->RenameObject(schemas[0], U"");
  rp->RenameObject(tables[7], rp->GetObject(tables[8])->GetName());
  rp->DeleteObject(tables[4], false);
  rp->DeleteObject(tables[9], true);
  std::size_t checked = 0;
  ExpectSameAnswers(*rp, checked);
  EXPECT_GT(checked, 1000u);
}

}  // namespace
