// Many sessions on one repository at once: eight threads, four users with
// different read denials and languages, display names with bundle strings,
// checks and the dictionary site, and one thread that edits the sample
// repository and publishes each edit as a new version while the others
// read. Every answer a reader gives must
// equal the answer of a single-threaded run on the same version for the
// same user. Built into the thread-sanitizer run of CI, which reports any
// data race among readers, the writer and the sessions' lazily filled
// values; under the address sanitizer it checks that versions outlive the
// readers that hold them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "Checks/ConsistencyCheck.h"
#include "Metadata/SMDictUtil.h"
#include "Metadata/SMLogicalSQL.h"
#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Site/SiteWriter.h"
#include "common/ScratchDir.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpGenerator.h"
#include "objectmodel/RpPublisher.h"
#include "objectmodel/ScopedDefaultSubjectArea.h"

namespace {

constexpr int kReaders = 7;  // and one writer
constexpr int kUsers = 4;
constexpr int kEdits = 4;

VXString Text(const std::string& s) { return ToVXString(s); }
VXString Text(const VoidID& id) { return id.ToString(); }

VXString Join(const QualifiedName& name) {
  VXString out;
  for (const VXString& segment : name) out += U"[" + segment + U"]";
  return out;
}

VXString Render(const Expr& expr, ARpGateway* rp, bool bFullyQualified) {
  try {
    return ToPrettyStringVisitor::StringFrom(expr, rp, bFullyQualified, bFullyQualified, false, false, false);
  } catch (const std::exception& e) {
    return U"error: " + Text(std::string(e.what()));
  }
}

RpProp ExprKey(TypeID type) {
  if (type == kTIDAComplexJoin) return RpProp::kJoinExpr;
  if (type == kTIDAFolderAttr) return RpProp::kHideObjectExpr;
  return RpProp::kExpr;
}

bool IsPresentation(TypeID type) { return type >= kBeginPresentationTypes && type < kEndPresentationTypes; }

// What a reader shows for the objects ids name, through one session: names,
// resolution by name, lookups, read permission, renderings, display names
// and descriptions (loading bundle strings into the session), dictionary
// paths, the tables of each subject area, the findings of every check on
// those objects, and one text with variables.
std::vector<VXString> Answers(ARpGateway* session, const VoidIDVector& ids) {
  std::vector<VXString> out;
  DictUniqueNamesCache cache;
  for (const VoidID& id : ids) {
    const Ref<ARpObject> obj = session->GetObject(id);
    if (obj.IsNull()) {
      out.push_back(U"gone");
      continue;
    }
    const TypeID type = obj->GetTypeID();
    QualifiedName name;
    MetadataUtil::GenerateQualifiedName(obj, name);
    out.push_back(Join(name));
    out.push_back(Text(MetadataUtil::GetRpObjectFromQualifiedName(session, type, name).GetID()));
    VoidIDVector found;
    session->LookupObjects(NamedInterfaceTypeCondition(type, name, false), found);
    for (const VoidID& f : found) out.push_back(Text(f));
    out.push_back(Authorization::IsAuthorizedToRead(session, id) ? U"readable" : U"denied");
    const Expr expr = obj->GetExprProperty(ExprKey(type));
    if (!expr.IsEmpty()) {
      out.push_back(Render(expr, session, false));
      out.push_back(Render(expr, session, true));
    }
    if (IsPresentation(type)) {
      out.push_back(MetadataUtil::GetCustomDisplayName(session, obj));
      out.push_back(MetadataUtil::GetCustomDescription(session, obj));
    }
    if (type == kTIDAFolderAttr && name.size() >= 3) {
      // A query of the column from its subject area (the first segment; the
      // table and the column are the last two): bound under the query's
      // subject area as the default, through the same session.
      const std::string sql = "SELECT \"" + ToNarrow(name[name.size() - 2]) + "\".\"" + ToNarrow(name.back()) +
                              "\" FROM \"" + ToNarrow(name.front()) + "\"";
      const logical_sql::BindResult bound = logical_sql::ParseAndBind(sql, session, VXString(), {});
      out.push_back(bound.spec ? U"bound" : U"not bound");
      for (const logical_sql::Diagnostic& d : bound.diagnostics) out.push_back(Text(logical_sql::MessageLine(d)));
      for (const logical_sql::BoundName& n : bound.names) out.push_back(n.qualifiedName + Text(n.id));
    }
    if (type == kTIDAEntityFolder) {
      QualifiedNameIDPairVector pairs;
      VoidIDSet tables;
      VoidID area;
      const auto code =
          NamedInterfaceTypeCondition::LookupFolderTree(name, pairs, session, kSME_Logical, tables, area, false, false);
      out.push_back(Text(std::to_string(code)));
      for (const QualifiedNameIDPair& p : pairs) out.push_back(Join(p.m_qName) + Text(p.m_id));
    }
    out.push_back(MetadataDictUtil::GetDictRelativePath(obj, cache));
  }
  ConsistencyCheckOptions checks;
  checks.m_scope.emplace(ids.begin(), ids.end());
  for (const ConsistencyMessage& m : RunConsistencyChecks(*session, checks)) out.push_back(m.GetText(false));
  VXString text = U"VALUEOF(VX_SESSION.USER_LANGUAGE) for VALUEOF(NQ_SESSION.USER)";
  MetadataUtil::ReplaceVariableWithValue(session, text, false, false, false);
  out.push_back(text);
  return out;
}

// The dictionary site of a session's presentation tables, written into a
// folder of its own: every file by its path in the folder, with its text.
std::map<std::string, std::string> Site(ARpGateway* session) {
  const testutil::ScratchDir scratch;
  const std::filesystem::path& dir = scratch.Dir();
  smutil_site::SiteOptions options;
  options.outDir = dir;
  options.types = {kTIDAEntityFolder};
  std::map<std::string, std::string> files;
  try {
    smutil_site::WriteSite(session, options);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
      if (entry.is_regular_file())
        files[std::filesystem::relative(entry.path(), dir)] = testutil::ReadFile(entry.path());
    }
  } catch (const std::exception& e) {
    files["error"] = e.what();
  }
  return files;
}

