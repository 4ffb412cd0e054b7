// Byte forms of the library's conditions, and their registration with the
// object model's condition registry so that a receiving process re-creates
// the right class from the type tag.
//
// The bytes come from another process: every field is read through the
// bounded DataBlobUtil readers, every count is checked against the bytes left
// before anything is allocated, and a failure names the field and its offset
// from the start of the condition's fields.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "Utility/DataBlobUtil.h"

namespace {

// Reads fields one after the other from [begin, end) and reports a failure
// with the field's name and its offset from begin.
class FieldReader {
 public:
  FieldReader(const char* condition, const uint8* begin, const uint8* end)
      : m_condition(condition), m_begin(begin), m_pos(begin), m_end(end) {}

  template <class Fn>
  void Read(const char* field, Fn&& read) {
    try {
      m_pos = read(m_pos, m_end);
    } catch (const BlobDecodeError& e) {
      Fail(field, Inner(e.what()), Offset() + e.GetOffset());
    }
  }
  [[noreturn]] void Fail(const char* field, const std::string& what, std::size_t offset) const {
    throw BlobDecodeError(std::string(m_condition) + ", " + field + ": " + what, offset);
  }

  const uint8* Position() const { return m_pos; }
  std::size_t Offset() const { return static_cast<std::size_t>(m_pos - m_begin); }
  std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_pos); }

 private:
  // The reader's own text without the "corrupt data at byte N: " prefix,
  // which the rethrown error writes again with the whole offset.
  static std::string Inner(std::string_view what) {
    const std::size_t colon = what.find(": ");
    return std::string(colon == std::string_view::npos ? what : what.substr(colon + 2));
  }

  const char* m_condition;
  const uint8* m_begin;
  const uint8* m_pos;
  const uint8* m_end;
};

TypeIDVector ToTypeIDs(const std::vector<int>& v) { return TypeIDVector(v.begin(), v.end()); }
std::vector<int> FromTypeIDs(const TypeIDVector& v) { return std::vector<int>(v.begin(), v.end()); }

// Every segment is at least its 4-byte length.
constexpr std::size_t kMinSegmentBytes = 4;

}  // namespace

// ---- NamedInterfaceTypeCondition -----------------------------------------------------

void NamedInterfaceTypeCondition::ToByteVector(ARpGateway* pRp, ByteVector& bytes) const {
  ObjectNameCondition::ToByteVector(pRp, bytes);
  DataBlobUtil::ToByteVector(bytes, FromTypeIDs(m_eligibleTypes));
  DataBlobUtil::ToByteVector(bytes, m_qualifiedName);
  DataBlobUtil::ToByteVector(bytes, m_bQualifiedNameMatch);
}

const uint8* NamedInterfaceTypeCondition::FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) {
  // Decoded into locals first, so a failure leaves the condition as it was.
  NamedInterfaceTypeCondition decoded;
  std::vector<int> types;
  FieldReader r("named condition", p, end);
  r.Read("name part",
         [&](const uint8* at, const uint8* e) { return decoded.ObjectNameCondition::FromByteVector(pRp, at, e); });
  r.Read("eligible types", [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, types); });
  r.Read("qualified name",
         [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, decoded.m_qualifiedName); });
  r.Read("qualified-name flag", [&](const uint8* at, const uint8* e) {
    return DataBlobUtil::FromByteVector(at, e, decoded.m_bQualifiedNameMatch);
  });

  m_objectName = std::move(decoded.m_objectName);
  m_bAliasMatching = decoded.m_bAliasMatching;
  m_eligibleTypes = ToTypeIDs(types);
  m_qualifiedName = std::move(decoded.m_qualifiedName);
  m_bQualifiedNameMatch = decoded.m_bQualifiedNameMatch;
  // The written name is not in the bytes. Every constructor makes it from the
  // qualified name with ToQualifiedName, so doing the same here gives the
  // receiver exactly the sender's text and the same matches.
  m_qName = MetadataUtil::ToQualifiedName(m_qualifiedName);
  return r.Position();
}

// ---- FlexibleNamedInterfaceTypeCondition ----------------------------------------------

