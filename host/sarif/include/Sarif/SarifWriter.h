// SARIF 2.1.0 logs for code-scanning front ends, written as results come:
// the log's memory does not grow with the number of results.
//
//   smutil_sarif::ToolInfo tool{"smutil check", "0.2.0", "file:///usr/share/doc/smutil/checks.md"};
//   smutil_sarif::SarifWriter w(out, tool, rules, "/work/repo", {"/work/repo/sample.rpd.xml"});
//   w.Add({.ruleIndex = 3, .level = Level::kError, .message = "Table has no columns.", .region = {{12, 3, 14, 12}}});
//   w.Finish();                                   // closes the document
//
// Artifacts under the base directory are written relative to the uriBaseId
// "SRCROOT", which originalUriBaseIds sets to the directory's absolute file
// URI; an artifact elsewhere gets its own absolute file URI. Each artifact
// is an analysis target, with its length when the file is there. Columns count
// Unicode code points (the run's columnKind says so), lines and columns
// start at 1, and a region's end column is the one after its last
// character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace smutil_sarif {

enum class Level { kError, kWarning, kNote };
// "error", "warning" or "note".
const char* LevelName(Level level);

struct ToolInfo {
  std::string name;
  std::string version;
  std::string informationUri;  // absolute
};

struct Rule {
  std::string id;    // stable, e.g. "logical-column-unmapped"
  std::string name;  // UpperCamelCase form of the id
  std::string shortDescription;
  std::string fullDescription;  // plain sentences, no argument placeholders
  std::string help;             // what to do about a result
  std::string helpUri;          // optional, absolute
  Level defaultLevel = Level::kError;
  // Properties of the rule (written as strings or numbers as given).
  std::vector<std::pair<std::string, std::uint64_t>> numberProperties;
};

struct Region {
  std::uint64_t startLine = 0, startColumn = 0, endLine = 0, endColumn = 0;
};

struct LogicalLocation {
  std::string name, fullyQualifiedName, kind;
};

struct Result {
  std::size_t ruleIndex = 0;
  Level level = Level::kError;
  std::string message;  // one or more sentences, ending with a full stop
  std::size_t artifactIndex = 0;
  std::optional<Region> region;
  // The region's byte offset and length in the artifact, where the caller
  // knows them (written with the region).
  std::optional<std::pair<std::uint64_t, std::uint64_t>> regionBytes;
  std::optional<LogicalLocation> logicalLocation;
  std::vector<std::pair<std::string, std::string>> partialFingerprints;
};

// The file URI of an absolute path, percent-encoding what a URI path cannot
// hold; a directory's URI ends with "/".
std::string FileUri(const std::string& absolutePath, bool bDirectory);
// A relative path as a URI reference, percent-encoded segment by segment.
std::string RelativeUri(const std::string& relativePath);

class SarifWriter {
 public:
  // Writes the log's start: tool, rules, base URI and artifacts. Relative
  // paths are taken from the working directory.
  SarifWriter(std::ostream& out, const ToolInfo& tool, const std::vector<Rule>& rules, const std::string& baseDirectory,
              const std::vector<std::string>& artifactPaths);
  SarifWriter(const SarifWriter&) = delete;
  SarifWriter& operator=(const SarifWriter&) = delete;

  void Add(const Result& result);
  // Ends the results and the document; nothing may be added afterwards.
  void Finish();
  std::size_t ResultCount() const { return m_count; }

 private:
  nlohmann::json ArtifactLocation(std::size_t index, bool bWithIndex) const;

  std::ostream& m_out;
  std::vector<std::string> m_ruleIds;
  // Each artifact's URI, and whether it is relative to the base.
  std::vector<std::pair<std::string, bool>> m_locations;
  std::size_t m_count = 0;
  bool m_bFinished = false;
};

}  // namespace smutil_sarif
