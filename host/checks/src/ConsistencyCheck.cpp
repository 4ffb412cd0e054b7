// The table of checks and the run over a repository: each check on each
// object of its types, one failing check never stopping the run.
#include "Checks/ConsistencyCheck.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <unordered_map>

#include "ChecksInternal.h"
#include "Metadata/SMUtil.h"
#include "Utility/SUStrUtil.h"
#include "Utility/VXStringCaseInsensitive.h"

namespace checks_detail {

VoidIDVector DeletedReferences(ARpGateway& rp, const Expr& expr) {
  VoidIDVector ids;
  VoidIDVector deleted;
  if (expr.IsEmpty()) return deleted;
  expr.GetObjectIDsInExpr(ids, true);
  for (const VoidID& id : ids) {
    if (rp.GetObject(id).IsNull()) deleted.push_back(id);
  }
  return deleted;
}

RpObjectVector SameNamedSiblings(const Ref<ARpObject>& obj) {
  std::vector<ARpObject*> found;
  obj->GetGateway()->FindChildrenByNameNoCase(obj->GetParentPointer(), obj->GetName(), found);
  RpObjectVector same;
  for (ARpObject* other : found) {
    if (other != obj.Get() && other->GetTypeID() == obj->GetTypeID()) same.emplace_back(other);
  }
  std::sort(same.begin(), same.end(),
            [](const Ref<ARpObject>& a, const Ref<ARpObject>& b) { return a.GetID() < b.GetID(); });
  return same;
}

VoidID EarliestSameNamed(const Ref<ARpObject>& obj) {
  const RpObjectVector same = SameNamedSiblings(obj);
  return !same.empty() && same.front().GetID() < obj.GetID() ? same.front().GetID() : obj.GetID();
}

void ReportDuplicateName(const CheckContext& c) {
  const VoidID earliest = c.Memo() ? c.Memo()->EarliestSameNamed(c.Object()) : EarliestSameNamed(c.Object());
  if (earliest != c.Object().GetID()) c.Report({c.Object(), c.Gateway().GetObject(earliest)});
}

namespace {

// Qualified names for ordering texts, cut short for deeply nested objects:
// the texts of one object's findings nearly always differ well before the
// end of a long name, and a chain of n nested objects would otherwise build
// n names of up to n segments each.
class CutNames {
 public:
  // Marks where a cut name would go on; compared texts that agree up to a
  // mark are compared again in full. (A name that holds this character
  // itself only makes that happen sooner.)
  static constexpr char32_t kCut = 0x10FFFF;

  // obj's qualified name when obj lies at most kDepth levels below the top;
  // else the start of it, the name of its ancestor kDepth levels below the
  // top (which the full name begins with, but for the two characters an
  // empty last segment adds), and kCut.
  VXString Of(const Ref<ARpObject>& obj) {
    const ARpObject* at = obj.Get();
    if (at == nullptr) return VXString();
    std::size_t steps = 0;
    for (const ARpObject* p = at->GetParentPointer(); p && steps <= kDepth; p = p->GetParentPointer()) ++steps;
    if (steps <= kDepth) return MetadataUtil::GenerateQualifiedName(obj);
    const ARpObject* top = TopOf(at);
    auto [it, bNew] = m_tops.try_emplace(top);
    if (bNew) {
      VXString name = MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(const_cast<ARpObject*>(top)));
      name.resize(name.size() >= 2 ? name.size() - 2 : 0);
      name.push_back(kCut);
      it->second = std::move(name);
    }
    return it->second;
  }

 private:
  static constexpr std::size_t kDepth = 32;
  struct Place {
    std::size_t depth;     // containers above
    const ARpObject* top;  // the ancestor (or self) kDepth below the top; null above that
  };

  // The ancestor of a deep object kDepth levels below the top, each object
  // of the chain walked once however many ask.
  const ARpObject* TopOf(const ARpObject* obj) {
    std::vector<const ARpObject*> walked;
    Place place{0, nullptr};
    bool bKnown = false;
    for (const ARpObject* at = obj; at; at = at->GetParentPointer()) {
      if (const auto known = m_places.find(at); known != m_places.end()) {
        place = known->second;
        bKnown = true;
        break;
      }
      walked.push_back(at);
    }
    // From the known place (or above the top) down to obj.
    std::size_t depth = bKnown ? place.depth : SIZE_MAX;
    const ARpObject* top = bKnown ? place.top : nullptr;
    for (auto it = walked.rbegin(); it != walked.rend(); ++it) {
      depth = depth == SIZE_MAX ? 0 : depth + 1;
      if (depth == kDepth) top = *it;
      m_places[*it] = Place{depth, top};
    }
    return top;
  }