// The first objects of a type, in creation order.
VoidIDVector FirstOfType(ARpGateway& rp, TypeID type, std::size_t count) {
  VoidIDVector ids;
  rp.GetObjectIDsOfType(type, ids);
  if (ids.size() > count) ids.resize(count);
  return ids;
}

// Four users: one may read everything, the others are denied a subject
// area, a presentation table and a database, or a business model and some
// presentation columns; each has a language and a name of its own.
struct User {
  VXString m_name;
  VXString m_language;
  VoidIDVector m_denied;
};

std::vector<User> MakeUsers(ARpGateway& rp) {
  std::vector<User> users(kUsers);
  const VXString languages[kUsers] = {U"en", U"fr", U"de", U"ja"};
  for (int u = 0; u < kUsers; ++u) {
    users[u].m_name = U"user" + Text(std::to_string(u));
    users[u].m_language = languages[u];
  }
  auto deny = [&](int u, TypeID type, std::size_t nth) {
    const VoidIDVector ids = FirstOfType(rp, type, nth + 1);
    if (ids.size() > nth) users[u].m_denied.push_back(ids[nth]);
  };
  deny(1, kTIDACatalogFolder, 0);
  deny(2, kTIDAEntityFolder, 1);
  deny(2, kTIDADatabase, 0);
  deny(3, kTIDASubjectArea, 0);
  deny(3, kTIDAFolderAttr, 2);
  deny(3, kTIDAFolderAttr, 5);
  return users;
}

std::unique_ptr<ARpGateway> SignOn(std::shared_ptr<ARpGateway> repository, const User& user) {
  std::unique_ptr<ARpGateway> s = ARpGateway::OpenSession(std::move(repository));
  s->SetCurrentUser(user.m_name, VXString());
  for (const VoidID& id : user.m_denied) s->DenyRead(id);
  s->SetSessionVariableValue({U"NQ_SESSION", U"USER"}, Heap<PropertyValue>(new PropertyValueString(user.m_name)));
  s->SetSessionVariableValue({U"NQ_SESSION", U"USER_LANGUAGE"},
                             Heap<PropertyValue>(new PropertyValueString(user.m_language)));
  return s;
}

