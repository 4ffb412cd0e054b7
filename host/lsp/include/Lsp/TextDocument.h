// An open query as the editor sees it: its UTF-8 text, its version, and
// the conversion between byte offsets and the protocol's positions (line
// and character from 0, characters counted in UTF-16 code units unless
// the client agreed to UTF-8 bytes). Lines end at LF, CR LF or CR.
//
//   TextDocument doc("SELECT a\nFROM b", 1);
//   doc.OffsetOf({1, 2}, PositionEncoding::kUtf16);       // 11: the "O" of FROM
//   doc.Replace({{0, 7}, {0, 8}}, "Orders.Revenue", enc); // an incremental change
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace smutil_lsp {

enum class PositionEncoding : std::uint8_t { kUtf16, kUtf8 };

struct Position {
  std::uint32_t line = 0;
  std::uint32_t character = 0;
  friend bool operator==(const Position&, const Position&) = default;
};

struct Range {
  Position start;
  Position end;
  friend bool operator==(const Range&, const Range&) = default;
};

class TextDocument {
 public:
  TextDocument() = default;
  TextDocument(std::string text, std::int64_t version);

  const std::string& Text() const { return m_text; }
  std::int64_t Version() const { return m_version; }
  void SetVersion(std::int64_t version) { m_version = version; }
  std::size_t LineCount() const { return m_lineStarts.size(); }

  // The byte offset of a position. A character past the end of its line
  // means the line's end, a line past the last means the end of the text,
  // and a position inside a character that takes two UTF-16 units means
  // that character's start (the protocol leaves these to the server).
  std::size_t OffsetOf(const Position& p, PositionEncoding encoding) const;
  // The position of a byte offset (clamped to the text); an offset inside
  // a UTF-8 sequence counts as that character's start.
  Position PositionOf(std::size_t offset, PositionEncoding encoding) const;
  Range RangeOf(std::size_t start, std::size_t end, PositionEncoding encoding) const;

  // Replaces the text between two positions (an incremental change); a
  // start after the end is taken as the other way round.
  void Replace(const Range& range, std::string_view text, PositionEncoding encoding);
  // Replaces the whole text (a full change).
  void SetText(std::string text);

 private:
  void IndexLines();

  std::string m_text;
  std::int64_t m_version = 0;
  std::vector<std::size_t> m_lineStarts{0};  // byte offset where each line begins
};

// The same conversions over any text with a line at hand: the code units
// (UTF-16 or bytes) of line's first `bytes` bytes, and the byte offset of
// `units` code units into line.
std::uint32_t UnitsOfBytes(std::string_view line, std::size_t bytes, PositionEncoding encoding);
std::size_t BytesOfUnits(std::string_view line, std::uint32_t units, PositionEncoding encoding);

}  // namespace smutil_lsp
