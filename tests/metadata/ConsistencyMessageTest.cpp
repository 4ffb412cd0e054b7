#include <algorithm>
#include <limits>
#include <set>
#include <stdexcept>

#include "Metadata/ConsistencyMessage.h"
#include "Metadata/SMUtil.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/ObjectModel.h"

namespace {

// ---- Severity -----------------------------------------------------------------

struct IdRange {
  MessageId first, last;
};

// The warning ids as the check documents them to users.
// clang-format off
const IdRange kWarnings[] = {
    {23005, 23005}, {38100, 38100}, {38119, 38119}, {38128, 38128}, {38200, 38200}, {38203, 38203},
    {38208, 38208}, {39001, 39002}, {39004, 39011}, {39017, 39024}, {39026, 39031}, {39033, 39035},
    {39037, 39038}, {39040, 39040}, {39048, 39051}, {39053, 39058}, {39060, 39062}, {39064, 39066},
    {39070, 39071}, {39073, 39100}, {39102, 39108},
};
// clang-format on

ConsistencyMessageType TypeOf(MessageId id) { return ConsistencyMessage(id, Ref<ARpObject>(), U"").GetType(); }

TEST(ConsistencyMessageType, EveryIdAroundTheWarningRanges) {
  std::set<MessageId> warnings;
  for (const IdRange& r : kWarnings) {
    for (MessageId id = r.first; id <= r.last; ++id) warnings.insert(id);
  }
  for (MessageId id = 22990; id <= 39120; ++id) {
    const ConsistencyMessageType expected = warnings.count(id) ? MSG_WARNING : MSG_ERROR;
    ASSERT_EQ(TypeOf(id), expected) << "id " << id;
  }
}

TEST(ConsistencyMessageType, BestPracticeAndFarIds) {
  const std::pair<MessageId, ConsistencyMessageType> cases[] = {
      {89000, MSG_ERROR},
      {89001, MSG_BESTPRACTICE},
      {89002, MSG_ERROR},
      {0, MSG_ERROR},
      {39003, MSG_ERROR},
      {39004, MSG_WARNING},
      {std::numeric_limits<MessageId>::max(), MSG_ERROR},
  };
  for (const auto& [id, type] : cases) EXPECT_EQ(TypeOf(id), type) << id;
  // The type follows a changed id.
  ConsistencyMessage m(39004, Ref<ARpObject>(), U"x");
  m.SetMessageId(39003);
  EXPECT_EQ(m.GetMessageId(), 39003u);
  EXPECT_EQ(m.GetType(), MSG_ERROR);
}

// ---- Catalogue ------------------------------------------------------------------

// Every id the check fills from objects must have a text in the catalogue
// that uses exactly its arguments, each of them; otherwise a user reads a
// "message not found" text or loses a name.
TEST(ConsistencyMessageCatalogue, EveryRecipeIdHasATextWithItsArguments) {
  const auto recipes = ConsistencyMessage::GetRecipeArgumentCounts();
  ASSERT_EQ(recipes.size(), 230u);
  ASSERT_TRUE(std::is_sorted(recipes.begin(), recipes.end()));
  const auto catalogue = SUStrUtil::GetMessageCatalogue();
  for (const auto& [id, count] : recipes) {
    const VXString* text = catalogue->FindText(id);
    ASSERT_NE(text, nullptr) << "no catalogue text for " << id;
    EXPECT_EQ(MessageCatalogue::PlaceholderCount(*text), static_cast<int>(count)) << "id " << id;
    VXStringVector args;
    for (std::size_t i = 0; i < count; ++i) args.push_back(U"<arg" + ToVXString(std::to_string(i + 1)) + U">");
    const VXString filled = MessageCatalogue::Format(*text, args);
    for (const VXString& a : args) EXPECT_NE(filled.find(a), VXString::npos) << "id " << id << " drops " << ToNarrow(a);
  }
}

// ---- Text -------------------------------------------------------------------------

class ConsistencyMessageText : public ::testing::Test {
 protected:
  void SetUp() override {
    RpBuilder b(rp);
    auto db = b.Add(kTIDADatabase, U"Sales DB");
    auto orders = db.Child(kTIDATable, U"Orders");
    column = orders.Child(kTIDAColumn, U"Amount").Obj();
    table = orders.Obj();
    database = db.Obj();
    auto bm = b.Add(kTIDASubjectArea, U"Retail");
    logicalTable = bm.Child(kTIDALogicalTable, U"Fact \"Sales\"").Obj();
  }

  VXString QN(const Ref<ARpObject>& o) { return MetadataUtil::GenerateQualifiedName(o); }
  VXString TYPE(const Ref<ARpObject>& o) { return SUStrUtil::GetTypeName(o->GetMetaClass()->GetTypeID()); }
  VXString NAME(const Ref<ARpObject>& o) { return o->GetName(); }

