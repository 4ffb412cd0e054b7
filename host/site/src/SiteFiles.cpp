#include "SiteFiles.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>

#include "SiteText.h"
#include "Utility/Hex.h"

namespace smutil_site {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHashFile = ".site-hashes";

using ShortHash = std::array<std::uint8_t, 16>;

ShortHash ContentHash(const std::string& content) {
  std::array<std::uint8_t, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_Digest(content.data(), content.size(), digest.data(), &length, EVP_sha256(), nullptr);
  ShortHash hash{};
  std::copy_n(digest.begin(), hash.size(), hash.begin());
  return hash;
}

std::string ToHex(const ShortHash& hash) { return Hex::EncodeBytes(hash, Hex::Letters::kLower); }

bool FromHex(const std::string& text, ShortHash& hash) {
  return Hex::DecodeExactly(std::string_view(text), std::span<std::uint8_t>(hash));
}

constexpr std::size_t kHexLength = 32;

// Writes content to file without following a symbolic link there: the
// bytes go to a temporary file beside it, renamed over it once they are all
// written, so a full disk leaves the old page whole, and a link planted in
// the output folder is replaced by the page (a rename never follows it),
// never written through. Pages are not synced one by one: a site is many
// small files, rebuilt from the repository at will. False when the file
// cannot be written.
bool WriteFileNoFollow(const fs::path& file, const std::string& content) {
  static std::atomic<unsigned> s_serial{0};
  const fs::path temp = file.parent_path() / (".smutil-" + std::to_string(::getpid()) + "-" +
                                              std::to_string(s_serial.fetch_add(1)) + ".tmp");
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const char* p = content.data();
  std::size_t left = content.size();
  bool bWritten = true;
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      bWritten = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  bWritten = ::close(fd) == 0 && bWritten;
  if (!bWritten || ::rename(temp.c_str(), file.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

// Makes the folders from root down to dir, each a real folder: a symbolic
// link in the way is removed first, so nothing is ever written beyond root.
void MakeFoldersNoFollow(const fs::path& root, const fs::path& dir) {
  fs::path at = root;
  for (const fs::path& part : dir.lexically_relative(root)) {
    at /= part;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(at, ec);
    if (fs::is_symlink(status)) {
      fs::remove(at, ec);
      if (ec) throw SiteError("cannot replace the link " + at.string() + ": " + ec.message());
    } else if (fs::is_directory(status)) {
      continue;
    }
    fs::create_directory(at, ec);
    if (ec) throw SiteError("cannot create " + at.string() + ": " + ec.message());
  }
}

}  // namespace

FileSink::FileSink(fs::path root, bool bChangedOnly, SiteReport& report)
    : m_root(std::move(root)), m_report(report), m_bChangedOnly(bChangedOnly) {
  std::error_code ec;
  fs::create_directories(m_root, ec);
  if (ec) throw SiteError("cannot create " + m_root.string() + ": " + ec.message());
  {
    // A line that does not read as "<32 hex digits> <path>" is ignored: its
    // file is then simply written again, and never removed.
    // Only a file of our own: a link or a FIFO planted there is not read.
    std::error_code ec;
    std::ifstream in;
    if (fs::is_regular_file(fs::symlink_status(m_root / kHashFile, ec))) in.open(m_root / kHashFile);
    std::string line;
    while (std::getline(in, line)) {
      Hash hash;
      if (line.size() > kHexLength + 1 && line[kHexLength] == ' ' && FromHex(line.substr(0, kHexLength), hash)) {
        m_previous.emplace(line.substr(kHexLength + 1), hash);
      }
    }
  }
  for (std::size_t i = 0; i < kWriterThreads; ++i) m_writers.emplace_back([this] { WriterLoop(); });
}

FileSink::~FileSink() { Stop(); }

void FileSink::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStopping = true;
  }
  m_ready.notify_all();
  m_room.notify_all();
  for (std::thread& t : m_writers) t.join();
  m_writers.clear();
}

void FileSink::ThrowIfFailed() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_failure.empty()) throw SiteError(m_failure);
}

void FileSink::WriterLoop() {
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_ready.wait(lock, [this] { return m_bStopping || !m_jobs.empty(); });
      if (m_jobs.empty()) return;
      job = std::move(m_jobs.front());
      m_jobs.pop_front();
    }
    m_room.notify_one();
    if (!WriteFileNoFollow(job.file, job.content)) {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_failure.empty()) m_failure = "cannot write " + job.file.string();
    }
  }
}

