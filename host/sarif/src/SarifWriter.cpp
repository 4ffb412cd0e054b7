#include "Sarif/SarifWriter.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>

namespace smutil_sarif {
namespace {

constexpr char kBaseId[] = "SRCROOT";
constexpr char kSchema[] = "https://docs.oasis-open.org/sarif/sarif/v2.1.0/os/schemas/sarif-schema-2.1.0.json";

std::string Dump(const nlohmann::json& j) { return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

// RFC 3986: unreserved characters and the sub-delimiters that a path
// segment may hold stay, everything else is percent-encoded byte by byte.
bool KeepsInPath(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
    case '@':
      return true;
    default:
      return false;
  }
}

std::string EncodePath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/' || KeepsInPath(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

nlohmann::json Message(const std::string& text) { return {{"text", text}}; }

}  // namespace

const char* LevelName(Level level) {
  switch (level) {
    case Level::kWarning:
      return "warning";
    case Level::kNote:
      return "note";
    case Level::kError:
      break;
  }
  return "error";
}

std::string FileUri(const std::string& absolutePath, bool bDirectory) {
  std::string uri = "file://" + EncodePath(absolutePath);
  if (bDirectory && uri.back() != '/') uri += '/';
  return uri;
}

// A colon is encoded too, so a first segment never reads as a scheme.
std::string RelativeUri(const std::string& relativePath) { return EncodePath(relativePath); }

SarifWriter::SarifWriter(std::ostream& out, const ToolInfo& tool, const std::vector<Rule>& rules,
                         const std::string& baseDirectory, const std::vector<std::string>& artifactPaths)
    : m_out(out) {
  namespace fs = std::filesystem;
  const fs::path base =
      fs::absolute(baseDirectory.empty() ? fs::path(".") : fs::path(baseDirectory)).lexically_normal();
  nlohmann::json jsonRules = nlohmann::json::array();
  for (const Rule& r : rules) {
    nlohmann::json rule = {{"id", r.id},
                           {"name", r.name},
                           {"shortDescription", Message(r.shortDescription)},
                           {"fullDescription", Message(r.fullDescription)},
                           {"help", Message(r.help)},
                           {"defaultConfiguration", {{"level", LevelName(r.defaultLevel)}}}};
    if (!r.helpUri.empty()) rule["helpUri"] = r.helpUri;
    for (const auto& [key, value] : r.numberProperties) rule["properties"][key] = value;
    jsonRules.push_back(std::move(rule));
    m_ruleIds.push_back(r.id);
  }
  nlohmann::json artifacts = nlohmann::json::array();
  for (const std::string& path : artifactPaths) {
    const fs::path full = fs::absolute(path).lexically_normal();
    const fs::path relative = full.lexically_relative(base);
    const bool bUnderBase = !relative.empty() && *relative.begin() != "..";
    m_locations.emplace_back(
        bUnderBase ? RelativeUri(relative.generic_string()) : FileUri(full.generic_string(), false), bUnderBase);
    nlohmann::json artifact = {{"location", ArtifactLocation(m_locations.size() - 1, false)},
                               {"roles", nlohmann::json::array({"analysisTarget"})}};
    std::error_code ec;
    const std::uintmax_t length = fs::file_size(full, ec);
    if (!ec) artifact["length"] = length;
    artifacts.push_back(std::move(artifact));
  }
  nlohmann::json driver = {{"name", tool.name}, {"version", tool.version}, {"rules", jsonRules}};
  if (!tool.informationUri.empty()) driver["informationUri"] = tool.informationUri;
  m_out << "{\"$schema\":\"" << kSchema
        << "\",\"version\":\"2.1.0\",\"runs\":[{\n\"tool\":" << Dump({{"driver", driver}})
        << ",\n\"originalUriBaseIds\":" << Dump({{kBaseId, {{"uri", FileUri(base.generic_string(), true)}}}})
        << ",\n\"artifacts\":" << Dump(artifacts) << ",\n\"columnKind\":\"unicodeCodePoints\",\n\"results\":[";
}

nlohmann::json SarifWriter::ArtifactLocation(std::size_t index, bool bWithIndex) const {
  nlohmann::json location = {{"uri", m_locations[index].first}};
  if (m_locations[index].second) location["uriBaseId"] = kBaseId;
  if (bWithIndex) location["index"] = index;
  return location;
}

void SarifWriter::Add(const Result& r) {
  if (m_bFinished) throw std::logic_error("SarifWriter::Add after Finish");
  if (r.ruleIndex >= m_ruleIds.size() || r.artifactIndex >= m_locations.size()) {
    throw std::out_of_range("SarifWriter::Add: no such rule or artifact");
  }
  nlohmann::json physical = {{"artifactLocation", ArtifactLocation(r.artifactIndex, true)}};
  if (r.region) {
    physical["region"] = {{"startLine", r.region->startLine},
                          {"startColumn", r.region->startColumn},
                          {"endLine", r.region->endLine},
                          {"endColumn", r.region->endColumn}};
    if (r.regionBytes) {
      physical["region"]["byteOffset"] = r.regionBytes->first;
      physical["region"]["byteLength"] = r.regionBytes->second;
    }
  }
  nlohmann::json location = {{"physicalLocation", std::move(physical)}};
  if (r.logicalLocation) {
    nlohmann::json logical = {{"name", r.logicalLocation->name},
                              {"fullyQualifiedName", r.logicalLocation->fullyQualifiedName}};
    if (!r.logicalLocation->kind.empty()) logical["kind"] = r.logicalLocation->kind;
    location["logicalLocations"] = nlohmann::json::array({std::move(logical)});
  }
  nlohmann::json result = {{"ruleId", m_ruleIds[r.ruleIndex]},
                           {"ruleIndex", r.ruleIndex},
                           {"level", LevelName(r.level)},
                           {"message", Message(r.message)},
                           {"locations", nlohmann::json::array({std::move(location)})}};
  for (const auto& [key, value] : r.partialFingerprints) result["partialFingerprints"][key] = value;
  m_out << (m_count++ ? ",\n" : "\n") << Dump(result);
}

void SarifWriter::Finish() {
  if (m_bFinished) return;
  m_bFinished = true;
  m_out << "\n]}]}\n";
}

}  // namespace smutil_sarif
