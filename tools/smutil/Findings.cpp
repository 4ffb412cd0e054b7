#include "Findings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>

#include "Checks/ConsistencyCheck.h"
#include "Checks/ObjectPlaces.h"
#include "Metadata/SMUtil.h"
#include "Metadata/SMVersion.h"
#include "Output.h"
#include "Sarif/SarifWriter.h"
#include "Utility/SUStrUtil.h"
#include "Utility/SourceError.h"

namespace smutil_tool {
namespace {

constexpr char kCheckFailedId[] = "check-failed";

smutil_sarif::Level SarifLevel(ConsistencyMessageType type) {
  // SARIF has no level for best practice: a note.
  return type == MSG_WARNING        ? smutil_sarif::Level::kWarning
         : type == MSG_BESTPRACTICE ? smutil_sarif::Level::kNote
                                    : smutil_sarif::Level::kError;
}

// "logical-column-unmapped" -> "LogicalColumnUnmapped".
std::string CamelName(const std::string& id) {
  std::string name;
  bool bUpper = true;
  for (const char c : id) {
    if (c == '-') {
      bUpper = true;
    } else {
      name += bUpper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      bUpper = false;
    }
  }
  return name;
}

std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

smutil_sarif::Rule RuleOf(const std::string& id, MessageId messageId, const std::string& summary,
                          const std::string& help, const std::string& helpUri) {
  const ConsistencyMessage probe(messageId, Ref<ARpObject>(), VXString());
  smutil_sarif::Rule rule;
  rule.id = id;
  rule.name = CamelName(id);
  rule.shortDescription = Sentence(summary);
  rule.fullDescription = Sentence(summary) + " Each finding is message " + std::to_string(messageId) +
                         " of the message catalogue, about the object the check looked at.";
  rule.help = help;
  rule.helpUri = helpUri;
  rule.defaultLevel = SarifLevel(probe.GetType());
  rule.numberProperties = {{"messageId", messageId}};
  return rule;
}

Ref<ARpObject> ObjectOfJson(ARpGateway* rp, const nlohmann::json& j) {
  const nlohmann::json* id = &j;
  if (j.is_object()) {
    auto it = j.find("id");
    if (it == j.end()) return Ref<ARpObject>();
    id = &*it;
  }
  VoidID v;
  if (!id->is_string() || !VoidID::FromString(ToVXString(id->get<std::string>()), v)) return Ref<ARpObject>();
  return rp->GetObject(v);
}

// One finding of a findings file; false with why.
bool FindingOfJson(ARpGateway* rp, const nlohmann::json& m, std::vector<ConsistencyMessage>& found, std::string& why) {
  const Ref<ARpObject> main = m.is_object() && m.contains("object") ? ObjectOfJson(rp, m["object"]) : Ref<ARpObject>();
  if (main.IsNull()) {
    why = "needs \"object\", an object of this repository (its id, such as \"3003:7\", or {\"id\": \"3003:7\"})";
    return false;
  }
  if (!m.contains("messageId") || !m["messageId"].is_number_unsigned()) {
    why = "needs \"messageId\", a message number";
    return false;
  }
  const auto id = m["messageId"].get<MessageId>();
  VXString text;
  if (m.contains("text")) {
    if (!m["text"].is_string()) {
      why = "has a \"text\" that is not a string";
      return false;
    }
    text = ToVXString(m["text"].get<std::string>());
  }
  RpObjectVector objects;
  // Objects fill the message's own text; a message without a recipe keeps
  // the text it came with.
  if (m.contains("objects") && ConsistencyMessage::GetRecipeObjectCount(id)) {
    if (!m["objects"].is_array()) {
      why = "has \"objects\" that are not an array";
      return false;
    }
    for (const nlohmann::json& o : m["objects"]) {
      const Ref<ARpObject> obj = ObjectOfJson(rp, o);
      if (obj.IsNull()) {
        why = "names an object that is not in this repository";
        return false;
      }
      objects.push_back(obj);
    }
    const std::optional<std::size_t> needed = ConsistencyMessage::GetRecipeObjectCount(id);
    if (objects.size() < *needed) {
      why = "names " + std::to_string(objects.size()) + " objects, message " + std::to_string(id) + " needs " +
            std::to_string(*needed);
      return false;
    }
  }
  if (objects.empty() && text.empty() && ConsistencyMessage::GetRecipeObjectCount(id).value_or(1) != 0) {
    why = "needs \"objects\" for its message or a \"text\"";
    return false;
  }
  found.emplace_back(id, main, objects, text);
  return true;
}

}  // namespace

const char* SeverityName(ConsistencyMessageType type) {
  switch (type) {
    case MSG_WARNING:
      return "warning";
    case MSG_BESTPRACTICE:
      return "bestpractice";
    case MSG_ERROR:
      return "error";
    default:
      return "unknown";
  }
}

std::string CheckIdOf(const ConsistencyMessage& m) {
  const ConsistencyCheck* check = CheckOfMessage(m);
  return check ? check->m_id : kCheckFailedId;
}

void WriteFindingsJson(std::ostream& out, const std::vector<ConsistencyMessage>& found) {
  out << '[';
  bool bFirst = true;
  for (const ConsistencyMessage& m : found) {
    nlohmann::json objects = nlohmann::json::array();
    for (const Ref<ARpObject>& o : m.GetObjects()) objects.push_back(ObjectJson(o));
    out << (bFirst ? "\n" : ",\n")
        << DumpJson({{"messageId", m.GetMessageId()},
                     {"severity", SeverityName(m.GetType())},
                     {"check", CheckIdOf(m)},
                     {"object", ObjectJson(m.GetMainObject())},
                     {"objects", std::move(objects)},
                     {"text", ToNarrow(m.GetText(false))}});
    bFirst = false;
  }
  out << (bFirst ? "]\n" : "\n]\n");
}

namespace {
// The parser counts bytes from 1; editors count lines and columns.
std::size_t LineOfByte(const std::string& text, std::size_t byte) {
  const std::size_t end = std::min(byte == 0 ? 0 : byte - 1, text.size());
  return 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<long>(end), '\n'));
}
std::size_t ColumnOfByte(const std::string& text, std::size_t byte) {
  const std::size_t end = std::min(byte == 0 ? 0 : byte - 1, text.size());
  const std::size_t lineStart = end == 0 ? 0 : text.rfind('\n', end - 1);
  return lineStart == std::string::npos || end == 0 ? end + 1 : end - lineStart;
}
}  // namespace

