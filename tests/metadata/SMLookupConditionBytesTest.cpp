// The byte forms of the library's conditions: field order, round trips through
// the condition registry, and bytes that are truncated or hostile.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <typeinfo>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "SMLookupConditionTestRepo.h"
#include "Utility/DataBlobUtil.h"

namespace {

using Named = NamedInterfaceTypeCondition;
using Flexible = FlexibleNamedInterfaceTypeCondition;

ByteVector Tagged(const ACondition& cond) {
  ByteVector b;
  ConditionRegistry::ToTaggedBytes(nullptr, cond, b);
  return b;
}

ByteVector Fields(const ACondition& cond) {
  ByteVector b;
  cond.ToByteVector(nullptr, b);
  return b;
}

std::unique_ptr<ACondition> Decode(const ByteVector& b) {
  const uint8* next = nullptr;
  std::unique_ptr<ACondition> c = ConditionRegistry::FromTaggedBytes(nullptr, b.data(), b.data() + b.size(), &next);
  EXPECT_EQ(next, b.data() + b.size());
  return c;
}

template <class T>
std::unique_ptr<T> DecodeAs(const ByteVector& b) {
  std::unique_ptr<ACondition> c = Decode(b);
  T* t = dynamic_cast<T*>(c.get());
  if (!t) return nullptr;
  c.release();
  return std::unique_ptr<T>(t);
}

// A maker of a fresh condition of type T from these arguments.
template <class T, class... Args>
std::function<std::unique_ptr<ACondition>()> Make(Args... args) {
  return [=] { return std::make_unique<T>(args...); };
}

// The conditions the round-trip and truncation tests run over.
std::vector<std::function<std::unique_ptr<ACondition>()>> SampleConditions() {
  return {
      Make<Named>(kTIDAEntityFolder, QualifiedName{U"Sales", U"", U"orders old"}, true),
      Make<Named>(kTIDAEntityFolder, QualifiedName{U"Orders"}, false),
      Make<Named>(kTIDAEntityFolder, U"orders old", QualifiedName{U"Sales", U""}, true),
      Make<Named>(TypeIDVector{kTIDATable, kTIDAEntityFolder}, U"orders", QualifiedName{}, false),
      Make<Named>(kTIDATable, U"Orders", QualifiedName{U"Sales DB", U"", U""}, false),
      Make<Named>(kTIDACatalogFolder, QualifiedName{U"Say \"hi\"", U"Ünï.code"}, true),
      Make<Named>(TypeIDVector{}, QualifiedName{}, false),
      Make<Flexible>(TypeIDVector{kTIDAEntityFolder}, QualifiedName{U"", U"Orders"}, false),
      Make<Flexible>(TypeIDVector{kTIDAEntityFolder}, QualifiedName{U"old sales", U"", U"Orders"}, true),
      Make<Flexible>(TypeIDVector{kTIDAEntityFolder}, QualifiedName{U"", U""}, false),
      Make<Flexible>(TypeIDVector{kTIDATable, kTIDACubeTable}, QualifiedName{U"Orders"}, true),
      Make<Flexible>(TypeIDVector{}, QualifiedName{}, false),
      Make<WildcardNameCondition>(U"ord*s", false),
      Make<WildcardNameCondition>(U"*old", true),
      Make<WildcardNameCondition>(U"", false),
  };
}

void ExpectDecodeError(const ByteVector& b) {
  EXPECT_THROW(ConditionRegistry::FromTaggedBytes(nullptr, b.data(), b.data() + b.size()), BlobDecodeError);
}

// Bytes written field by field, for hostile input.
struct Wire {
  ByteVector b;
  Wire& Int(std::int32_t v) { return DataBlobUtil::ToByteVector(b, v), *this; }
  Wire& Flag(bool v) { return DataBlobUtil::ToByteVector(b, v), *this; }
  Wire& Text(const VXString& v) { return DataBlobUtil::ToByteVector(b, v), *this; }
  Wire& Types(const std::vector<int>& v) { return DataBlobUtil::ToByteVector(b, v), *this; }
  Wire& Raw(std::initializer_list<std::uint8_t> v) { return b.insert(b.end(), v), *this; }
  // The name condition's fields: last segment T, no alias matching.
  Wire& NameT() { return ObjectNameCondition(U"T", false).ToByteVector(nullptr, b), *this; }
};

}  // namespace

