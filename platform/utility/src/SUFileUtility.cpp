#include "Utility/SUFileUtility.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  d.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (d.fd < 0) throw SUFileError(what, path, errno == ENOENT ? "there is no such file" : std::strerror(errno));
  struct stat st {};
  if (::fstat(d.fd, &st) != 0) throw SUFileError(what, path, std::strerror(errno));
  if (!S_ISREG(st.st_mode)) throw SUFileError(what, path, KindOf(st.st_mode));
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size > maxBytes) throw SUFileError(what, path, "it is larger than " + SizeText(maxBytes));
  return size;
}

}  // namespace

SUFileError::SUFileError(const std::string& what, const std::string& path, const std::string& reason)
    : std::runtime_error("cannot open the " + what + " " + path + ": " + reason), m_path(path), m_reason(reason) {}

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

MappedFile::MappedFile(const std::string& path, const char* what, std::size_t maxBytes) {
  Descriptor d;
  m_size = OpenRegular(d, path, what, maxBytes);
  if (m_size == 0) return;
  // Populated at once: faulting the pages in one by one costs more than
  // the parse of them when the file is in the page cache.
  void* map = ::mmap(nullptr, m_size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, d.fd, 0);
  if (map == MAP_FAILED) throw SUFileError(what, path, std::strerror(errno));
  m_map = map;
  m_data = static_cast<const char*>(map);
}

MappedFile::~MappedFile() {
  if (m_map) ::munmap(m_map, m_size);
}

}  // namespace SUFileUtility
