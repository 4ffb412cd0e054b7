// A FIFO that tells whether anyone opened it for reading, without letting
// a reader that did wait forever: a thread keeps trying to open the write
// end (which succeeds only once a reader is there), and when it does, it
// writes a line and closes, so the reader goes on and the test can fail
// instead of hanging.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace testutil {

class FifoTrap {
 public:
  explicit FifoTrap(std::filesystem::path path) : m_path(std::move(path)) {
    ::mkfifo(m_path.c_str(), 0600);
    m_watcher = std::thread([this] {
      while (!m_stop) {
        const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
          m_opened = true;
          const char line[] = "FIFO-CONTENT\n";
          [[maybe_unused]] const ssize_t n = ::write(fd, line, sizeof line - 1);
          ::close(fd);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
  }
  ~FifoTrap() {
    m_stop = true;
    m_watcher.join();
    std::filesystem::remove(m_path);
  }
  FifoTrap(const FifoTrap&) = delete;
  FifoTrap& operator=(const FifoTrap&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::string Url() const { return "file://" + m_path.string(); }
  // Whether a reader opened the FIFO so far.
  bool Opened() const { return m_opened; }

 private:
  std::filesystem::path m_path;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_opened{false};
  std::thread m_watcher;
};

}  // namespace testutil