void FileSink::Write(const std::string& path, std::string content) {
  ThrowIfFailed();
  const Hash hash = ContentHash(content);
  m_current.emplace_back(path, hash);
  if (content.size() > m_report.largestFile) {
    m_report.largestFile = content.size();
    m_report.largestPath = path;
  }
  fs::path file = m_root / path;
  auto previous = m_previous.find(path);
  std::error_code ec;
  if (m_bChangedOnly && previous != m_previous.end() && previous->second == hash &&
      fs::is_regular_file(fs::symlink_status(file, ec))) {
    ++m_report.unchanged;
    return;
  }
  // Directories are made here, once each, so that writers never race to
  // make the same one.
  const fs::path parent = file.parent_path();
  if (m_directories.insert(parent.string()).second) MakeFoldersNoFollow(m_root, parent);
  ++m_report.written;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_jobs.size() < kQueuedFiles; });
    m_jobs.push_back(Job{std::move(file), std::move(content)});
  }
  m_ready.notify_one();
}

void FileSink::Finish() {
  Stop();
  ThrowIfFailed();
  const fs::path file = m_root / kHashFile;
  std::string text;
  for (const auto& [path, hash] : m_current) text += ToHex(hash) + ' ' + path + '\n';
  if (!WriteFileNoFollow(file, text)) throw SiteError("cannot write " + file.string());
  RemoveStale();
}

bool IsSitePath(const std::string& path) {
  if (path.empty() || path == kHashFile || path.find('\\') != std::string::npos ||
      path.find('\0') != std::string::npos) {
    return false;
  }
  std::size_t from = 0;
  for (;;) {
    const std::size_t slash = path.find('/', from);
    const std::string_view part = std::string_view(path).substr(from, slash - from);
    if (part.empty() || part == "." || part == "..") return false;
    if (slash == std::string::npos) return true;
    from = slash + 1;
  }
}

namespace {

// The content of a regular file, read without following a link; false for
// anything else or a file that cannot be read.
bool ReadFileNoFollow(const fs::path& file, std::string& content) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  content.clear();
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    content.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

// Whether every folder from root down to dir is a real folder (no link).
bool RealFoldersBelow(const fs::path& root, const fs::path& dir) {
  fs::path at = root;
  for (const fs::path& part : dir.lexically_relative(root)) {
    if (part == ".") continue;
    at /= part;
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(at, ec))) return false;
  }
  return true;
}

}  // namespace

void FileSink::RemoveStale() {
  std::unordered_set<std::string> written;
  written.reserve(m_current.size());
  for (const auto& entry : m_current) written.insert(entry.first);
  std::vector<std::string> stale;
  for (const auto& entry : m_previous) {
    if (!written.count(entry.first) && IsSitePath(entry.first)) stale.push_back(entry.first);
  }
  // Deepest first, so that a folder is emptied before it is tried.
  std::sort(stale.begin(), stale.end(), std::greater<>());
  std::string content;
  for (const std::string& path : stale) {
    const fs::path file = m_root / path;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(file, ec);
    if (!fs::exists(status)) continue;  // removed by hand already
    if (!fs::is_regular_file(status) || !RealFoldersBelow(m_root, file.parent_path()) ||
        !ReadFileNoFollow(file, content) || ContentHash(content) != m_previous.at(path)) {
      ++m_report.keptStale;
      continue;
    }
    if (::unlink(file.c_str()) != 0) {
      ++m_report.keptStale;
      continue;
    }
    ++m_report.removed;
    // Folders that held only site files and are empty now; rmdir leaves any
    // folder with something in it.
    for (fs::path dir = file.parent_path(); dir != m_root && dir.native().size() > m_root.native().size();
         dir = dir.parent_path()) {
      if (::rmdir(dir.c_str()) != 0) break;
    }
  }
}

std::string SearchKey(const VXString& name) {
  std::string key;
  key.reserve(name.size());
  for (char32_t c : name) {
    if (c >= U'A' && c <= U'Z') c = c - U'A' + U'a';
    key += (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') ? static_cast<char>(c) : '_';
  }
  return key;
}

std::vector<std::string> SearchKeys(const VXString& name) {
  const std::string folded = SearchKey(name);
  auto isLower = [](char32_t c) { return c >= U'a' && c <= U'z'; };
  auto isUpper = [](char32_t c) { return c >= U'A' && c <= U'Z'; };
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < name.size(); ++i) {
    // The whole name is a key even when it starts with a character that
    // folds to "_" ("<script>": "_script_" as well as "script_").
    if (i == 0) {
      keys.push_back(folded);
      continue;
    }
    if (folded[i] == '_') continue;
    const bool bStart = folded[i - 1] == '_' || (isUpper(name[i]) && isLower(name[i - 1]));
    if (bStart) keys.push_back(folded.substr(i));
  }
  if (keys.empty()) keys.push_back(folded);  // the empty name
  return keys;
}

