// Consistency-message records: severity, argument recipes and display text.
//
// Which ids are warnings and how each id turns its objects into message
// arguments are tables below, sorted by id and searched by binary search; the
// functions only read them.
#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>

#include "Metadata/ConsistencyMessage.h"
#include "Metadata/SMUtil.h"
#include "Utility/SUStrUtil.h"

namespace {

// ---- Severity -------------------------------------------------------------

struct SeverityRange {
  MessageId first;
  MessageId last;
  ConsistencyMessageType type;
};

// Every id not listed is an error.
// clang-format off
constexpr SeverityRange kSeverityRanges[] = {
    {23005, 23005, MSG_WARNING},
    {38100, 38100, MSG_WARNING},
    {38119, 38119, MSG_WARNING},
    {38128, 38128, MSG_WARNING},
    {38200, 38200, MSG_WARNING},
    {38203, 38203, MSG_WARNING},
    {38208, 38208, MSG_WARNING},
    {39001, 39002, MSG_WARNING},
    {39004, 39011, MSG_WARNING},
    {39017, 39024, MSG_WARNING},
    {39026, 39031, MSG_WARNING},
    {39033, 39035, MSG_WARNING},
    {39037, 39038, MSG_WARNING},
    {39040, 39040, MSG_WARNING},
    {39048, 39051, MSG_WARNING},
    {39053, 39058, MSG_WARNING},
    {39060, 39062, MSG_WARNING},
    {39064, 39066, MSG_WARNING},
    {39070, 39071, MSG_WARNING},
    {39073, 39100, MSG_WARNING},
    {39102, 39108, MSG_WARNING},
    {89001, 89001, MSG_BESTPRACTICE},
};
// clang-format on

// ---- Argument recipes -----------------------------------------------------

// What one message argument is made of: the written qualified name of an
// object, its own name, or the display name of its type.
enum class ArgKind : std::uint8_t { kQN, kName, kType };

struct ArgSpec {
  ArgKind kind;
  std::uint8_t object;  // position in the record's object vector
};

struct Recipe {
  std::uint8_t count;
  std::array<ArgSpec, 5> args;
};

constexpr ArgSpec QN(std::uint8_t i) { return {ArgKind::kQN, i}; }
constexpr ArgSpec NAME(std::uint8_t i) { return {ArgKind::kName, i}; }
constexpr ArgSpec TYPE(std::uint8_t i) { return {ArgKind::kType, i}; }

constexpr Recipe kNoArgs{0, {}};
constexpr Recipe kQN0{1, {QN(0)}};
constexpr Recipe kName0{1, {NAME(0)}};
constexpr Recipe kQN0QN1{2, {QN(0), QN(1)}};
constexpr Recipe kName0Name1{2, {NAME(0), NAME(1)}};
constexpr Recipe kQN0Name1{2, {QN(0), NAME(1)}};
constexpr Recipe kName0QN1{2, {NAME(0), QN(1)}};
constexpr Recipe kType0QN0{2, {TYPE(0), QN(0)}};
constexpr Recipe kName0Name1Name2{3, {NAME(0), NAME(1), NAME(2)}};
constexpr Recipe kQN0Name1QN2{3, {QN(0), NAME(1), QN(2)}};
constexpr Recipe kQN0QN1QN2{3, {QN(0), QN(1), QN(2)}};
constexpr Recipe kQN0QN1QN2QN3{4, {QN(0), QN(1), QN(2), QN(3)}};
constexpr Recipe kType0QN0Type1QN1{4, {TYPE(0), QN(0), TYPE(1), QN(1)}};

struct RecipeRange {
  MessageId first;
  MessageId last;
  const Recipe* recipe;
};

// clang-format off
constexpr RecipeRange kRecipeRanges[] = {
    {14041, 14041, &kName0},
    {14043, 14043, &kName0},
    {34042, 34042, &kType0QN0},
    {36004, 36004, &kName0},
    {38003, 38004, &kName0QN1},
    {38005, 38005, &kQN0Name1},
    {38008, 38008, &kName0Name1},
    {38009, 38009, &kQN0},
    {38010, 38012, &kName0Name1},
    {38014, 38015, &kQN0QN1},
    {38016, 38017, &kQN0},
    {38018, 38018, &kName0},
    {38019, 38020, &kName0Name1},
    {38025, 38025, &kName0},
    {38026, 38026, &kQN0},
    {38027, 38027, &kQN0QN1},
    {38029, 38030, &kName0Name1},
    {38032, 38032, &kName0Name1},
    {38034, 38042, &kName0},
    {38043, 38043, &kName0Name1},
    {38046, 38050, &kName0Name1},
    {38051, 38051, &kName0Name1Name2},
    {38052, 38055, &kName0},
    {38056, 38056, &kName0Name1},
    {38057, 38057, &kName0Name1Name2},
    {38058, 38058, &kName0},
    {38059, 38060, &kName0Name1},
    {38061, 38066, &kName0},
    {38073, 38073, &kQN0},
    {38074, 38074, &kQN0Name1QN2},
    {38075, 38075, &kQN0},
    {38076, 38077, &kNoArgs},
    {38080, 38080, &kName0},
    {38081, 38081, &kQN0},
    {38082, 38082, &kQN0QN1},
    {38083, 38084, &kName0},
    {38085, 38086, &kName0Name1},
    {38087, 38087, &kName0},
    {38088, 38089, &kQN0},
    {38090, 38090, &kQN0QN1},
    {38091, 38092, &kName0Name1Name2},
    {38093, 38093, &kName0},
    {38094, 38094, &kName0Name1Name2},
    {38095, 38095, &kQN0},
    {38096, 38098, &kQN0QN1},
    {38099, 38099, &kQN0},
    {38100, 38100, &kQN0QN1QN2},
    {38101, 38102, &kQN0QN1},
    {38103, 38103, &kQN0QN1QN2},
    {38104, 38104, &kQN0},
    {38105, 38105, &kName0},
    {38106, 38106, &kName0QN1},
    {38107, 38111, &kQN0},
    {38112, 38112, &kQN0QN1QN2},
    {38113, 38117, &kQN0},
    {38118, 38118, &kName0Name1},
    {38119, 38122, &kQN0},
    {38124, 38124, &kName0},
    {38125, 38125, &kQN0Name1},
    {38126, 38126, &kType0QN0},
    {38128, 38128, &kQN0},
    {38129, 38129, &kName0},
    {38132, 38133, &kQN0},
    {38135, 38135, &kQN0},
    {38141, 38142, &kQN0Name1},
    {38145, 38145, &kQN0Name1},
    {38146, 38146, &kQN0},
    {38150, 38150, &kQN0},
    {38157, 38159, &kName0},
    {38160, 38160, &kQN0},
    {38161, 38162, &kName0},
    {38164, 38164, &kQN0QN1},
    {38166, 38167, &kName0},
    {38168, 38168, &kType0QN0},
    {38169, 38169, &kName0},
    {38173, 38173, &kQN0QN1QN2QN3},
    {38174, 38174, &kQN0Name1},
    {38178, 38178, &kQN0},
    {38179, 38179, &kQN0QN1},
    {38180, 38180, &kQN0QN1QN2},
    {38181, 38181, &kNoArgs},
    {38182, 38186, &kName0},
    {38187, 38187, &kQN0},
    {38189, 38189, &kQN0},
    {38190, 38191, &kName0},
    {38192, 38192, &kType0QN0},
    {38193, 38194, &kQN0},
    {38200, 38200, &kName0},
    {38201, 38203, &kType0QN0},
    {38204, 38204, &kQN0},
    {38207, 38208, &kQN0},
    {38209, 38209, &kQN0QN1},
    {38210, 38210, &kType0QN0},
    {38212, 38212, &kQN0},
    {38213, 38213, &kName0},
    {38214, 38214, &kQN0Name1},
    {38215, 38215, &kNoArgs},
    {39001, 39001, &kName0},
    {39002, 39002, &kQN0},
    {39008, 39008, &kName0Name1},
    {39011, 39011, &kQN0QN1},
    {39017, 39017, &kName0},
    {39018, 39018, &kQN0},
    {39023, 39023, &kName0},
    {39024, 39024, &kQN0},
    {39026, 39026, &kName0},
    {39027, 39027, &kQN0},
    {39028, 39028, &kName0},
    {39029, 39029, &kName0Name1},
    {39030, 39031, &kQN0},
    {39033, 39033, &kName0},
    {39034, 39034, &kQN0},
    {39035, 39035, &kName0Name1},
    {39037, 39037, &kQN0},
    {39038, 39038, &kName0Name1},
    {39040, 39040, &kName0Name1},
    {39048, 39048, &kName0},
    {39049, 39049, &kQN0QN1},
    {39050, 39050, &kName0},
    {39051, 39051, &kType0QN0},
    {39053, 39053, &kName0},
    {39054, 39055, &kQN0QN1},
    {39056, 39058, &kQN0},
    {39060, 39061, &kQN0QN1},
    {39064, 39065, &kQN0},
    {39066, 39066, &kName0},
    {39070, 39070, &kName0Name1},
    {39071, 39071, &kName0},
    {39073, 39073, &kQN0},
    {39075, 39076, &kQN0},
    {39077, 39077, &kNoArgs},
    {39078, 39079, &kQN0},
    {39080, 39080, &kType0QN0Type1QN1},
    {39081, 39083, &kQN0},
    {39084, 39084, &kQN0QN1},
    {39085, 39085, &kQN0},
    {39086, 39088, &kNoArgs},
    {39090, 39091, &kQN0Name1},
    {39092, 39093, &kQN0},
    {39094, 39095, &kNoArgs},
    {39096, 39096, &kName0Name1},
    {39097, 39100, &kQN0},
    {39102, 39106, &kQN0},
    {39107, 39107, &kName0},
    {39108, 39108, &kName0Name1},
    {89001, 89001, &kQN0},
};
// clang-format on

template <typename Range, std::size_t N>
constexpr bool SortedAndDisjoint(const Range (&ranges)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    if (ranges[i].first > ranges[i].last) return false;
    if (i > 0 && ranges[i].first <= ranges[i - 1].last) return false;
  }
  return true;
}
static_assert(SortedAndDisjoint(kSeverityRanges), "severity ranges must be sorted and disjoint");
static_assert(SortedAndDisjoint(kRecipeRanges), "recipe ranges must be sorted and disjoint");

