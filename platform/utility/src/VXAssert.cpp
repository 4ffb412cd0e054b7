#include "Utility/VXAssert.h"

namespace {
std::string Describe(const std::string& file, int line, const std::string& condition, bool logic) {
  std::string text = logic ? "logic error at " : "assertion failed at ";
  text += file + ":" + std::to_string(line);
  if (!condition.empty()) text += ": " + condition;
  return text;
}
}  // namespace

VXAssertException::VXAssertException(std::string file, int line, std::string condition, bool isLogicError)
    : std::logic_error(Describe(file, line, condition, isLogicError)),
      m_file(std::move(file)),
      m_line(line),
      m_condition(std::move(condition)),
      m_bLogicError(isLogicError) {}

namespace VXAssert {
void handleAssert(const char* file, int line, const char* condition) {
  throw VXAssertException(file ? file : "", line, condition ? condition : "", false);
}

void handleLogicError(const char* file, int line, const char* message) {
  throw VXAssertException(file ? file : "", line, message ? message : "", true);
}
}  // namespace VXAssert
