#include "Lsp/TextDocument.h"

#include <algorithm>

namespace smutil_lsp {
namespace {

// Bytes of the UTF-8 sequence that starts with c, and whether it takes two
// UTF-16 units. A byte that starts no valid sequence counts as one byte and
// one unit: the parser reads it as U+FFFD, which is one unit too.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  if (i + n > s.size()) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

std::uint32_t UnitsOfBytes(std::string_view line, std::size_t bytes, PositionEncoding encoding) {
  bytes = std::min(bytes, line.size());
  if (encoding == PositionEncoding::kUtf8) return static_cast<std::uint32_t>(bytes);
  std::uint32_t units = 0;
  for (std::size_t i = 0; i < bytes;) {
    const std::size_t n = SequenceLength(line, i);
    if (i + n > bytes) break;  // inside a character: its start
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return units;
}

std::size_t BytesOfUnits(std::string_view line, std::uint32_t units, PositionEncoding encoding) {
  if (encoding == PositionEncoding::kUtf8) {
    std::size_t at = std::min<std::size_t>(units, line.size());
    // Not inside a UTF-8 sequence.
    while (at > 0 && at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80) --at;
    return at;
  }
  std::size_t i = 0;
  std::uint32_t seen = 0;
  while (i < line.size()) {
    const std::size_t n = SequenceLength(line, i);
    const std::uint32_t w = n == 4 ? 2 : 1;
    if (seen + w > units) break;
    seen += w;
    i += n;
  }
  return i;
}

TextDocument::TextDocument(std::string text, std::int64_t version) : m_text(std::move(text)), m_version(version) {
  IndexLines();
}

void TextDocument::IndexLines() {
  m_lineStarts.assign(1, 0);
  for (std::size_t i = 0; i < m_text.size(); ++i) {
    if (m_text[i] == '\n') {
      m_lineStarts.push_back(i + 1);
    } else if (m_text[i] == '\r') {
      if (i + 1 < m_text.size() && m_text[i + 1] == '\n') ++i;
      m_lineStarts.push_back(i + 1);
    }
  }
}

std::size_t TextDocument::OffsetOf(const Position& p, PositionEncoding encoding) const {
  if (p.line >= m_lineStarts.size()) return m_text.size();
  const std::size_t start = m_lineStarts[p.line];
  std::size_t end = p.line + 1 < m_lineStarts.size() ? m_lineStarts[p.line + 1] : m_text.size();
  // The line's own text, without its line break.
  while (end > start && (m_text[end - 1] == '\n' || m_text[end - 1] == '\r')) --end;
  return start + BytesOfUnits(std::string_view(m_text).substr(start, end - start), p.character, encoding);
}

Position TextDocument::PositionOf(std::size_t offset, PositionEncoding encoding) const {
  offset = std::min(offset, m_text.size());
  const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset);
  const std::size_t line = static_cast<std::size_t>(it - m_lineStarts.begin()) - 1;
  const std::size_t start = m_lineStarts[line];
  const std::size_t end = line + 1 < m_lineStarts.size() ? m_lineStarts[line + 1] : m_text.size();
  const std::string_view text = std::string_view(m_text).substr(start, end - start);
  return {static_cast<std::uint32_t>(line), UnitsOfBytes(text, offset - start, encoding)};
}

Range TextDocument::RangeOf(std::size_t start, std::size_t end, PositionEncoding encoding) const {
  return {PositionOf(start, encoding), PositionOf(std::max(start, end), encoding)};
}

void TextDocument::Replace(const Range& range, std::string_view text, PositionEncoding encoding) {
  std::size_t a = OffsetOf(range.start, encoding), b = OffsetOf(range.end, encoding);
  if (a > b) std::swap(a, b);
  m_text.replace(a, b - a, text);
  IndexLines();
}

void TextDocument::SetText(std::string text) {
  m_text = std::move(text);
  IndexLines();
}

}  // namespace smutil_lsp