// Edit k of the writer: a presentation column renamed (its old name kept
// as an alias), another moved to another presentation table, a logical
// column deleted with what depends on it.
void Edit(ARpGateway& rp, int k) {
  const VoidIDVector columns = FirstOfType(rp, kTIDAFolderAttr, 1000);
  const VoidIDVector tables = FirstOfType(rp, kTIDAEntityFolder, 1000);
  const VoidIDVector logical = FirstOfType(rp, kTIDAAttribute, 1000);
  ASSERT_GT(columns.size(), 8u);
  ASSERT_GT(tables.size(), 2u);
  ASSERT_GT(logical.size(), 8u);
  const VoidID renamed = columns[static_cast<std::size_t>(k) % columns.size()];
  rp.RenameObject(renamed, rp.GetObject(renamed)->GetName() + U" v" + Text(std::to_string(k)));
  ARpObject* moved = rp.GetObject(columns[static_cast<std::size_t>(3 * k + 1) % columns.size()]).Get();
  ARpObject* table = rp.GetObject(tables[static_cast<std::size_t>(k) % tables.size()]).Get();
  if (moved->GetParentPointer() != table) rp.SetObjectParent(moved, table);
  rp.DeleteObject(logical[static_cast<std::size_t>(5 * k + 2) % logical.size()]);
}

VoidIDVector EveryObject(ARpGateway& rp, std::size_t step) {
  VoidIDVector all;
  for (TypeID type : rp.GetKnownTypes()) {
    VoidIDVector ids;
    rp.GetObjectIDsOfType(type, ids);
    for (std::size_t i = 0; i < ids.size(); i += step) all.push_back(ids[i]);
  }
  return all;
}

