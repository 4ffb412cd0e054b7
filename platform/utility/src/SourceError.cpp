#include "Utility/SourceError.h"

SourceError::SourceError(const std::string& source, std::uint64_t line, std::uint64_t column,
                         const std::string& message)
    : std::runtime_error(Format(source, line, column, message)),
      m_source(source),
      m_line(line),
      m_column(column),
      m_message(message) {}

std::string SourceError::Format(const std::string& source, std::uint64_t line, std::uint64_t column,
                                const std::string& message) {
  // A fault of no named input (a store, the command line) is its message
  // alone.
  if (source.empty()) return message;
  std::string out = source;
  if (line != 0) {
    out += ':' + std::to_string(line);
    if (column != 0) out += ':' + std::to_string(column);
  }
  return out + ": " + message;
}