  std::unordered_map<const ARpObject*, Place> m_places;
  std::unordered_map<const ARpObject*, VXString> m_tops;
};

// Orders the findings at order[from, to), all about one object, by their
// texts, and equal texts by position.
void SortGroupByText(std::vector<ConsistencyMessage>& found,
                     std::vector<std::pair<std::tuple<bool, TypeID, std::uint32_t>, std::size_t>>& order,
                     std::size_t from, std::size_t to, CutNames& names) {
  const auto cut = [&names](const Ref<ARpObject>& obj) { return names.Of(obj); };
  std::vector<std::size_t> group;
  std::unordered_map<std::size_t, VXString> shortTexts, fullTexts;
  for (std::size_t k = from; k < to; ++k) {
    const std::size_t i = order[k].second;
    group.push_back(i);
    shortTexts.emplace(i, found[i].GetText(false, cut));
  }
  const auto full = [&](std::size_t i) -> const VXString& {
    auto [it, bNew] = fullTexts.try_emplace(i);
    if (bNew) it->second = found[i].GetText(false);
    return it->second;
  };
  std::stable_sort(group.begin(), group.end(), [&](std::size_t a, std::size_t b) {
    const VXString& x = shortTexts.at(a);
    const VXString& y = shortTexts.at(b);
    const auto [px, py] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
    const std::size_t at = static_cast<std::size_t>(px - x.begin());
    const std::size_t mark = std::min(x.find(CutNames::kCut), y.find(CutNames::kCut));
    if (at < mark) {
      // Decided where both texts are whole.
      if (px == x.end()) return py != y.end();
      return py != y.end() && *px < *py;
    }
    return full(a) < full(b);
  });
  for (std::size_t k = from; k < to; ++k) order[k].second = group[k - from];
}

}  // namespace

void SortFindings(std::vector<ConsistencyMessage>& found) {
  // The main object's order of operator<: no gateway first, then type and number.
  using Key = std::tuple<bool, TypeID, std::uint32_t>;
  std::vector<std::pair<Key, std::size_t>> order(found.size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    const Ref<ARpObject> main = found[i].GetMainObject();
    const VoidID id = main.GetID();
    order[i] = {Key(main.GetGateway() != nullptr, id.m_interfaceTypeID, id.m_uniqueNum), i};
  }
  std::sort(order.begin(), order.end());
  std::vector<ConsistencyMessage> sorted;
  sorted.reserve(found.size());
  CutNames names;
  for (std::size_t from = 0; from < order.size();) {
    std::size_t to = from + 1;
    while (to < order.size() && order[to].first == order[from].first) ++to;
    if (to - from > 1) SortGroupByText(found, order, from, to, names);
    for (std::size_t k = from; k < to; ++k) sorted.push_back(std::move(found[order[k].second]));
    from = to;
  }
  found = std::move(sorted);
}

}  // namespace checks_detail

VoidID CheckRunMemo::EarliestSameNamed(const Ref<ARpObject>& obj) {
  if (const auto known = m_earliest.find(obj.Get()); known != m_earliest.end()) return known->second;
  // The whole group at once: every member of obj's type gets the group's earliest.
  std::vector<ARpObject*> group;
  obj->GetGateway()->FindChildrenByNameNoCase(obj->GetParentPointer(), obj->GetName(), group);
  VoidID earliest = obj.GetID();
  for (const ARpObject* other : group) {
    if (other->GetTypeID() == obj->GetTypeID() && other->GetID() < earliest) earliest = other->GetID();
  }
  for (const ARpObject* other : group) {
    if (other->GetTypeID() == obj->GetTypeID()) m_earliest[other] = earliest;
  }
  m_earliest[obj.Get()] = earliest;
  return earliest;
}

std::size_t CheckRunMemo::SiblingKeyHash::operator()(const SiblingKey& k) const {
  return std::hash<std::u32string>()(k.folded) ^ (std::hash<const void*>()(k.parent) * 31) ^
         static_cast<std::size_t>(k.type);
}

bool CheckRunMemo::HasOtherSiblingNamed(const Ref<ARpObject>& obj, const VXString& name) {
  SiblingKey key{obj->GetParentPointer(), obj->GetTypeID(), {}};
  key.folded.reserve(name.size());
  for (char32_t c : name) {
    if (c != 0) key.folded.push_back(VXCaseFold::FoldChar(c));
  }
  auto [it, bNew] = m_named.try_emplace(std::move(key));
  if (bNew) {
    std::vector<ARpObject*> found;
    obj->GetGateway()->FindChildrenByNameNoCase(obj->GetParentPointer(), name, found);
    for (const ARpObject* other : found) {
      if (other->GetTypeID() == obj->GetTypeID() && it->second.size() < 2) it->second.push_back(other);
    }
  }
  for (const ARpObject* other : it->second) {
    if (other != obj.Get()) return true;
  }
  return false;
}