  ARpGateway rp;
  Ref<ARpObject> database, table, column, logicalTable;
};

TEST_F(ConsistencyMessageText, EachRecipeShapeFillsItsArgumentsInOrder) {
  const RpObjectVector objs{column, logicalTable, table, database};
  const auto& o = objs;
  struct Case {
    MessageId id;
    VXStringVector args;
  };
  const Case cases[] = {
      {38076, {}},
      {38009, {QN(o[0])}},
      {14041, {NAME(o[0])}},
      {38014, {QN(o[0]), QN(o[1])}},
      {38008, {NAME(o[0]), NAME(o[1])}},
      {38005, {QN(o[0]), NAME(o[1])}},
      {38003, {NAME(o[0]), QN(o[1])}},
      {34042, {TYPE(o[0]), QN(o[0])}},
      {38051, {NAME(o[0]), NAME(o[1]), NAME(o[2])}},
      {38074, {QN(o[0]), NAME(o[1]), QN(o[2])}},
      {38100, {QN(o[0]), QN(o[1]), QN(o[2])}},
      {38173, {QN(o[0]), QN(o[1]), QN(o[2]), QN(o[3])}},
      {39080, {TYPE(o[0]), QN(o[0]), TYPE(o[1]), QN(o[1])}},
  };
  for (const Case& c : cases) {
    const ConsistencyMessage m(c.id, column, objs);
    EXPECT_EQ(m.GetText(true), SUStrUtil::LoadMsgString(c.id, c.args)) << "id " << c.id;
    EXPECT_EQ(m.GetText(false), SUStrUtil::LoadMsgStringOnly(c.id, c.args)) << "id " << c.id;
  }
}

TEST_F(ConsistencyMessageText, QualifiedNameIsTheWrittenFormTooFewObjectsRaiseOutOfRange) {
  const ConsistencyMessage m(38009, logicalTable, RpObjectVector{logicalTable});
  const VXString text = m.GetText(false);
  EXPECT_NE(text.find(U"\"Retail\".\"Fact \"\"Sales\"\"\""), VXString::npos) << ToNarrow(text);
  EXPECT_EQ(text.rfind(U"[38009]", 0), VXString::npos);
  EXPECT_EQ(m.GetText(true).rfind(U"[38009] ", 0), 0u);
  // Too few objects for the recipe raise out_of_range.
  EXPECT_THROW(ConsistencyMessage(38009, column, RpObjectVector{}).GetText(false), std::out_of_range);
  EXPECT_THROW(ConsistencyMessage(38173, column, RpObjectVector{column, table, database}).GetText(false),
               std::out_of_range);
  EXPECT_THROW(ConsistencyMessage(39080, column, RpObjectVector{column}).GetText(true), std::out_of_range);
}

// An id without a recipe has no text; one whose recipe takes no arguments
// needs no objects; objects win over a ready text.
TEST_F(ConsistencyMessageText, TextsOfIdsObjectsAndReadyTexts) {
  EXPECT_EQ(ConsistencyMessage(39003, column, RpObjectVector{column}).GetText(false), U"");
  EXPECT_EQ(ConsistencyMessage(0, column, RpObjectVector{column}, U"[1] ready").GetText(true), U"");
  EXPECT_EQ(ConsistencyMessage().GetText(false), U"");
  EXPECT_EQ(ConsistencyMessage(38076, column, RpObjectVector{}).GetText(false), SUStrUtil::LoadMsgStringOnly(38076));
  EXPECT_EQ(ConsistencyMessage(38009, column, RpObjectVector{column}, U"[1] ready").GetText(false),
            SUStrUtil::LoadMsgStringOnly(38009, QN(column)));
}

TEST(ConsistencyMessageReadyText, ErrorNumberRemoval) {
  struct Case {
    VXString text, withoutNumber;
  };
  const Case cases[] = {
      {U"[38009] Logical column has no source.", U"Logical column has no source."},
      {U"[38009]", U""},
      {U"[38009] ", U""},
      {U"[1]x", U""},
      {U"[12]ab", U"b"},
      {U"[a]b]c d", U"]c d"},
      {U"[]  two blanks", U" two blanks"},
      {U"No number here", U"No number here"},
      {U" [38009] leading blank", U" [38009] leading blank"},
      {U"[38009 never closed", U"[38009 never closed"},
      {U"[", U"["},
  };
  for (const Case& c : cases) {
    const ConsistencyMessage m(38009, Ref<ARpObject>(), c.text);
    EXPECT_EQ(m.GetText(false), c.withoutNumber) << ToNarrow(c.text);
    EXPECT_EQ(m.GetText(true), c.text) << ToNarrow(c.text);
  }
}

// ---- Ordering ---------------------------------------------------------------------

class ConsistencyMessageOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    db = rp.CreateObject(kTIDADatabase, U"D");
    t1 = rp.CreateObject(kTIDATable, U"T1", db.GetID());
    t2 = rp.CreateObject(kTIDATable, U"T2", db.GetID());
    col = rp.CreateObject(kTIDAColumn, U"C", t1.GetID());
  }
  ARpGateway rp;
  Ref<ARpObject> db, t1, t2, col;
};

