// SourceError: a fault at a place in a named input (a file, or a text given
// a name), the one base of the readers' errors, so that every one of them
// reads "SOURCE:LINE:COLUMN: message" as compilers and editors expect. A
// place not known is left out: no column gives "SOURCE:LINE: message", and
// no line either "SOURCE: message" (a file that could not be opened).
// An error whose message names its file itself (the file utility's "cannot
// open the archive /x/a.rpa: there is no such file") or that concerns no
// named input has no source and is written as its message alone; so the
// loaders' and utilities' errors (the file utility's, the archive's, the
// dictionary site's) all derive from this one class and read alike.
//
//   try {
//     config = SUSystemConfig::LoadFile("smutil.ini");
//   } catch (const SourceError& e) {
//     std::cerr << e.what() << '\n';  // "smutil.ini:12: unknown key 'x'"
//     Mark(e.GetSource(), e.GetLine(), e.GetColumn(), e.GetMessage());
//   }
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

class SourceError : public std::runtime_error {
 public:
  // line and column are 1-based; 0 means not known.
  SourceError(const std::string& source, std::uint64_t line, std::uint64_t column, const std::string& message);

  const std::string& GetSource() const { return m_source; }
  std::uint64_t GetLine() const { return m_line; }
  std::uint64_t GetColumn() const { return m_column; }
  // The message without its place.
  const std::string& GetMessage() const { return m_message; }

  // The text what() gives for such an error.
  static std::string Format(const std::string& source, std::uint64_t line, std::uint64_t column,
                            const std::string& message);

 private:
  std::string m_source;
  std::uint64_t m_line;
  std::uint64_t m_column;
  std::string m_message;
};