// The range holding id, or null.
template <typename Range, std::size_t N>
const Range* FindRange(const Range (&ranges)[N], MessageId id) {
  const Range* end = ranges + N;
  const Range* it = std::upper_bound(ranges, end, id, [](MessageId v, const Range& r) { return v < r.first; });
  if (it == ranges) return nullptr;
  --it;
  return id <= it->last ? it : nullptr;
}

const Recipe* FindRecipe(MessageId id) {
  const RecipeRange* r = FindRange(kRecipeRanges, id);
  return r ? r->recipe : nullptr;
}

using QualifiedNameFn = std::function<VXString(const Ref<ARpObject>&)>;

VXString BuildArgument(const ArgSpec& spec, const std::vector<Ref<ARpObject>>& objects,
                       const QualifiedNameFn* qualifiedName) {
  const Ref<ARpObject>& obj = objects.at(spec.object);
  switch (spec.kind) {
    case ArgKind::kQN:
      return qualifiedName ? (*qualifiedName)(obj) : MetadataUtil::GenerateQualifiedName(obj);
    case ArgKind::kName:
      return obj->GetName();
    case ArgKind::kType:
      return SUStrUtil::GetTypeName(obj->GetMetaClass()->GetTypeID());
  }
  return VXString();
}

// How many leading characters make the error number of text: up to the
// first "]" after a leading "[", and the one character (the blank) after it.
// 0 when the text does not begin with a bracketed number.
std::size_t ErrorNoLength(const VXString& text) {
  if (text.empty() || text.front() != U'[') return 0;
  const std::size_t close = text.find(U']');
  if (close == VXString::npos) return 0;
  return std::min(close + 2, text.size());
}