void FlexibleNamedInterfaceTypeCondition::ToByteVector(ARpGateway* pRp, ByteVector& bytes) const {
  ObjectNameCondition::ToByteVector(pRp, bytes);
  DataBlobUtil::ToByteVector(bytes, FromTypeIDs(m_eligibleTypes));
  DataBlobUtil::ToByteVector(bytes, m_bFlexibleNameMatch);
  // The count written is the segments there are, so that the reader finds
  // exactly what follows.
  DataBlobUtil::ToByteVector(bytes, static_cast<std::int32_t>(m_flexibleName.size()));
  for (const VXString& segment : m_flexibleName) DataBlobUtil::ToByteVector(bytes, segment);
}

const uint8* FlexibleNamedInterfaceTypeCondition::FromByteVector(ARpGateway* pRp, const uint8* p, const uint8* end) {
  FlexibleNamedInterfaceTypeCondition decoded;
  std::vector<int> types;
  std::int32_t count = 0;
  FieldReader r("flexible condition", p, end);
  r.Read("name part",
         [&](const uint8* at, const uint8* e) { return decoded.ObjectNameCondition::FromByteVector(pRp, at, e); });
  r.Read("eligible types", [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, types); });
  r.Read("flexible-name flag", [&](const uint8* at, const uint8* e) {
    return DataBlobUtil::FromByteVector(at, e, decoded.m_bFlexibleNameMatch);
  });
  const std::size_t countOffset = r.Offset();
  r.Read("segment count", [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, count); });
  // A count below 1 reads no segment: the sender's empty name, however it
  // chose to write its size. The count is kept as read.
  if (count > 0 && static_cast<std::size_t>(count) > r.Remaining() / kMinSegmentBytes) {
    r.Fail("segment count",
           "count " + std::to_string(count) + " exceeds the " + std::to_string(r.Remaining()) + " bytes left",
           countOffset);
  }
  if (count > 0) decoded.m_flexibleName.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string field = "segment " + std::to_string(i + 1) + " of " + std::to_string(count);
    VXString segment;
    r.Read(field.c_str(),
           [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, segment, true); });
    decoded.m_flexibleName.push_back(std::move(segment));
  }

  m_objectName = std::move(decoded.m_objectName);
  m_bAliasMatching = decoded.m_bAliasMatching;
  m_eligibleTypes = ToTypeIDs(types);
  m_bFlexibleNameMatch = decoded.m_bFlexibleNameMatch;
  nameSize = count;
  m_flexibleName = std::move(decoded.m_flexibleName);
  return r.Position();
}

// ---- WildcardNameCondition -------------------------------------------------------------

void WildcardNameCondition::ToByteVector(ARpGateway*, ByteVector& bytes) const {
  DataBlobUtil::ToByteVector(bytes, m_objName);
  DataBlobUtil::ToByteVector(bytes, m_bAliasMatching);
}

const uint8* WildcardNameCondition::FromByteVector(ARpGateway*, const uint8* p, const uint8* end) {
  VXString pattern;
  bool bAlias = false;
  FieldReader r("wildcard condition", p, end);
  r.Read("pattern",
         [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, pattern, true); });
  r.Read("alias-matching flag",
         [&](const uint8* at, const uint8* e) { return DataBlobUtil::FromByteVector(at, e, bAlias); });
  m_objName = std::move(pattern);
  m_bAliasMatching = bAlias;
  return r.Position();
}

// ---- registration -------------------------------------------------------------------------

namespace {
// Runs when the shared library is loaded.
const bool g_registered = [] {
  ConditionRegistry::Register(ACondition::NamedInterfaceType,
                              [] { return std::make_unique<NamedInterfaceTypeCondition>(); });
  ConditionRegistry::Register(ACondition::FlexibleNamedInterfaceType,
                              [] { return std::make_unique<FlexibleNamedInterfaceTypeCondition>(); });
  ConditionRegistry::Register(ACondition::WildCardName, [] { return std::make_unique<WildcardNameCondition>(); });
  return true;
}();
}  // namespace