void SearchIndex::Add(const VXString& name, const VXString& typeCode, const VXString& container,
                      const std::string& pagePath, const VXString& displayName) {
  std::string json = "[";
  AppendJsString(json, name);
  json += ',';
  AppendJsString(json, typeCode);
  json += ',';
  AppendJsString(json, container);
  json += ',';
  AppendJsString(json, ToVXString(pagePath));
  if (!displayName.empty() && displayName != name) {
    json += ',';
    AppendJsString(json, displayName);
  }
  json += ']';
  std::vector<std::string> keys = SearchKeys(name);
  if (!displayName.empty() && displayName != name) {
    for (std::string& key : SearchKeys(displayName)) keys.push_back(std::move(key));
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  for (std::string& key : keys) m_entries.push_back(Entry{std::move(key), m_json.size()});
  m_json.push_back(std::move(json));
}

void SearchIndex::WriteTo(FileSink& sink) {
  std::stable_sort(m_entries.begin(), m_entries.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
  std::vector<std::string> shardKeys;
  // A shard's key is the prefix its names' keys share, one more character
  // at a time while a group is too big; "ab-" holds the keys that are exactly
  // "ab" once "ab" has been split, "-" the empty names.
  constexpr std::size_t kMaxKeyLength = 32;
  // A group that no longer letter splits (one name in thousands of tables)
  // goes into numbered parts: "key", "key~2", "key~3", ...
  auto emit = [&](std::size_t from, std::size_t to, const std::string& key) {
    std::size_t part = 1;
    while (from < to) {
      const std::string name = part == 1 ? key : key + "~" + std::to_string(part);
      std::string body = "smutilSearch.add(\"" + name + "\",[\n";
      std::size_t i = from;
      for (; i < to && (i == from || body.size() + m_json[m_entries[i].json].size() + 8 <= kMaxShardBytes); ++i) {
        body += m_json[m_entries[i].json] + ",\n";
      }
      body.erase(body.size() - 2, 1);  // the last comma
      body += "]);\n";
      sink.Write("search/" + name + ".js", std::move(body));
      shardKeys.push_back(name);
      from = i;
      ++part;
    }
  };
  // Splits the sorted range [from, to), whose keys share length characters.
  auto split = [&](std::size_t from, std::size_t to, std::size_t length, auto&& self) -> void {
    std::size_t bytes = 0;
    for (std::size_t i = from; i < to; ++i) bytes += m_json[m_entries[i].json].size() + 2;
    const std::string key = m_entries[from].key.substr(0, length);
    bool bLonger = false;
    for (std::size_t i = from; i < to && !bLonger; ++i) bLonger = m_entries[i].key.size() > length;
    if (bytes <= kMaxShardBytes || !bLonger || length >= kMaxKeyLength) {
      emit(from, to, key.empty() ? "-" : key);
      return;
    }
    // Keys equal to the prefix first (they sort first), then groups by the
    // next character.
    std::size_t i = from;
    while (i < to && m_entries[i].key.size() == length) ++i;
    if (i > from) emit(from, i, key + "-");
    while (i < to) {
      const char next = m_entries[i].key[length];
      std::size_t j = i;
      while (j < to && m_entries[j].key.size() > length && m_entries[j].key[length] == next) ++j;
      self(i, j, length + 1, self);
      i = j;
    }
  };
  std::size_t i = 0;
  while (i < m_entries.size()) {
    const std::string first = m_entries[i].key.substr(0, 1);
    std::size_t j = i;
    while (j < m_entries.size() && m_entries[j].key.substr(0, 1) == first) ++j;
    split(i, j, 1, split);
    i = j;
  }
  std::string manifest = "smutilSearch.shards([";
  for (std::size_t k = 0; k < shardKeys.size(); ++k) {
    manifest += (k ? ",\"" : "\"") + shardKeys[k] + "\"";
    if (k % 16 == 15) manifest += '\n';
  }
  manifest += "]);\n";
  sink.Write("search/shards.js", manifest);
}

}  // namespace smutil_site
