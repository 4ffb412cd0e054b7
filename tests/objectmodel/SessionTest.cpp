#include <gtest/gtest.h>

#include "Expr/ExprBuilder.h"
#include "SampleRepository.h"
#include "Utility/DataBlobUtil.h"

namespace {

TEST(Session, VariablesByBlockAndName) {
  ARpGateway rp;
  EXPECT_TRUE(rp.SetSessionVariableValue({U"B1", U"Region"}, Heap<PropertyValue>(new PropertyValueString(U"East"))));
  EXPECT_TRUE(rp.SetSessionVariableValue({U"B2", U"Colors"},
                                         Heap<PropertyValue>(new PropertyValueStringVector({U"red", U"green"}))));
  Heap<PropertyValue> v;
  ASSERT_TRUE(rp.GetSessionVariableValue({U"b1", U"REGION"}, v));
  EXPECT_EQ(v->GetKind(), PropertyValue::kString);
  EXPECT_EQ(v->StringFrom(), U"East");
  EXPECT_FALSE(rp.GetSessionVariableValue({U"B2", U"Region"}, v));
  ASSERT_TRUE(rp.GetSessionVariableValue({GlobalRpVariables::global_SessionBlockWildcard, U"colors"}, v));
  EXPECT_EQ(v->GetKind(), PropertyValue::kStringVector);
  EXPECT_EQ(dynamic_cast<PropertyValueStringVector&>(*v).GetStrings(), (VXStringVector{U"red", U"green"}));
  EXPECT_EQ(v->StringFrom(), U"red, green");
  // The caller's copy is its own.
  v.Reset();
  ASSERT_TRUE(rp.GetSessionVariableValue({U"B2", U"Colors"}, v));

  EXPECT_FALSE(rp.SetSessionVariableValue({U"B1", U"Region"}, Heap<PropertyValue>(new PropertyValueInt(3)), false));
  ASSERT_TRUE(rp.GetSessionVariableValue({U"B1", U"Region"}, v));
  EXPECT_EQ(v->StringFrom(), U"East");
  EXPECT_TRUE(rp.SetSessionVariableValue({U"B1", U"Region"}, Heap<PropertyValue>(new PropertyValueInt(3))));
  ASSERT_TRUE(rp.GetSessionVariableValue({U"B1", U"Region"}, v));
  EXPECT_EQ(v->GetKind(), PropertyValue::kInt);
  EXPECT_EQ(v->StringFrom(), U"3");
  EXPECT_TRUE(rp.SetSessionVariableValue({U"B1", U"Region"}, Heap<PropertyValue>()));
  EXPECT_FALSE(rp.GetSessionVariableValue({U"B1", U"Region"}, v));
  EXPECT_FALSE(rp.SetSessionVariableValue({GlobalRpVariables::global_SessionBlockWildcard, U"X"},
                                          Heap<PropertyValue>(new PropertyValueBool(true))));
}

TEST(Session, PropertyValueTexts) {
  EXPECT_EQ(PropertyValueBool(true).StringFrom(), U"true");
  EXPECT_EQ(PropertyValueDouble(0.5).StringFrom(), U"0.5");
  EXPECT_EQ(PropertyValueInt(-12).StringFrom(), U"-12");
  EXPECT_EQ(PropertyValueStringVector({}).StringFrom(), U"");
  std::unique_ptr<PropertyValue> c = PropertyValueString(U"x").Clone();
  EXPECT_EQ(c->StringFrom(), U"x");
}

TEST(Session, UserBlobsDefaultSubjectArea) {
  ARpGateway rp;
  rp.SetCurrentUser(U"alice", U"secret");
  EXPECT_EQ(rp.GetCurrentUserName(), U"alice");
  EXPECT_EQ(rp.GetCurrentUserPassword(), U"secret");
  ByteVector blob;
  EXPECT_FALSE(rp.GetDataBlob(ARpGateway::kCredentialsBlob, blob));
  rp.SetRepositoryCredentials(U"Admin", U"pw");
  ASSERT_TRUE(rp.GetDataBlob(1, blob));
  VXString user, pw;
  const uint8* p = DataBlobUtil::FromByteVector(blob.data(), blob.data() + blob.size(), user);
  DataBlobUtil::FromByteVector(p, blob.data() + blob.size(), pw);
  EXPECT_EQ(user, U"Admin");
  EXPECT_EQ(pw, U"pw");
  rp.SetDataBlob(ARpGateway::kScriptKeyBlob, {1, 2, 3});
  ASSERT_TRUE(rp.GetDataBlob(15, blob));
  EXPECT_EQ(blob, (ByteVector{1, 2, 3}));

  EXPECT_EQ(rp.GetDefaultSubjectAreaName(false), U"");
  rp.SetSessionVariableValue({U"S", U"DEFAULT_SUBJECT_AREA"},
                             Heap<PropertyValue>(new PropertyValueString(U"Fallback")));
  EXPECT_EQ(rp.GetDefaultSubjectAreaName(false), U"Fallback");
  rp.SetDefaultSubjectAreaName(U"Sales");
  EXPECT_EQ(rp.GetDefaultSubjectAreaName(false), U"Sales");
  EXPECT_EQ(rp.GetDefaultSubjectAreaName(true), U"Sales");
  rp.SetDefaultSubjectAreaAppliesWhenCatalogSpecified(false);
  EXPECT_EQ(rp.GetDefaultSubjectAreaName(true), U"");
  EXPECT_EQ(rp.GetGatewayType(), ARpGateway::kServerGateway);
  rp.SetGatewayType(ARpGateway::kClientGateway);
  EXPECT_EQ(rp.GetGatewayType(), 3);
}

// Read access asked by id, and of the object in hand, which must agree.
bool Readable(SampleRepository& s, const VoidID& id) {
  const bool bById = Authorization::IsAuthorizedToRead(&s.rp, id);
  if (const Ref<ARpObject> obj = s.rp.GetObject(id); !obj.IsNull()) {
    EXPECT_EQ(Authorization::IsAuthorizedToRead(&s.rp, *obj), bById) << ToNarrow(id.ToString());
  }
  return bById;
}

// Denials are inherited down the containers, the hook has the last word, and
// a deleted object is never readable.
TEST(Session, ReadAuthorizationInheritsAndHooks) {
  HookGuard hooks;
  SampleRepository s;
  EXPECT_TRUE(Readable(s, s.presId));
  s.rp.DenyRead(s.presOrders);
  EXPECT_TRUE(s.rp.IsReadDenied(*s.rp.GetObject(s.presId)));
  EXPECT_FALSE(Readable(s, s.presId));
  EXPECT_FALSE(Readable(s, s.presOrders));
  EXPECT_TRUE(Readable(s, s.sa));
  EXPECT_FALSE(s.rp.IsReadDenied(*s.rp.GetObject(s.sa)));
  EXPECT_FALSE(Readable(s, VoidID(kTIDATable, 999)));
  EXPECT_FALSE(Authorization::IsAuthorizedToRead(nullptr, s.sa));
  EXPECT_FALSE(Authorization::IsAuthorizedToRead(nullptr, *s.rp.GetObject(s.sa)));
  s.rp.AllowRead(s.presOrders);
  EXPECT_TRUE(Readable(s, s.presId));
  s.rp.DenyRead(s.presOrders);
  s.rp.ClearReadDenials();
  VoidIDVector asked;
  Authorization::g_externalAuthorizationHook = [&](ARpGateway*, const Ref<ARpObject>& obj) {
    asked.push_back(obj.GetID());
    return obj->GetName() != U"Amount";
  };
  EXPECT_TRUE(Readable(s, s.presId));
  EXPECT_FALSE(Readable(s, s.presAmount));
  // Asked once by id and once of the object.
  EXPECT_EQ(asked, (VoidIDVector{s.presId, s.presId, s.presAmount, s.presAmount}));
  // A handle keeps a deleted object alive, but nobody may read it.
  const Ref<ARpObject> held = s.rp.GetObject(s.presAmount);
  ASSERT_TRUE(s.rp.DeleteObject(s.presAmount, false));
  asked.clear();
  EXPECT_FALSE(Authorization::IsAuthorizedToRead(&s.rp, *held.m_pObj));
  EXPECT_TRUE(asked.empty());
}

TEST(Session, SigningOnTakesTheUsersReadDenials) {
  SampleRepository s;
  RpBuilder& b = s.b;
  const VoidID ana = b.Add(kTIDAUser, U"ana");
  const VoidID bo = b.Add(kTIDAUser, U"bo");
  s.rp.InsertTuple(RpRel::kUserReadDenials, {ana, s.presOrders});
  s.rp.InsertTuple(RpRel::kUserReadDenials, {bo, s.sa});
  s.rp.DenyRead(s.orders);  // left over from another session

  ASSERT_TRUE(s.rp.SignOnAs(U"ANA"));
  EXPECT_EQ(s.rp.GetCurrentUserName(), U"ana");
  EXPECT_FALSE(Authorization::IsAuthorizedToRead(&s.rp, s.presId));
  EXPECT_TRUE(Authorization::IsAuthorizedToRead(&s.rp, s.sa));
  EXPECT_TRUE(Authorization::IsAuthorizedToRead(&s.rp, s.orders));
  ASSERT_TRUE(s.rp.SignOnAs(U"bo"));
  EXPECT_FALSE(Authorization::IsAuthorizedToRead(&s.rp, s.sa));
  EXPECT_FALSE(s.rp.SignOnAs(U"nobody"));
  EXPECT_EQ(s.rp.GetCurrentUserName(), U"bo");
  EXPECT_FALSE(Authorization::IsAuthorizedToRead(&s.rp, s.sa));
}

TEST(Session, DefaultCatalog) {
  ARpGateway rp;
  EXPECT_EQ(rp.GetDefaultCatalogName(false), U"");
  rp.SetSessionVariableValue({U"S", U"DEFAULT_CATALOG"}, Heap<PropertyValue>(new PropertyValueString(U"DW.CAT")));
  EXPECT_EQ(rp.GetDefaultCatalogName(true), U"DW.CAT");
  rp.SetDefaultCatalogName(U"Sales DW.SALESDB");
  EXPECT_EQ(rp.GetDefaultCatalogName(false), U"Sales DW.SALESDB");
  rp.SetDefaultSubjectAreaAppliesWhenCatalogSpecified(false);
  EXPECT_EQ(rp.GetDefaultCatalogName(true), U"");
}

TEST(Session, RepositoryManagerNotifiesInOrder) {
  struct Sink : RpMgr::Notifications {
    Sink(std::vector<int>& log, int tag) : m_log(log), m_tag(tag) {}
    void newRPCreated(ARpGateway&, RpMgr::InsertRpOptions o) override { m_log.push_back(m_tag + o); }
    void rpClosed(ARpGateway&) override { m_log.push_back(-m_tag); }
    std::vector<int>& m_log;
    int m_tag;
  };
  std::vector<int> log;
  Sink late(log, 300), early(log, 100);
  RpMgr::startNotify(&late, RpMgr::kProcessDimensionCache);
  RpMgr::startNotify(&early, RpMgr::kRpVarMgrCreator);
  RpMgr::startNotify(&early, RpMgr::kRpVarMgrCreator);  // once only
  ARpGateway rp;
  RpMgr::InsertRp(rp, RpMgr::kRPOffline);
  RpMgr::CloseRp(rp);
  RpMgr::stopNotify(&late);
  RpMgr::stopNotify(&early);
  EXPECT_FALSE(RpMgr::IsRegistered(&early));
  RpMgr::InsertRp(rp, RpMgr::kRPNone);
  // Sinks a loaded library registered may have logged nothing here (they are not ours).
  EXPECT_EQ(log, (std::vector<int>{132, 332, -100, -300}));
}

TEST(Properties, TypedAccessorsOfTheInterfaces) {
  SampleRepository s;
  Ref<AFolder> sa(s.Get(s.sa));
  EXPECT_FALSE(sa->HasDisplayName());
  sa->SetDisplayNameUse(true);
  sa->SetDisplayName(U"VALUEOF(VX_SESSION.SA_NAME)");
  EXPECT_TRUE(sa->HasDisplayName());
  EXPECT_EQ(sa->GetDisplayName(), U"VALUEOF(VX_SESSION.SA_NAME)");

  auto pool = s.b.At(s.db).Child(kTIDAConnectionPool, U"Pool");
  Ref<AConnectionPool> cp(pool.Obj());
  cp->SetPostConnectStrings({U"set a", U"set b"});
  VXStringVector scripts{U"old"};
  cp->GetEnabledPostConnectStrings(scripts);
  EXPECT_EQ(scripts, (VXStringVector{U"set a", U"set b"}));
  cp->GetEnabledAfterQueryStrings(scripts);
  EXPECT_TRUE(scripts.empty());
  EXPECT_EQ(cp->GetDatabase().GetID(), s.db);

  Ref<ADatabase> db(s.Get(s.db));
  db->SetTargetType(34);
  db->SetDatabaseProperty(U"Storage", U"", U"ZOV");
  db->SetDatabaseProperty(U"Storage", U"App1", U"ROLAP");
  EXPECT_EQ(db->GetDatabaseProperty(U"storage", U"app1"), U"ROLAP");
  EXPECT_EQ(db->GetDatabaseProperty(U"Storage", U"Other"), U"ZOV");
  EXPECT_EQ(db->GetDatabaseProperty(U"Missing", U""), U"");
  EXPECT_EQ(Ref<AColumn>(s.Get(s.orderId))->GetTargetType(), 34);
  EXPECT_EQ(Ref<ATable>(s.Get(s.orders))->GetDatabase().GetID(), s.db);

  auto block = s.b.Add(kTIDAInitBlock, U"Init");
  auto var = block.Child(kTIDARpVariable, U"V");
  Ref<ARpVariable> v(var.Obj());
  EXPECT_EQ(v->GetVariableType(), ARpVariable::kStatic);
  v->SetVariableType(ARpVariable::kSession);
  EXPECT_EQ(v->GetInitBlock().GetID(), block.Id());
  Ref<ASessionVariableBlock> blk(block.Obj());
  EXPECT_EQ(blk->GetBlockType(), ASessionVariableBlock::kRepositoryScope);
  blk->SetBlockType(ASessionVariableBlock::kSessionScope);
  EXPECT_EQ(blk->GetBlockType(), 1);
  EXPECT_TRUE(v->GetExpr().IsEmpty());

  Ref<ARpObject> o = s.Get(s.orders);
  o->SetGUID({0xde, 0xad});
  o->SetProperty(RpProp::kGUID, RpPropValue{});
  EXPECT_FALSE(o->HasProperty(RpProp::kGUID));
  RpProp key;
  ASSERT_TRUE(RpPropFromName("DisplayName", key));
  EXPECT_EQ(key, RpProp::kDisplayName);
  EXPECT_STREQ(RpPropName(RpProp::kWSDL), "WSDL");
  EXPECT_FALSE(RpPropFromName("NoSuch", key));
}

TEST(Properties, ExpressionMembersAndTheirObjects) {
  SampleRepository s;
  Expr e = ExprBuilder().Op(kAdd).Op(kAdd).ID(s.orderId).ID(VoidID(kTIDAColumn, 999)).End().ID(s.orderId).End().Build();
  Ref<AAttribute> rev(s.Get(s.revenue));
  rev->SetExpr(e);
  EXPECT_TRUE(rev->GetExpr() == e);
  RpObjectVector objs;
  rev->GetExpr().GetObjectsInExpr(&s.rp, objs, true);
  ASSERT_EQ(objs.size(), 1u);  // the unknown id is left out, the repeat folded
  EXPECT_EQ(objs[0].GetID(), s.orderId);
  objs.clear();
  e.GetObjectsInExpr(&s.rp, objs, false);
  EXPECT_EQ(objs.size(), 2u);
}

}  // namespace
