// This program links the metadata library but never names anything in it:
// it sees only the object model. Whatever the library installs must
// therefore have been installed when the library was loaded.
#include <gtest/gtest.h>

#include <cstdlib>

#include "objectmodel/ObjectModel.h"

namespace {

TEST(LoadTime, DeleteDependencyPredicateIsInstalled) {
  const HasDeleteDependencyPredicate* predicate = ANetworker::global_specialDeleteDependencyPredicate;
  ASSERT_NE(predicate, nullptr);

  // It answers as the library's rules do: a level's parent-link role (109,
  // the level at position 0) may be a dependent, at position 1.
  ARpGateway rp;
  Ref<ARpObject> db = rp.CreateObject(kTIDADatabase, U"DB");
  RpObjectDeleteContext ctx(db);
  SchemaCountVector args;
  EXPECT_TRUE(predicate->HasPossibleDeleteDependencies(ctx, db, RelationRoleID(RelID(109), 0), args));
  EXPECT_EQ(args, SchemaCountVector{1});
}

TEST(LoadTime, DeletesFollowTheInstalledRules) {
  // A complex join is not contained in its tables; only the installed
  // predicate makes it go with one of them.
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DB");
  auto left = db.Child(kTIDATable, U"L");
  auto right = db.Child(kTIDATable, U"R");
  auto join = b.Add(kTIDAComplexJoin, U"L to R");
  b.Relate(RpRel::kComplexJoin, {left, right, join});
  ASSERT_TRUE(rp.DeleteObject(right));
  EXPECT_TRUE(rp.GetObject(join).IsNull());
  EXPECT_FALSE(rp.GetObject(left).IsNull());
}

}  // namespace

namespace {

// Run twice by ctest: as it is, and with TY_EXTERNAL_AUTHORIZATION set.
TEST(LoadTime, ExternalAuthorizationFollowsTheEnvironment) {
  ASSERT_TRUE(static_cast<bool>(Authorization::g_externalAuthorizationHook));
  const bool on = std::getenv("TY_EXTERNAL_AUTHORIZATION") != nullptr;
  // A column whose display name substitutes to nothing is denied only with
  // external authorization on; one with a name is read either way.
  ARpGateway rp;
  RpBuilder b(rp);
  auto table = b.Add(kTIDACatalogFolder, U"SA").Child(kTIDAEntityFolder, U"T");
  auto empty = table.Child(kTIDAFolderAttr, U"Empty");
  empty.Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, VXString(U"VALUEOF(VX_SESSION.UNSET)"));
  auto named = table.Child(kTIDAFolderAttr, U"Named");
  named.Set(RpProp::kDisplayNameUse, true).Set(RpProp::kDisplayName, VXString(U"Shown"));
  EXPECT_EQ(Authorization::g_externalAuthorizationHook(&rp, empty.Obj()), !on);
  EXPECT_EQ(Authorization::IsAuthorizedToRead(&rp, empty), !on);
  EXPECT_TRUE(Authorization::IsAuthorizedToRead(&rp, named));
}

}  // namespace