VXString RemoveErrorNo(const VXString& text) { return text.substr(ErrorNoLength(text)); }

// The same in place, for texts built here: no second copy of the text.
void StripErrorNo(VXString& text) { text.erase(0, ErrorNoLength(text)); }

}  // namespace

ConsistencyMessage::ConsistencyMessage() = default;

ConsistencyMessage::ConsistencyMessage(MessageId id, const Ref<ARpObject>& mainObject, const VXString& text)
    : m_messageId(id), m_mainObject(mainObject), m_strMessageText(text) {}

ConsistencyMessage::ConsistencyMessage(MessageId id, const Ref<ARpObject>& mainObject,
                                       const std::vector<Ref<ARpObject>>& objects)
    : m_messageId(id), m_mainObject(mainObject), m_objects(objects) {}

ConsistencyMessage::ConsistencyMessage(MessageId id, const Ref<ARpObject>& mainObject,
                                       const std::vector<Ref<ARpObject>>& objects, const VXString& text)
    : m_messageId(id), m_mainObject(mainObject), m_objects(objects), m_strMessageText(text) {}

ConsistencyMessage::~ConsistencyMessage() = default;

void ConsistencyMessage::SetMessageId(MessageId id) {
  m_messageId = id;
  m_sortKey.reset();
}

