#include "Checks/ObjectPlaces.h"

#include <algorithm>

#include "objectmodel/RpFileDigest.h"

namespace {

// Walks a text forwards, keeping the line and column of its offset.
class LineCounter {
 public:
  explicit LineCounter(std::string_view text) : m_text(text) {}
  // Moves to offset (never backwards) and returns its line and column.
  std::pair<std::uint32_t, std::uint32_t> At(std::size_t offset) {
    offset = std::min(offset, m_text.size());
    for (; m_at < offset; ++m_at) {
      const auto c = static_cast<unsigned char>(m_text[m_at]);
      if (c == '\n') {
        // The LF of a CR LF pair was counted with its CR.
        if (m_at == 0 || m_text[m_at - 1] != '\r') NewLine();
      } else if (c == '\r') {
        NewLine();
      } else if ((c & 0xC0) != 0x80) {
        ++m_column;  // a code point starts at every byte that is no continuation byte
      }
    }
    return {m_line, m_column};
  }

 private:
  void NewLine() {
    ++m_line;
    m_column = 1;
  }
  std::string_view m_text;
  std::size_t m_at = 0;
  std::uint32_t m_line = 1, m_column = 1;
};

}  // namespace

ObjectPlaces::ObjectPlaces(std::string_view text) {
  RpFileDigest::Splitter splitter(text);
  LineCounter counter(text);
  std::string why;
  if (!splitter.Start(why)) {
    m_whyIncomplete = why;
    return;
  }
  RpFileDigest::Element e;
  while (splitter.Next(e, why) && e.kind != RpFileDigest::Element::Kind::kEnd) {
    if (e.kind != RpFileDigest::Element::Kind::kObject) continue;
    ObjectPlace place;
    std::tie(place.startLine, place.startColumn) = counter.At(e.begin);
    std::tie(place.endLine, place.endColumn) = counter.At(e.end);
    m_places.emplace_back(e.id, place);
  }
  if (!splitter.Done() && m_whyIncomplete.empty()) m_whyIncomplete = why;
  std::sort(m_places.begin(), m_places.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

const ObjectPlace* ObjectPlaces::Find(const VoidID& id) const {
  auto it = std::lower_bound(m_places.begin(), m_places.end(), id,
                             [](const auto& p, const VoidID& v) { return p.first < v; });
  return it != m_places.end() && it->first == id ? &it->second : nullptr;
}
