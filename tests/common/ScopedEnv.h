// ScopedEnv: one environment variable set (or with null removed) for the
// scope of a test, and put back as it was at its end.
#pragma once

#include <cstdlib>
#include <string>

namespace testutil {

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) {
      m_had = true;
      m_old = old;
    }
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (m_had) {
      ::setenv(m_name, m_old.c_str(), 1);
    } else {
      ::unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  bool m_had = false;
  std::string m_old;
};

}  // namespace testutil