// The fields in the order a receiver reads them: the name condition first
// (the last segment and the alias flag), then each kind's own. The written
// name is not in the bytes; a flexible condition's flag comes before its name.
TEST(LookupConditionBytes, FieldOrder) {
  ByteVector named;
  ObjectNameCondition(U"T", true).ToByteVector(nullptr, named);
  DataBlobUtil::ToByteVector(named, std::vector<int>{kTIDATable, kTIDACubeTable});
  DataBlobUtil::ToByteVector(named, VXStringVector{U"DB", U"", U"T"});
  DataBlobUtil::ToByteVector(named, true);
  EXPECT_EQ(Fields(Named(TypeIDVector{kTIDATable, kTIDACubeTable}, QualifiedName{U"DB", U"", U"T"}, true)), named);

  ByteVector flexible;
  ObjectNameCondition(U"T", false).ToByteVector(nullptr, flexible);
  DataBlobUtil::ToByteVector(flexible, std::vector<int>{kTIDAEntityFolder});
  DataBlobUtil::ToByteVector(flexible, true);
  DataBlobUtil::ToByteVector(flexible, VXStringVector{U"", U"S", U"T"});
  EXPECT_EQ(Fields(Flexible(TypeIDVector{kTIDAEntityFolder}, QualifiedName{U"", U"S", U"T"}, false)), flexible);

  ByteVector wildcard;
  DataBlobUtil::ToByteVector(wildcard, VXString(U"a*"));
  DataBlobUtil::ToByteVector(wildcard, true);
  EXPECT_EQ(Fields(WildcardNameCondition(U"a*", true)), wildcard);
}

TEST(LookupConditionBytes, RoundTripsKeepFieldsAndMatches) {
  LookupTestRepo r;
  for (const auto& make : SampleConditions()) {
    const std::unique_ptr<ACondition> original = make();
    const ByteVector bytes = Tagged(*original);
    SCOPED_TRACE(testing::Message() << "tag " << original->GetConditionType() << ", " << bytes.size() << " bytes");
    const std::unique_ptr<ACondition> back = Decode(bytes);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetConditionType(), original->GetConditionType());
    const ACondition& backRef = *back;
    const ACondition& originalRef = *original;
    EXPECT_EQ(typeid(backRef), typeid(originalRef));
    EXPECT_EQ(Tagged(*back), bytes);

    // What is rebuilt from the fields rather than carried.
    if (const auto* n = dynamic_cast<const Named*>(original.get())) {
      EXPECT_EQ(dynamic_cast<const Named&>(*back).GetQName(), n->GetQName());
      EXPECT_EQ(dynamic_cast<const Named&>(*back).IsQualifiedNameMatch(), n->IsQualifiedNameMatch());
    } else if (const auto* f = dynamic_cast<const Flexible*>(original.get())) {
      EXPECT_EQ(dynamic_cast<const Flexible&>(*back).IsFlexibleNameMatch(), f->IsFlexibleNameMatch());
    }

    // The receiver accepts exactly what the sender would, object by object.
    VoidIDVector all;
    r.rp.LookupObjects(LookupAllCondition(), all);
    for (const VoidID& id : all) EXPECT_EQ((*back)(r.Get(id)), (*original)(r.Get(id))) << ToNarrow(id.ToString());
    EXPECT_EQ(r.Lookup(*back), r.Lookup(*original));
  }
}

TEST(LookupConditionBytes, ReadStopsBehindTheFields) {
  const ByteVector one = Tagged(Flexible(TypeIDVector{kTIDAEntityFolder}, QualifiedName{U"", U"A"}, true));
  ByteVector two = one;
  const ByteVector second = Tagged(WildcardNameCondition(U"x?", false));
  two.insert(two.end(), second.begin(), second.end());
  const uint8* next = nullptr;
  auto first = ConditionRegistry::FromTaggedBytes(nullptr, two.data(), two.data() + two.size(), &next);
  EXPECT_EQ(next, two.data() + one.size());
  auto then = ConditionRegistry::FromTaggedBytes(nullptr, next, two.data() + two.size(), &next);
  EXPECT_EQ(then->GetConditionType(), ACondition::WildCardName);
  EXPECT_EQ(next, two.data() + two.size());
}

