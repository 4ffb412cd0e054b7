// The server's assertion facility. A broken invariant throws VXAssertException
// carrying the source path, the line and the failed condition's text; the
// host (or a test) catches it. Nothing here aborts the process.
//
//   if (rpObj.IsNull()) VXAssert::handleAssert("server/Metadata/Src/SMUtil.cpp", 120, "!rpObj.IsNull()");
#pragma once

#include <stdexcept>
#include <string>

class VXAssertException : public std::logic_error {
 public:
  VXAssertException(std::string file, int line, std::string condition, bool isLogicError);

  const std::string& GetFile() const { return m_file; }
  int GetLine() const { return m_line; }
  // The failed condition (handleAssert) or the message (handleLogicError).
  const std::string& GetCondition() const { return m_condition; }
  bool IsLogicError() const { return m_bLogicError; }

 private:
  std::string m_file;
  int m_line;
  std::string m_condition;
  bool m_bLogicError;
};

namespace VXAssert {
[[noreturn]] void handleAssert(const char* file, int line, const char* condition);
[[noreturn]] void handleLogicError(const char* file, int line, const char* message = "");
}  // namespace VXAssert
