#include "Utility/SUFileUtility.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace SUFileUtility {
namespace {

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a directory, not a regular file";
  if (S_ISFIFO(mode)) return "it is a named pipe, not a regular file";
  if (S_ISCHR(mode)) return "it is a character device, not a regular file";
  if (S_ISBLK(mode)) return "it is a block device, not a regular file";
  if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
  return "it is not a regular file";
}

std::string SizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 30) == 0) return std::to_string(bytes >> 30) + " GiB";
  if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

// Closes the descriptor when the scope ends.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens path for reading and checks that it is a regular file no larger than
// maxBytes; gives its size. O_NONBLOCK keeps the open of a named pipe from
// waiting for a writer; a regular file reads the same either way.
std::size_t OpenRegular(Descriptor& d, const std::string& path, const char* what, std::size_t maxBytes) {
  if (path.empty()) throw SUFileError(what, path, "no path given");
  // Refused by name first, so a pipe's writer never sees a reader come;
  // checked again on the descriptor, as the path may change in between.
  struct stat named {};
  if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
    throw SUFileError(what, path, KindOf(named.st_mode));
  d.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (d.fd < 0) throw SUFileError(what, path, errno == ENOENT ? "there is no such file" : std::strerror(errno));
  struct stat st {};
  if (::fstat(d.fd, &st) != 0) throw SUFileError(what, path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) throw SUFileError(what, path, KindOf(st.st_mode));
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > maxBytes) throw SUFileError(what, path, "it is larger than " + SizeText(maxBytes));
  return size;
}

// The directory part of path ("." for a bare name).
std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The file a chain of symbolic links ends at (the path itself when it is no
// link); the last one may name nothing yet.
std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), link, sizeof link);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof link) return current;
    const std::string next(link, static_cast<std::size_t>(n));
    current = next.front() == '/' ? next : DirectoryOf(current) + "/" + next;
  }
  errno = ELOOP;
  return std::string();
}

// Why a file cannot be made in dir, from the errno of the attempt.
std::string DirectoryProblem(const std::string& dir, int error) {
  switch (error) {
    case ENOENT:
      return "the directory " + dir + " does not exist";
    case ENOTDIR:
      return dir + " is not a directory";
    case EACCES:
    case EPERM:
      return "the directory " + dir + " is not writable (" + std::strerror(error) + ")";
    case EROFS:
      return "the directory " + dir + " is on a read-only file system";
    default:
      return std::strerror(error);
  }
}