bool ReadFindingsJson(ARpGateway* rp, const std::string& file, const std::string& text,
                      std::vector<ConsistencyMessage>& found, std::string& error) {
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(text);
  } catch (const nlohmann::json::parse_error& e) {
    error = SourceError::Format(file, LineOfByte(text, e.byte), ColumnOfByte(text, e.byte), "not JSON");
    return false;
  }
  if (!doc.is_array()) {
    error = file + " is not a JSON array of findings";
    return false;
  }
  for (std::size_t i = 0; i < doc.size(); ++i) {
    std::string why;
    if (!FindingOfJson(rp, doc[i], found, why)) {
      error = file + ": finding " + std::to_string(i + 1) + " " + why;
      return false;
    }
  }
  return true;
}

std::string DocumentationUri(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path page;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
#ifdef SMUTIL_BIN_TO_DOC
  if (!ec) page = (exe.parent_path() / SMUTIL_BIN_TO_DOC / name).lexically_normal();
#endif
#ifdef SMUTIL_SOURCE_DOC_DIR
  if (page.empty() || !fs::exists(page, ec)) page = fs::path(SMUTIL_SOURCE_DOC_DIR) / name;
#endif
  return smutil_sarif::FileUri(page.generic_string(), false);
}

void WriteFindingsSarif(std::ostream& out, const std::vector<ConsistencyMessage>& found, const std::string& repoPath,
                        std::string_view repoText) {
  const std::string reference = DocumentationUri("checks.md");
  std::vector<smutil_sarif::Rule> rules;
  for (const ConsistencyCheck& check : ConsistencyCheckTable()) {
    rules.push_back(RuleOf(check.m_id, check.m_messageId, check.m_summary, check.m_help, reference));
  }
  const std::size_t failedRule = rules.size();
  rules.push_back(RuleOf(kCheckFailedId, kCheckFailedMessageId, "a check that could not finish on an object",
                         "The check has a fault: report the finding with the object. The other checks ran.",
                         reference));
  const std::string directory = std::filesystem::path(repoPath).parent_path().string();
  smutil_sarif::SarifWriter writer(out, {"smutil check", SMUtilVersion(), reference}, rules,
                                   directory.empty() ? "." : directory, {repoPath});
  const ObjectPlaces places(repoText);
  for (const ConsistencyMessage& m : found) {
    const Ref<ARpObject> obj = m.GetMainObject();
    const ConsistencyCheck* check = CheckOfMessage(m);
    smutil_sarif::Result r;
    r.ruleIndex = check ? static_cast<std::size_t>(check - ConsistencyCheckTable().data()) : failedRule;
    r.level = SarifLevel(m.GetType());
    r.message = ToNarrow(m.GetText(false));
    if (const ObjectPlace* p = places.Find(obj->GetID())) {
      r.region = smutil_sarif::Region{p->startLine, p->startColumn, p->endLine, p->endColumn};
    }
    r.logicalLocation =
        smutil_sarif::LogicalLocation{ToNarrow(obj->GetName()), ToNarrow(MetadataUtil::GenerateQualifiedName(obj)),
                                      ToNarrow(SUStrUtil::GetTypeName(obj->GetTypeID()))};
    // Stable across runs as long as the object keeps its id.
    r.partialFingerprints = {{"objectFinding/v1", rules[r.ruleIndex].id + "/" + ToNarrow(obj->GetID().ToString())}};
    writer.Add(r);
  }
  writer.Finish();
}

}  // namespace smutil_tool
