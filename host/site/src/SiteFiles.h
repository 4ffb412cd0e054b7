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
  // Reads the list of the last run's files (.site-hashes): with
  // bChangedOnly their hashes let unchanged files be, and in any case the
  // files of that list that this run does not write are removed by Finish.
  FileSink(std::filesystem::path root, bool bChangedOnly, SiteReport& report);
  ~FileSink();
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // Writes content to the site-relative path unless the last run wrote the
  // same content there and the file is still present.
  void Write(const std::string& path, std::string content);
  // Waits for the writers, saves this run's list for the next one and
  // removes the last run's files that this one did not write (stale pages
  // of objects that are gone). Only a file the list names, still a regular
  // file (no link) in real folders below the root, whose content is what
  // the site wrote there, is removed: a file someone else made or changed
  // is left alone (counted in SiteReport::keptStale), and so is any file the
  // list does not name. Folders left empty by a removal go too. Throws
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
  void RemoveStale();

  std::filesystem::path m_root;
  SiteReport& m_report;
  bool m_bChangedOnly;
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

// Names for the search page, in shards by the start of the name. A name
// is found by any of its words, not only its first: an entry is filed under
// each key of SearchKeys, for its name and for its display name.
class SearchIndex {
 public:
  // displayName: the custom display name, or empty.
  void Add(const VXString& name, const VXString& typeCode, const VXString& container, const std::string& pagePath,
           const VXString& displayName = VXString());
  // search/shards.js and one search/<key>.js per shard, each under
  // kMaxShardBytes (a shard that grows past it is split by one more letter,
  // and one whose names all share their key into numbered parts).
  void WriteTo(FileSink& sink);

  static constexpr std::size_t kMaxShardBytes = 150 * 1024;

 private:
  struct Entry {
    std::string key;   // one of SearchKeys of the name or the display name
    std::size_t json;  // index in m_json
  };
  std::vector<Entry> m_entries;
  // ["name","type","container","path"] and "display name" when given, once
  // per object however many keys it has.
  std::vector<std::string> m_json;
};

// The folded form the shards are keyed by (lower-case ASCII letters and
// digits; anything else "_").
std::string SearchKey(const VXString& name);
// The keys a name is found by: SearchKey of the whole name, and of the name
// from each later start of a word on. A word starts after a character that
// is no ASCII letter or digit, and at an upper-case letter after a
// lower-case one ("W_ORDERS_F": w_orders_f, orders_f, f; "OrderLines":
// orderlines, lines; "<b>": _b_, b_).
// The search script finds a query at the start of any of these keys.
std::vector<std::string> SearchKeys(const VXString& name);

// Whether path, a line of a site's file list, is one the site could have
// written: relative, in plain parts (no "", ".", ".." or backslash), not
// the list itself.
bool IsSitePath(const std::string& path);

const std::string& StyleSheet();
const std::string& SearchScript();

}  // namespace smutil_site