// A temporary name beside the target: a dot, at most 24 bytes of the
// target's name and a random tail, so that a target whose name is as long
// as the directory allows still has one.
std::string TemporaryName(const std::string& dir, const std::string& base) {
  static std::atomic<unsigned> counter{0};
  std::uint64_t seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                       (static_cast<std::uint64_t>(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
  std::string tail;
  for (int i = 0; i < 8; ++i) {
    tail.push_back("abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36]);
    seed /= 36;
  }
  std::size_t keep = std::min<std::size_t>(base.size(), 24);
  // Never cut a UTF-8 sequence in two.
  while (keep > 0 && keep < base.size() && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
  return (dir == "/" ? std::string() : dir) + "/." + base.substr(0, keep) + "." + tail + ".tmp";
}

}  // namespace

SUFileError::SUFileError(const std::string& what, const std::string& path, const std::string& reason,
                         const char* action)
    : SourceError("", 0, 0, std::string("cannot ") + action + " the " + what + " " + path + ": " + reason),
      m_path(path),
      m_reason(reason) {}

bool CheckRegularFile(const std::string& path, const char* what, bool bMayBeMissing) {
  if (path.empty()) throw SUFileError(what, path, "no path given");
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT && bMayBeMissing) return false;
    throw SUFileError(what, path, errno == ENOENT ? "there is no such file" : std::strerror(errno));
  }
  if (!S_ISREG(st.st_mode)) throw SUFileError(what, path, KindOf(st.st_mode));
  return true;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

ReplacingFile::ReplacingFile(const std::string& path, const char* what) : m_path(path), m_what(what) {
  if (path.empty()) throw SUFileError(what, path, "no path given", "write");
  m_target = ResolveLinks(path);
  if (m_target.empty()) throw SUFileError(what, path, std::strerror(errno), "write");
  if (m_target.back() == '/') throw SUFileError(what, path, "the name ends in '/', which names a directory", "write");
  const std::string dir = DirectoryOf(m_target);
  struct stat old {};
  const bool bExists = ::stat(m_target.c_str(), &old) == 0;
  m_bExisted = bExists;
  if (!bExists && errno != ENOENT) throw SUFileError(what, path, DirectoryProblem(dir, errno), "write");
  if (bExists && !S_ISREG(old.st_mode)) throw SUFileError(what, path, KindOf(old.st_mode), "write");
  const std::string base = m_target.substr(m_target.find_last_of('/') + 1);
  for (int attempt = 0; m_fd < 0; ++attempt) {
    m_temp = TemporaryName(dir, base);
    // A file that will take an old file's mode starts private, so its
    // bytes are never readable by more users than the old file's were.
    m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, bExists ? 0600 : 0666);
    if (m_fd < 0 && (errno != EEXIST || attempt > 100)) {
      const int error = errno;
      m_temp.clear();
      throw SUFileError(what, path, DirectoryProblem(dir, error), "write");
    }
  }
  if (bExists) {
    struct stat now {};
    const bool bOwnerDiffers = ::fstat(m_fd, &now) != 0 || now.st_uid != old.st_uid || now.st_gid != old.st_gid;
    if (bOwnerDiffers && ::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
      Fail(std::string("its owner cannot be kept (") + std::strerror(errno) + ")");
    }
    // After fchown, which clears the set-id bits.
    if (::fchmod(m_fd, old.st_mode & 07777) != 0) {
      Fail(std::string("its permissions cannot be kept (") + std::strerror(errno) + ")");
    }
  }
}

ReplacingFile::~ReplacingFile() {
  if (m_fd >= 0) ::close(m_fd);
  if (!m_bCommitted && !m_temp.empty()) ::unlink(m_temp.c_str());
}

void ReplacingFile::Fail(const std::string& reason) {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
  m_buffer.clear();
  throw SUFileError(m_what, m_path, reason + (m_bExisted ? "; the file was left as it was" : "; no file was made"),
                    "write");
}

void ReplacingFile::Write(const char* data, std::size_t size) {
  if (m_fd < 0) throw SUFileError(m_what, m_path, "the file was already closed", "write");
  m_buffer.append(data, size);
  if (m_buffer.size() >= (std::size_t{1} << 16)) Flush();
}

void ReplacingFile::Flush() {
  std::size_t done = 0;
  while (done < m_buffer.size()) {
    const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail(n < 0 ? std::strerror(errno) : "nothing was written");
    done += static_cast<std::size_t>(n);
  }
  m_written += m_buffer.size();
  m_buffer.clear();
}

void ReplacingFile::Commit() {
  if (m_bCommitted) return;
  if (m_fd < 0) throw SUFileError(m_what, m_path, "the file was already closed", "write");
  Flush();
  if (::fsync(m_fd) != 0) Fail(std::strerror(errno));
  const int fd = m_fd;
  m_fd = -1;
  if (::close(fd) != 0) Fail(std::strerror(errno));
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    Fail(std::string("the written file cannot take its place (") + std::strerror(errno) + ")");
  }
  m_bCommitted = true;
  // The rename itself is on the disk once the directory is.
  const int dirFd = ::open(DirectoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

void ReplaceFile(const std::string& path, const char* what, const std::string& bytes) {
  ReplacingFile out(path, what);
  out.Write(bytes.data(), bytes.size());
  out.Commit();
}

std::string ReadRegularFile(const std::string& path, const char* what, std::size_t maxBytes) {
  Descriptor d;
  const std::size_t size = OpenRegular(d, path, what, maxBytes);
  std::string out;
  out.resize(size);
  std::size_t have = 0;
  // A file may change while it is read; read to its end but never past the
  // bound, whatever its size said.
  for (;;) {
    if (have == out.size()) {
      if (out.size() > maxBytes) throw SUFileError(what, path, "it is larger than " + SizeText(maxBytes));
      out.resize(out.size() + 4096);
    }
    const ssize_t n = ::read(d.fd, out.data() + have, out.size() - have);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw SUFileError(what, path, std::strerror(errno));
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  if (have > maxBytes) throw SUFileError(what, path, "it is larger than " + SizeText(maxBytes));
  out.resize(have);
  return out;
}

namespace {

// The mapped ranges being read, for the SIGBUS handler to tell a fault in a
// file cut short under its mapping from any other. Slots are claimed and
// read with atomics only: the handler may run on any thread at any time.
struct GuardedRange {
  std::atomic<bool> used{false};
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> cutShort{false};
};
constexpr int kGuardSlots = 64;
GuardedRange g_guarded[kGuardSlots];
struct sigaction g_previousBusHandler {};
std::uintptr_t g_pageSize = 4096;

void OnBusError(int sig, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (GuardedRange& r : g_guarded) {
    const std::uintptr_t begin = r.begin.load(std::memory_order_acquire);
    const std::uintptr_t end = r.end.load(std::memory_order_acquire);
    if (begin == 0 || address < begin || address >= end) continue;
    // From the faulting page to the end: zeros, where the file has nothing.
    const std::uintptr_t page = address & ~(g_pageSize - 1);
    ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    r.cutShort.store(true, std::memory_order_release);
    return;
  }
  // Not a guarded file: whoever handled the signal before us, or the
  // default action once the fault repeats.
  if ((g_previousBusHandler.sa_flags & SA_SIGINFO) && g_previousBusHandler.sa_sigaction) {
    g_previousBusHandler.sa_sigaction(sig, info, context);
  } else if (g_previousBusHandler.sa_handler != SIG_DFL && g_previousBusHandler.sa_handler != SIG_IGN) {
    g_previousBusHandler.sa_handler(sig);
  } else {
    ::signal(sig, SIG_DFL);
  }
}

void InstallBusHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page > 0) g_pageSize = static_cast<std::uintptr_t>(page);
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previousBusHandler);
  });
}