TEST(SessionRaces, EightThreadsFourUsersOneWriterPublishing) {
  std::shared_ptr<ARpGateway> sample = RpFile::Load(std::string(SMUTIL_SAMPLES_DIR) + "/sample.rpd.xml");
  ASSERT_TRUE(sample);
  RpGenerator::Options options;
  options.m_objectCount = 100000;
  const std::shared_ptr<ARpGateway> generated = RpGenerator::Generate(options);
  const std::vector<User> users = MakeUsers(*sample);
  const std::vector<User> generatedUsers = MakeUsers(*generated);
  // Objects deleted by later edits stay in the list: they must read as gone.
  const VoidIDVector sampleIDs = EveryObject(*sample, 1);
  const VoidIDVector generatedIDs = EveryObject(*generated, 331);

  // The versions the writer will publish, made the same way beforehand, and
  // every user's answers on each, one thread at a time.
  std::vector<std::shared_ptr<ARpGateway>> versions{sample};
  for (int k = 1; k <= kEdits; ++k) {
    std::unique_ptr<ARpGateway> next = versions.back()->CopyRepository();
    Edit(*next, k);
    versions.push_back(std::move(next));
  }
  std::vector<std::vector<std::vector<VXString>>> expected(versions.size());
  for (std::size_t v = 0; v < versions.size(); ++v) {
    for (const User& user : users) expected[v].push_back(Answers(SignOn(versions[v], user).get(), sampleIDs));
  }
  // Edits show: renamed, moved and deleted objects answer differently.
  ASSERT_NE(expected[0][0], expected[kEdits][0]);
  ASSERT_NE(expected[0][0], expected[0][3]);
  // Queries of presentation columns bind.
  ASSERT_NE(std::count(expected[0][0].begin(), expected[0][0].end(), U"bound"), 0);
  std::vector<std::vector<VXString>> expectedGenerated;
  for (const User& user : generatedUsers) {
    expectedGenerated.push_back(Answers(SignOn(generated, user).get(), generatedIDs));
  }
  ASSERT_NE(expectedGenerated[0], expectedGenerated[2]);
  // Each reader writes the site of its user on the last version.
  std::vector<std::map<std::string, std::string>> expectedSite;
  for (int u = 0; u < kUsers; ++u) {
    expectedSite.push_back(Site(SignOn(versions.back(), users[u]).get()));
    ASSERT_GT(expectedSite.back().size(), 2u);
    ASSERT_EQ(expectedSite.back().count("error"), 0u);
  }

  // The generated repository's sessions are shared: two readers fill the
  // same session's values at once.
  std::vector<std::unique_ptr<ARpGateway>> shared;
  for (const User& user : generatedUsers) shared.push_back(SignOn(generated, user));

  RpPublisher published(sample);
  std::atomic<bool> writing{true};
  std::atomic<int> failures{0};
  std::atomic<int> versionsSeen{0};
  std::atomic<int> rounds{0};
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (int k = 1; k <= kEdits; ++k) {
      std::unique_ptr<ARpGateway> next = published.BeginEdit();
      Edit(*next, k);
      // Some readers finish a round on each version before the next comes.
      while (rounds.load() < 2 * k) std::this_thread::yield();
      if (published.Publish(std::move(next)) != static_cast<std::uint64_t>(k + 1)) ++failures;
    }
    writing = false;
  });
  for (int r = 0; r < kReaders; ++r) {
    threads.emplace_back([&, r] {
      const int u = r % kUsers;
      std::unique_ptr<ARpGateway> mine = SignOn(published.GetCurrent().first, users[u]);
      std::uint64_t last = 0;
      // Rounds go on until the writer is done, and one more on the last
      // version.
      for (bool more = true; more;) {
        more = writing;
        const std::uint64_t version = published.Refresh(*mine);
        if (version < last) ++failures;  // versions only move on
        if (version != last) ++versionsSeen;
        last = version;
        if (Answers(mine.get(), sampleIDs) != expected[version - 1][u]) ++failures;
        if (Answers(shared[u].get(), generatedIDs) != expectedGenerated[u]) ++failures;
        ++rounds;
      }
      // The writer is done: this is the last version.
      if (Site(mine.get()) != expectedSite[u]) ++failures;
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  // Some reader moved from one version to another.
  EXPECT_GT(versionsSeen.load(), kReaders);
}

// A default subject area passed down on one thread (as the logical SQL
// binder does for each query) is seen on that thread only, nested scopes
// give the inner one, and the session's own default, the variable it falls
// back on included, is what the other threads see meanwhile and what comes
// back afterwards.
TEST(SessionRaces, ADefaultSubjectAreaPassedDownIsSeenOnItsThreadOnly) {
  auto repository = std::make_shared<ARpGateway>();
  std::unique_ptr<ARpGateway> session = ARpGateway::OpenSession(repository);
  session->SetSessionVariableValue({U"NQ_SESSION", U"DEFAULT_SUBJECT_AREA"},
                                   Heap<PropertyValue>(new PropertyValueString(U"From Variable")));
  std::unique_ptr<ARpGateway> other = ARpGateway::OpenSession(repository);
  other->SetDefaultSubjectAreaName(U"Other");
  std::atomic<int> wrong{0};
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done) {
      if (session->GetDefaultSubjectAreaName(false) != U"From Variable") ++wrong;
    }
  });
  std::vector<std::thread> binders;
  for (int t = 0; t < 2; ++t) {
    binders.emplace_back([&, t] {
      const VXString mine = U"Area " + Text(std::to_string(t));
      for (int i = 0; i < 2000; ++i) {
        const ScopedDefaultSubjectArea outer(session->GetSession(), mine);
        if (session->GetDefaultSubjectAreaName(false) != mine) ++wrong;
        {
          // An empty name is no explicit setting: the variable answers.
          const ScopedDefaultSubjectArea inner(session->GetSession(), VXString());
          if (session->GetDefaultSubjectAreaName(false) != U"From Variable") ++wrong;
        }
        if (session->GetDefaultSubjectAreaName(false) != mine) ++wrong;
        // Another session is not in the scope.
        if (other->GetDefaultSubjectAreaName(false) != U"Other") ++wrong;
      }
      if (session->GetDefaultSubjectAreaName(false) != U"From Variable") ++wrong;
    });
  }
  for (std::thread& b : binders) b.join();
  done = true;
  watcher.join();
  EXPECT_EQ(wrong.load(), 0);
  // The explicit setting wins over the variable, and the scope over both.
  session->SetDefaultSubjectAreaName(U"Set");
  const ScopedDefaultSubjectArea scope(session->GetSession(), U"Scoped");
  EXPECT_EQ(session->GetDefaultSubjectAreaName(false), U"Scoped");
}

}  // namespace