// Each row: a, b, whether a < b and whether b < a.
TEST_F(ConsistencyMessageOrder, ByMainObjectThenTextWithoutErrorNumber) {
  ASSERT_LT(t1.GetID(), t2.GetID());
  ASSERT_LT(t1.GetID().m_interfaceTypeID, col.GetID().m_interfaceTypeID);
  const Ref<ARpObject> none;
  struct Case {
    const char* what;
    ConsistencyMessage a, b;
    bool aFirst, bFirst;
  };
  const Case cases[] = {
      {"main object before text", {1, t1, U"[1] zzz"}, {2, t2, U"[2] aaa"}, true, false},
      // By type id first: a table (3001) before a database (3023) whatever the numbers.
      {"type before number", {1, t1, U"[1] zzz"}, {1, db, U"[1] a"}, true, false},
      {"table before column", {1, t2, U"[1] z"}, {1, col, U"[1] a"}, true, false},
      {"null main object first", {1, none, U"[1] zzz"}, {1, t1, U"[1] aaa"}, true, false},
      {"null main objects by text", {1, none, U"[9] a"}, {1, none, U"[1] zzz"}, true, false},
      // With their numbers "[10] b" would sort before "[9] a".
      {"text without its number", {9, t1, U"[9] a"}, {10, t1, U"[10] b"}, true, false},
      {"same text", {9, t1, U"[9] a"}, {11, t1, U"[11] a"}, false, false},
      {"itself", {9, t1, U"[9] a"}, {9, t1, U"[9] a"}, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a < c.b, c.aFirst) << c.what;
    EXPECT_EQ(c.b < c.a, c.bFirst) << c.what;
  }
}

TEST_F(ConsistencyMessageOrder, TextsCompareByCodePoint) {
  // Ascending code points across every encoded length, surrogates and values
  // beyond Unicode included.
  const char32_t codes[] = {U'a',     U'z',      0x7F,      0xE9,       0x7FF,      0x800,
                            0xD800,   0xE000,    0xFFFF,    0x10000,    0x1F600,    0x10FFFF,
                            0x110000, 0x3FFFFFF, 0x4000000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
  std::vector<ConsistencyMessage> v;
  for (std::size_t i = 0; i < std::size(codes); ++i) {
    v.emplace_back(i + 1, t1, U"[" + ToVXString(std::to_string(i + 1)) + U"] x" + VXString(1, codes[i]) + U"y");
  }
  // A shorter text before its extensions.
  v.emplace_back(100, t1, U"[100] x");
  std::reverse(v.begin(), v.end());
  std::sort(v.begin(), v.end());
  ASSERT_EQ(v.front().GetMessageId(), 100u);
  for (std::size_t i = 1; i < v.size(); ++i) {
    EXPECT_EQ(v[i].GetMessageId(), i) << "position " << i;
    EXPECT_TRUE(v[i - 1] < v[i]);
    EXPECT_FALSE(v[i] < v[i - 1]);
  }
}

TEST_F(ConsistencyMessageOrder, ChangedIdIsSeenByOrdering) {
  const ConsistencyMessage missingSource(38009, col, RpObjectVector{col});
  ConsistencyMessage m(38009, col, RpObjectVector{col});
  EXPECT_FALSE(m < missingSource);
  EXPECT_FALSE(missingSource < m);
  // "User C has no password ..." comes after "Logical column ... has no
  // physical data source ...".
  m.SetMessageId(14041);
  EXPECT_FALSE(m < missingSource);
  EXPECT_TRUE(missingSource < m);
}

TEST_F(ConsistencyMessageOrder, OrderingThrowsWhenATextCannotBeBuilt) {
  const ConsistencyMessage broken(38009, col, RpObjectVector{});
  const ConsistencyMessage fine(38009, col, RpObjectVector{col});
  EXPECT_THROW((void)(broken < fine), std::out_of_range);
  // Different objects never need texts.
  EXPECT_NO_THROW((void)(broken < ConsistencyMessage(38009, t1, RpObjectVector{})));
}

}  // namespace