// A free slot holding [begin, begin + size), or -1 when all are taken.
int Guard(const void* begin, std::size_t size) {
  InstallBusHandler();
  for (int i = 0; i < kGuardSlots; ++i) {
    bool bFree = false;
    if (!g_guarded[i].used.compare_exchange_strong(bFree, true)) continue;
    const auto b = reinterpret_cast<std::uintptr_t>(begin);
    g_guarded[i].cutShort.store(false);
    g_guarded[i].end.store(b + size, std::memory_order_release);
    g_guarded[i].begin.store(b, std::memory_order_release);
    return i;
  }
  return -1;
}

void Unguard(int slot) {
  g_guarded[slot].begin.store(0, std::memory_order_release);
  g_guarded[slot].end.store(0, std::memory_order_release);
  g_guarded[slot].used.store(false, std::memory_order_release);
}

}  // namespace

MappedFile::MappedFile(const std::string& path, const char* what, std::size_t maxBytes) {
  Descriptor d;
  m_size = OpenRegular(d, path, what, maxBytes);
  if (m_size == 0) return;
  // Populated at once: faulting the pages in one by one costs more than
  // the parse of them when the file is in the page cache.
  void* map = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, d.fd, 0);
  if (map == MAP_FAILED) throw SUFileError(what, path, std::strerror(errno));
  m_guard = Guard(map, m_size);
  if (m_guard < 0) {
    // Every guard is in use: read the file rather than map it unguarded.
    ::munmap(map, m_size);
    ::close(d.fd);
    d.fd = -1;
    m_copy = ReadRegularFile(path, what, maxBytes);
    m_size = m_copy.size();
    m_data = m_copy.data();
    return;
  }
  m_map = map;
  m_data = static_cast<const char*>(map);
}

MappedFile::~MappedFile() {
  if (m_guard >= 0) Unguard(m_guard);
  if (m_map) ::munmap(m_map, m_size);
}

bool MappedFile::WasCutShort() const {
  return m_guard >= 0 && g_guarded[m_guard].cutShort.load(std::memory_order_acquire);
}

}  // namespace SUFileUtility
