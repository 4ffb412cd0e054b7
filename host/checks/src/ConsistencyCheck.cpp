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
#include "Utility/SUStrUtil.h"

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
  std::vector<std::pair<VXString, std::size_t>> texts;
  for (std::size_t from = 0; from < order.size();) {
    std::size_t to = from + 1;
    while (to < order.size() && order[to].first == order[from].first) ++to;
    if (to - from == 1) {
      sorted.push_back(std::move(found[order[from].second]));
    } else {
      texts.clear();
      for (std::size_t k = from; k < to; ++k)
        texts.emplace_back(found[order[k].second].GetText(false), order[k].second);
      std::sort(texts.begin(), texts.end());
      for (auto& [text, index] : texts) sorted.push_back(std::move(found[index]));
    }
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
