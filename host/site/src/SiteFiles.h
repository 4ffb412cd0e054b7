// The files of the site: written through one sink that skips unchanged
// content (by SHA-256, remembered in the site's .site-hashes), the sharded
// name index behind the search page, and the fixed assets (style sheet and
// search script, both local: the site needs nothing from elsewhere).
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Site/SiteWriter.h"
#include "Utility/VXString.h"

namespace smutil_site {

// Creating a file costs far more than building its page, and a million of
// them are written, so a few threads write while the caller goes on building
// (at most kQueuedFiles wait at a time). The first failure is reported by
// the next Write or by Finish.
class FileSink {
 public:
  // Reads the hashes of the last run when bChangedOnly.
  FileSink(std::filesystem::path root, bool bChangedOnly, SiteReport& report);
  ~FileSink();
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // Writes content to the site-relative path unless the last run wrote the
  // same content there and the file is still present.
  void Write(const std::string& path, std::string content);
  // Waits for the writers and saves the hashes for the next run; throws
  // SiteError when a file could not be written.
  void Finish();

  static constexpr std::size_t kWriterThreads = 4;
  static constexpr std::size_t kQueuedFiles = 2048;

 private:
  // The first 16 bytes of the SHA-256 of the content: enough to tell a
  // changed page, at half the size of the saved list.
  using Hash = std::array<std::uint8_t, 16>;
  struct Job {
    std::filesystem::path file;
    std::string content;
  };
  void WriterLoop();
  void Stop();
  void ThrowIfFailed();

  std::filesystem::path m_root;
  SiteReport& m_report;
  std::unordered_map<std::string, Hash> m_previous;
  std::vector<std::pair<std::string, Hash>> m_current;
  std::unordered_set<std::string> m_directories;  // made already

  std::mutex m_mutex;
  std::condition_variable m_ready, m_room;
  std::deque<Job> m_jobs;
  bool m_bStopping = false;
  std::string m_failure;
  std::vector<std::thread> m_writers;
};

// Names for the search page, in shards by the start of the name.
class SearchIndex {
 public:
  void Add(const VXString& name, const VXString& typeCode, const VXString& container, const std::string& pagePath);
  // search/shards.js and one search/<key>.js per shard, each under
  // kMaxShardBytes (a shard that grows past it is split by one more letter,
  // and one whose names all share their key into numbered parts).
  void WriteTo(FileSink& sink);

  static constexpr std::size_t kMaxShardBytes = 150 * 1024;

 private:
  struct Entry {
    std::string key;   // folded name: letters and digits, others "_"
    std::string json;  // ["name","type","container","path"]
  };
  std::vector<Entry> m_entries;
};

// The folded form the shards are keyed by (lower-case ASCII letters and
// digits; anything else "_").
std::string SearchKey(const VXString& name);

const std::string& StyleSheet();
const std::string& SearchScript();

}  // namespace smutil_site