ARpObject* CheckRunMemo::DimensionOf(const ARpObject* level) {
  std::vector<const ARpObject*> walked;
  ARpObject* dimension = nullptr;
  for (const ARpObject* at = level;;) {
    if (const auto known = m_dimension.find(at); known != m_dimension.end()) {
      dimension = known->second;
      break;
    }
    walked.push_back(at);
    ARpObject* parent = at->GetParentPointer();
    if (parent == nullptr) break;
    if (parent->GetTypeID() == kTIDADimension) {
      dimension = parent;
      break;
    }
    if (parent->GetTypeID() != kTIDALevel) break;
    at = parent;
  }
  for (const ARpObject* at : walked) m_dimension[at] = dimension;
  return dimension;
}

const std::vector<ConsistencyCheck>& ConsistencyCheckTable() {
  static const std::vector<ConsistencyCheck> table = [] {
    std::vector<ConsistencyCheck> t;
    checks_detail::AddLogicalChecks(t);
    checks_detail::AddPhysicalChecks(t);
    checks_detail::AddPresentationChecks(t);
    return t;
  }();
  return table;
}

const ConsistencyCheck* FindConsistencyCheck(const std::string& id) {
  for (const ConsistencyCheck& check : ConsistencyCheckTable()) {
    if (id == check.m_id) return &check;
  }
  return nullptr;
}

const ConsistencyCheck* CheckOfMessage(const ConsistencyMessage& message, const std::vector<ConsistencyCheck>& table) {
  for (const ConsistencyCheck& check : table) {
    if (check.m_messageId == message.GetMessageId()) return &check;
  }
  return nullptr;
}

namespace {

bool Applies(const ConsistencyCheck& check, TypeID type) {
  return check.m_types.empty() || std::find(check.m_types.begin(), check.m_types.end(), type) != check.m_types.end();
}

void RunOne(ARpGateway& rp, const ConsistencyCheck& check, const Ref<ARpObject>& obj, CheckRunMemo& memo,
            std::vector<ConsistencyMessage>& found) {
  // A finding whose text could not be built would throw later, while the
  // findings are sorted or printed; refuse it here, where it becomes the
  // check's failure on this object.
  const CheckContext context(
      rp, obj,
      [&](const Ref<ARpObject>& mainObject, const RpObjectVector& arguments) {
        const std::optional<std::size_t> needed = ConsistencyMessage::GetRecipeObjectCount(check.m_messageId);
        if (needed && arguments.size() < *needed) {
          throw std::logic_error("the finding names " + std::to_string(arguments.size()) +
                                 " objects, its message needs " + std::to_string(*needed));
        }
        for (const Ref<ARpObject>& argument : arguments) {
          if (argument.IsNull()) throw std::logic_error("the finding names an object that does not exist");
        }
        found.emplace_back(check.m_messageId, mainObject, arguments);
      },
      &memo);
  // The findings a check made before it threw stay: they are true.
  try {
    check.m_check(context);
  } catch (const std::exception& e) {
    found.emplace_back(kCheckFailedMessageId, obj,
                       SUStrUtil::LoadMsgString(kCheckFailedMessageId, ToVXString(check.m_id), ToVXString(e.what())));
  } catch (...) {
    found.emplace_back(kCheckFailedMessageId, obj,
                       SUStrUtil::LoadMsgString(kCheckFailedMessageId, ToVXString(check.m_id), U"unknown exception"));
  }
}

}  // namespace

std::vector<ConsistencyMessage> RunConsistencyChecks(ARpGateway& rp, const ConsistencyCheckOptions& options,
                                                     const std::vector<ConsistencyCheck>& table) {
  std::vector<ConsistencyMessage> found;
  CheckRunMemo memo;
  const TypeIDVector types = rp.GetKnownTypes();
  VoidIDVector ids;
  for (TypeID type : types) {
    if (!options.m_types.empty() &&
        std::find(options.m_types.begin(), options.m_types.end(), type) == options.m_types.end()) {
      continue;
    }
    std::vector<const ConsistencyCheck*> checks;
    for (const ConsistencyCheck& check : table) {
      if (Applies(check, type)) checks.push_back(&check);
    }
    if (checks.empty()) continue;
    ids.clear();
    rp.GetObjectIDsOfType(type, ids);
    for (const VoidID& id : ids) {
      if (options.m_scope && !options.m_scope->contains(id)) continue;
      const Ref<ARpObject> obj = rp.GetObject(id);
      if (obj.IsNull()) continue;
      for (const ConsistencyCheck* check : checks) RunOne(rp, *check, obj, memo, found);
    }
  }
  checks_detail::SortFindings(found);
  return found;
}