ConsistencyMessageType ConsistencyMessage::GetType() const {
  const SeverityRange* r = FindRange(kSeverityRanges, m_messageId);
  return r ? r->type : MSG_ERROR;
}

VXString ConsistencyMessage::GetText(bool isCopyBtnCall) const { return GetTextWith(isCopyBtnCall, nullptr); }

VXString ConsistencyMessage::GetText(bool isCopyBtnCall, const QualifiedNameFn& qualifiedName) const {
  return GetTextWith(isCopyBtnCall, &qualifiedName);
}

VXString ConsistencyMessage::GetTextWith(bool isCopyBtnCall, const QualifiedNameFn* qualifiedName) const {
  if (m_objects.empty() && !m_strMessageText.empty()) {
    return isCopyBtnCall ? m_strMessageText : RemoveErrorNo(m_strMessageText);
  }
  const Recipe* recipe = FindRecipe(m_messageId);
  if (recipe == nullptr) return VXString();

  std::array<VXString, 5> args;
  for (std::size_t i = 0; i < recipe->count; ++i) {
    args[i] = BuildArgument(recipe->args[i], m_objects, qualifiedName);
  }
  VXString text = SUStrUtil::LoadMsgString(m_messageId, std::span<const VXString>(args.data(), recipe->count));
  if (!isCopyBtnCall) StripErrorNo(text);
  return text;
}

const VXString& ConsistencyMessage::SortKey() const {
  if (!m_sortKey) m_sortKey = GetText(false);
  return *m_sortKey;
}

bool ConsistencyMessage::operator<(const ConsistencyMessage& other) const {
  // Main objects first: comparing handles costs nothing, texts are built only
  // for records about the same object.
  const auto key = [](const Ref<ARpObject>& r) {
    const VoidID id = r.GetID();
    return std::tuple(r.GetGateway() != nullptr, id.m_interfaceTypeID, id.m_uniqueNum);
  };
  const auto mine = key(m_mainObject);
  const auto theirs = key(other.m_mainObject);
  if (mine != theirs) return mine < theirs;
  return SortKey() < other.SortKey();
}

std::optional<std::size_t> ConsistencyMessage::GetRecipeObjectCount(MessageId id) {
  const Recipe* recipe = FindRecipe(id);
  if (recipe == nullptr) return std::nullopt;
  std::size_t count = 0;
  for (std::size_t i = 0; i < recipe->count; ++i) {
    count = std::max<std::size_t>(count, recipe->args[i].object + 1u);
  }
  return count;
}

std::vector<std::pair<MessageId, std::size_t>> ConsistencyMessage::GetRecipeArgumentCounts() {
  std::vector<std::pair<MessageId, std::size_t>> out;
  for (const RecipeRange& r : kRecipeRanges) {
    for (MessageId id = r.first; id <= r.last; ++id) out.emplace_back(id, r.recipe->count);
  }
  return out;
}
