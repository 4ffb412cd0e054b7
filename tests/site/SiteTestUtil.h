// Helpers of the site tests: a fresh output directory, the site written
// into it, reading the written files, and the local links of a page.
#pragma once

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "Metadata/SMDictUtil.h"
#include "Site/SiteWriter.h"
#include "common/ScratchDir.h"

namespace site_test {

namespace fs = std::filesystem;

using TempDir = testutil::ScratchDir;
using testutil::ReadFile;

// The site of rp written into dir with the default options.
inline smutil_site::SiteReport WriteSiteIn(ARpGateway* rp, const TempDir& dir) {
  smutil_site::SiteOptions options;
  options.outDir = dir.Dir();
  return smutil_site::WriteSite(rp, options);
}

// The file of obj in the site: its dictionary path with ext for ".xml".
inline std::string SiteFileOf(const Ref<ARpObject>& obj, const char* ext = ".html") {
  DictUniqueNamesCache cache;
  std::string path = ToNarrow(MetadataDictUtil::GetDictRelativePath(obj, cache));
  return path.replace(path.size() - 4, 4, ext);
}

inline std::vector<fs::path> FilesWithExtension(const fs::path& root, const std::string& ext) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && entry.path().extension() == ext) files.push_back(entry.path());
  }
  return files;
}

inline std::string PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The href and src values of a page, as written (still percent-encoded).
inline std::vector<std::string> LinksOf(const std::string& html) {
  static const std::regex link(R"re((?:href|src)="([^"]*)")re");
  std::vector<std::string> links;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
    links.push_back((*it)[1].str());
  }
  return links;
}

// How often what occurs in text.
inline std::size_t Occurrences(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace site_test
