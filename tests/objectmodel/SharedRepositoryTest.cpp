// Sessions on one repository, copies of it and published versions.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "SampleRepository.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpPublisher.h"

namespace {

std::shared_ptr<ARpGateway> LoadSample() { return RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml"); }

Heap<PropertyValue> Value(const VXString& text) { return Heap<PropertyValue>(new PropertyValueString(text)); }

VXString Variable(ARpGateway& rp, const VXString& name) {
  Heap<PropertyValue> v;
  return rp.GetSessionVariableValue({GlobalRpVariables::global_SessionBlockWildcard, name}, v) ? v->StringFrom()
                                                                                               : U"(unset)";
}

TEST(SharedRepository, SessionsShareObjectsButNotState) {
  auto repo = std::make_shared<SampleRepository>();
  std::shared_ptr<ARpGateway> rp(repo, &repo->rp);
  std::unique_ptr<ARpGateway> alice = ARpGateway::OpenSession(rp);
  std::unique_ptr<ARpGateway> bob = ARpGateway::OpenSession(rp);
  alice->SetCurrentUser(U"alice", U"");
  alice->DenyRead(repo->sa);
  alice->SetSessionVariableValue({U"NQ_SESSION", U"LANGUAGE"}, Value(U"fr"));
  alice->SetDefaultSubjectAreaName(U"Sales");
  bob->SetSessionVariableValue({U"NQ_SESSION", U"LANGUAGE"}, Value(U"de"));

  struct Row {
    ARpGateway* gateway;
    const char32_t* user;
    bool bDenied;
    const char32_t* language;
    const char32_t* defaultArea;
  };
  const Row rows[] = {{alice.get(), U"alice", true, U"fr", U"Sales"},
                      {bob.get(), U"", false, U"de", U""},
                      {rp.get(), U"", false, U"(unset)", U""}};
  for (const Row& r : rows) {
    EXPECT_EQ(r.gateway->GetCurrentUserName(), r.user);
    EXPECT_EQ(r.gateway->IsReadDenied(repo->presAmount), r.bDenied) << "below a denied subject area";
    EXPECT_EQ(Authorization::IsAuthorizedToRead(r.gateway, repo->presAmount), !r.bDenied);
    EXPECT_EQ(Variable(*r.gateway, U"language"), r.language);
    EXPECT_EQ(r.gateway->GetDefaultSubjectAreaName(false), r.defaultArea);
    EXPECT_EQ(&r.gateway->GetRepository(), rp.get());
  }

  // One object, whichever session finds it; handles compare equal.
  Ref<ARpObject> viaAlice = alice->GetObject(repo->orders);
  Ref<ARpObject> viaBob(bob.get(), repo->orders);
  ASSERT_FALSE(viaAlice.IsNull());
  EXPECT_EQ(viaAlice.Get(), viaBob.Get());
  EXPECT_TRUE(viaAlice == viaBob);
  VoidIDVector ids;
  bob->LookupObjects(TypedObjectNameCondition(kTIDATable, U"orders", false), ids);
  EXPECT_EQ(ids, VoidIDVector{repo->orders});
  // Changes to the objects are seen by every session.
  ASSERT_TRUE(rp->RenameObject(repo->orders, U"Sales Orders"));
  EXPECT_EQ(bob->GetObject(repo->orders)->GetName(), U"Sales Orders");
  EXPECT_NE(alice->GetInstanceID(), bob->GetInstanceID());

  // A session of a session reads the same repository.
  std::unique_ptr<ARpGateway> carol = ARpGateway::OpenSession(std::shared_ptr<ARpGateway>(std::move(bob)));
  EXPECT_EQ(&carol->GetRepository(), rp.get());
  EXPECT_EQ(Variable(*carol, U"language"), U"(unset)");

  // A deletion leaves every session's denials alone, whichever session
  // deleted: an object made again under the id is denied alike everywhere.
  alice->DenyRead(repo->presAmount);
  carol->DenyRead(repo->presAmount);
  const Ref<ARpObject> table = alice->GetObject(repo->presAmount)->GetParentObject();
  ASSERT_TRUE(alice->DeleteObject(repo->presAmount));
  ASSERT_FALSE(rp->CreateObject(kTIDAFolderAttr, U"Amount", table.GetID(), repo->presAmount).IsNull());
  EXPECT_TRUE(alice->IsReadDenied(repo->presAmount));
  EXPECT_TRUE(carol->IsReadDenied(repo->presAmount));
  EXPECT_FALSE(rp->IsReadDenied(repo->presAmount));
}

TEST(SharedRepository, SessionsKeepTheirRepositoryAlive) {
  std::shared_ptr<ARpGateway> rp = LoadSample();
  ASSERT_TRUE(rp);
  const std::size_t count = rp->GetObjectCount();
  VoidIDVector areas;
  rp->GetObjectIDsOfType(kTIDACatalogFolder, areas);
  ASSERT_FALSE(areas.empty());
  const VXString name = rp->GetObject(areas.front())->GetName();
  std::unique_ptr<ARpGateway> session = ARpGateway::OpenSession(std::move(rp));
  EXPECT_EQ(session->GetObjectCount(), count);
  EXPECT_EQ(session->GetObject(areas.front())->GetName(), name);
  Ref<ARpObject> held = session->GetObject(areas.front());
  session.reset();
  // The last session gone, a handle it gave names nothing.
  EXPECT_TRUE(held.IsNull());
}

TEST(SharedRepository, ACopyIsTheSameRepositoryAndGoesItsOwnWay) {
  std::shared_ptr<ARpGateway> rp = LoadSample();
  ASSERT_TRUE(rp);
  // Objects deleted and moved before the copy: gaps in the type lists and
  // children out of their creation order.
  VoidIDVector columns;
  rp->GetObjectIDsOfType(kTIDAFolderAttr, columns);
  ASSERT_GT(columns.size(), 4u);
  ASSERT_TRUE(rp->DeleteObject(columns[1]));
  ASSERT_TRUE(rp->MoveChild(columns[3], -1));
  ASSERT_TRUE(rp->AddAlias(columns[0], U"Former Name"));
  rp->SetSessionVariableValue({U"NQ_SESSION", U"LANGUAGE"}, Value(U"fr"));

  std::unique_ptr<ARpGateway> copy = rp->CopyRepository();
  std::string difference;
  EXPECT_FALSE(RpFile::FindFirstDifference(*rp, *copy, difference)) << difference;
  EXPECT_EQ(RpFile::SaveToString(*rp), RpFile::SaveToString(*copy));
  EXPECT_EQ(Variable(*copy, U"language"), U"(unset)") << "the session is not part of the repository";
  // The copy's indexes find its own objects, by name and former name.
  for (const char32_t* name : {U"Former Name", U"former name"}) {
    VoidIDVector ids;
    copy->LookupObjects(TypedObjectNameCondition(kTIDAFolderAttr, name, true), ids);
    ASSERT_EQ(ids, VoidIDVector{columns[0]}) << ToNarrow(name);
    EXPECT_EQ(copy->GetObject(ids[0])->GetGateway(), copy.get());
  }
  // Edits of the copy leave the original as it was, and the other way.
  const VXString before = rp->GetObject(columns[2])->GetName();
  ASSERT_TRUE(copy->RenameObject(columns[2], U"Renamed"));
  ASSERT_TRUE(copy->DeleteObject(columns[0]));
  ASSERT_TRUE(rp->RenameObject(columns[3], U"Renamed Here"));
  EXPECT_EQ(rp->GetObject(columns[2])->GetName(), before);
  EXPECT_FALSE(rp->GetObject(columns[0]).IsNull());
  EXPECT_NE(copy->GetObject(columns[3])->GetName(), U"Renamed Here");
  EXPECT_TRUE(RpFile::FindFirstDifference(*rp, *copy, difference));
}

TEST(SharedRepository, PublishedVersionsReachSessionsWhenRefreshed) {
  RpPublisher published(LoadSample());
  VoidIDVector areas;
  published.GetCurrent().first->GetObjectIDsOfType(kTIDACatalogFolder, areas);
  ASSERT_FALSE(areas.empty());
  const VoidID area = areas.front();
  const VXString original = published.GetCurrent().first->GetObject(area)->GetName();

  std::unique_ptr<ARpGateway> reader = published.OpenSession();
  reader->DenyRead(area);
  reader->SetSessionVariableValue({U"NQ_SESSION", U"LANGUAGE"}, Value(U"fr"));
  const std::uint64_t instance = reader->GetInstanceID();
  Ref<ARpObject> held = reader->GetObject(area);

  std::unique_ptr<ARpGateway> next = published.BeginEdit();
  ASSERT_TRUE(next->RenameObject(area, U"Renamed Area"));
  EXPECT_EQ(published.GetCurrent().first->GetObject(area)->GetName(), original) << "edits are private until published";
  EXPECT_EQ(published.Publish(std::move(next)), 2u);

  // Until refreshed, the reader keeps the version it has, and so do its
  // handles.
  EXPECT_EQ(reader->GetObject(area)->GetName(), original);
  EXPECT_EQ(published.Refresh(*reader), 2u);
  EXPECT_EQ(reader->GetObject(area)->GetName(), U"Renamed Area");
  EXPECT_NE(reader->GetInstanceID(), instance);
  // The session's own state went along.
  EXPECT_TRUE(reader->IsReadDenied(area));
  EXPECT_EQ(Variable(*reader, U"language"), U"fr");
  // Nobody holds the first version any more: its objects name nothing.
  EXPECT_TRUE(held.IsNull());
  EXPECT_EQ(published.Refresh(*reader), 2u);

  // A repository reads its own objects and cannot switch.
  EXPECT_THROW(published.GetCurrent().first->SwitchRepository(published.GetCurrent().first), std::exception);
}

}  // namespace