TEST(LookupConditionBytes, EveryTruncationIsRefused) {
  for (const auto& make : SampleConditions()) {
    const std::unique_ptr<ACondition> c = make();
    const ByteVector full = Tagged(*c);
    for (std::size_t n = 0; n < full.size(); ++n) {
      const ByteVector cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
      SCOPED_TRACE(testing::Message() << "tag " << c->GetConditionType() << ", first " << n << " of " << full.size());
      ExpectDecodeError(cut);
    }
  }
}

TEST(LookupConditionBytes, FailedDecodeLeavesTheConditionAsItWas) {
  Named named(kTIDATable, QualifiedName{U"A", U"B"}, true);
  ByteVector b = Fields(Named(kTIDAColumn, QualifiedName{U"X", U"Y", U"Z"}, false));
  b.pop_back();
  EXPECT_THROW(named.FromByteVector(nullptr, b.data(), b.data() + b.size()), BlobDecodeError);
  EXPECT_EQ(named.GetQualifiedName(), (QualifiedName{U"A", U"B"}));
  EXPECT_EQ(named.GetObjectName(), U"B");
  EXPECT_EQ(named.GetEligibleTypes(), TypeIDVector{kTIDATable});

  Flexible flexible(TypeIDVector{kTIDATable}, QualifiedName{U"A", U"B"}, true);
  b = Fields(Flexible(TypeIDVector{kTIDAColumn}, QualifiedName{U"X", U"Y", U"Z"}, false));
  b.pop_back();
  EXPECT_THROW(flexible.FromByteVector(nullptr, b.data(), b.data() + b.size()), BlobDecodeError);
  EXPECT_EQ(flexible.GetFlexibleName(), (QualifiedName{U"A", U"B"}));
  EXPECT_EQ(flexible.GetNameSize(), 2);
}

TEST(LookupConditionBytes, HostileFlexibleCounts) {
  // Everything of a flexible condition up to its segment count.
  const auto head = [] {
    return Wire().Int(ACondition::FlexibleNamedInterfaceType).NameT().Types({kTIDAEntityFolder}).Flag(true);
  };
  for (std::int32_t count : {2147483647, 3, 1000000}) {
    SCOPED_TRACE(count);
    // two segments where count says otherwise
    ExpectDecodeError(head().Int(count).Text(U"A").Text(U"T").b);
  }
  // A zero count reads no segment.
  auto back = DecodeAs<Flexible>(head().Int(0).b);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetNameSize(), 0);
  EXPECT_TRUE(back->GetFlexibleName().empty());

  // A negative count, too, reads no segment and leaves what follows alone.
  auto neg = DecodeAs<Flexible>(head().Int(-2147483647 - 1).b);
  ASSERT_NE(neg, nullptr);
  EXPECT_EQ(neg->GetNameSize(), -2147483647 - 1);
  EXPECT_TRUE(neg->GetFlexibleName().empty());
}

TEST(LookupConditionBytes, HostileCountsAndValues) {
  std::vector<std::pair<const char*, ByteVector>> cases = {
      {"type count", Wire().Int(ACondition::NamedInterfaceType).NameT().Int(0x7FFFFFFF).Int(kTIDATable).b},
      {"name count",
       Wire().Int(ACondition::NamedInterfaceType).NameT().Types({kTIDATable}).Int(-1).Text(U"T").Flag(true).b},
      {"string length", Wire().Int(ACondition::WildCardName).Int(0x7FFFFFF0).Raw({'a', 0}).b},
      {"flag", Wire().Int(ACondition::WildCardName).Text(U"a").Raw({2}).b},  // neither 0 nor 1
      {"utf-8", Wire().Int(ACondition::WildCardName).Int(2).Raw({0xC3, 0x28, 0}).b},
  };
  for (std::int32_t tag : {-1, 0, 6, 7, 9, 11, 0x7FFFFFFF}) {  // tags nobody registered
    cases.emplace_back("tag", Wire().Int(tag).Text(U"a").Flag(false).b);
  }
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    ExpectDecodeError(bytes);
  }
}
