// A static, browsable metadata dictionary: one HTML page per repository
// object at the object's dictionary path, with pictures of business models,
// physical databases and column lineage laid out by Graphviz.
//
//   smutil_site::SiteOptions options;
//   options.outDir = "site";
//   options.bChangedOnly = true;               // keep pages whose content is the same
//   smutil_site::SiteReport r = smutil_site::WriteSite(rp, options);
//   // site/index.html, site/search.html, site/Database/DB_Sales.../PT_....html, ...
//
// Layout. A page sits at MetadataDictUtil::GetDictRelativePath with ".html"
// in place of ".xml" (a plain HTML file opens the same from disk and from any
// web server; an XML document styled by XSLT does not load from file URLs in
// current browsers). A picture sits beside its page with ".svg". The path
// is mapped one-to-one to file names that stay apart on any file system: a
// "~" of a name is written "~~", and siblings whose stems are the same
// without regard to case (the same cleaned 20-character name without a
// GUID, or names apart only in case) keep the plain stem for the first of
// them and get "~<unique number>" after it for the others. A symbolic link
// in the output folder is replaced, never written through. A run into a
// folder that holds an earlier site removes the earlier pages that this run
// does not write (objects deleted or renamed since), by the list of files
// the site keeps (.site-hashes); it never removes a file it did not write.
// Objects of types the
// dictionary does not document have no page and are shown as text.
//
// Scale. Pages are written one at a time and never hold more than one
// object's neighbourhood: child lists are split into pages of kChildrenPerPage,
// the index lists root objects per type in pages of the same size, and the
// search page loads name shards (search/*.js) only for what is typed.
//
// Failures: a directory or file that cannot be written throws SiteError
// naming the path; nothing else in the repository stops the writer (an
// expression that cannot be rendered shows its stored formula).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "Metadata/ConsistencyMessage.h"
#include "Utility/SourceError.h"
#include "objectmodel/RpGateway.h"

namespace smutil_site {

// Children listed on one page, and root objects on one index page.
inline constexpr std::size_t kChildrenPerPage = 500;
// Largest graph drawn whole; bigger ones are cut to a neighbourhood of this
// many nodes (see SiteGraphs.h for why).
inline constexpr std::size_t kMaxPictureNodes = 60;

using ConsistencyMessageMap = std::unordered_map<VoidID, std::vector<ConsistencyMessage>, VoidIDHash>;

struct SiteOptions {
  std::filesystem::path outDir;
  // Only objects of these types get pages (empty: every documented type).
  std::vector<TypeID> types;
  // Rewrite only files whose content hash differs from the last run's.
  bool bChangedOnly = false;
  // Findings to show on the pages of their main objects (may be null).
  const ConsistencyMessageMap* messages = nullptr;
  // Called now and then with the objects done and the total.
  std::function<void(std::uint64_t done, std::uint64_t total)> progress;
};

struct SiteReport {
  std::uint64_t pages = 0;      // object pages (continuation pages included)
  std::uint64_t pictures = 0;   // SVG files
  std::uint64_t written = 0;    // files written this run
  std::uint64_t unchanged = 0;  // files left alone because their hash matched
  std::uint64_t removed = 0;    // files of the last run this one did not write (removed)
  std::uint64_t keptStale = 0;  // such files changed by someone else since (kept)
  std::uint64_t largestFile = 0;
  std::string largestPath;
};

// A fault while the site is written; its message names the file or
// directory at fault, so it has no source of its own.
class SiteError : public SourceError {
 public:
  explicit SiteError(const std::string& message) : SourceError("", 0, 0, message) {}
};

SiteReport WriteSite(ARpGateway* rp, const SiteOptions& options);

}  // namespace smutil_site
