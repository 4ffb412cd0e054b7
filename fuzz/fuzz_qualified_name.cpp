// Qualified-name text from arbitrary bytes: the readers must never crash, and
// what they read must agree with what the writers write.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "FuzzText.h"
#include "Metadata/SMUtil.h"

namespace {

// Bytes below 0x80 stand for themselves (NUL, quotes and full stops included);
// higher bytes become non-ASCII code points, a few of them huge, so that the
// sign-widened separator and wide characters both get exercised.
VXString TextFrom(const std::uint8_t* data, std::size_t size) {
  VXString text;
  text.reserve(size);
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t b = data[i];
    if (b < 0x80)
      text.push_back(b);
    else if (b < 0xF0)
      text.push_back(0xC0 + (b - 0x80));
    else
      text.push_back(static_cast<char32_t>(static_cast<std::int32_t>(static_cast<signed char>(b))));
  }
  return text;
}

void CheckParse(const VXString& text, char separator) {
  QualifiedName stripped, kept;
  MetadataUtil::ParseQualifiedNameString(text, stripped, separator, true);
  MetadataUtil::ParseQualifiedNameString(text, kept, separator, false);
  FuzzCheck(stripped.size() == kept.size());
  if (text.empty()) {
    FuzzCheck(stripped.empty());
    return;
  }
  const bool fallback = kept.size() == 1 && kept[0] == text;
  std::size_t total = 0;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    total += stripped[i].size();
    if (fallback && stripped[0] == text) continue;
    // A closed segment loses exactly its two enclosing quotes; an empty level is empty both ways.
    FuzzCheck(kept[i].size() == stripped[i].size() + 2 || (kept[i].empty() && stripped[i].empty()));
  }
  FuzzCheck(total <= text.size());
}

// Segments cut from the text at '/', without NULs: written, then read back.
void CheckRoundTrip(const VXString& text) {
  QualifiedName segments(1);
  for (char32_t c : text) {
    if (c == U'/')
      segments.emplace_back();
    else if (c != 0)
      segments.back().push_back(c);
  }
  const VXString written = MetadataUtil::ToQualifiedName(segments);
  QualifiedName back;
  MetadataUtil::ParseQualifiedNameString(written, back, '.', true);

  // Inside a written segment a quote is doubled and left doubled by the reader,
  // so the segments come back with their quotes doubled. A quote written just
  // before a full stop would close the segment early: such names are not
  // expected to survive.
  QualifiedName expected;
  bool readable = segments.size() > 1 || !segments[0].empty();
  for (const VXString& s : segments) {
    VXString e;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] == U'"') {
        if (i + 1 < s.size() && s[i + 1] == U'.') readable = false;
        e.push_back(U'"');
      }
      e.push_back(s[i]);
    }
    expected.push_back(e);
  }
  if (readable) FuzzCheck(back == expected);

  QualifiedName chopped;
  MetadataUtil::ChopAQualifiedName(segments, chopped);
  FuzzCheck(chopped.size() + 1 == segments.size());
  FuzzCheck(MetadataUtil::IsQualifiedNameSection(QualifiedName{}, segments, true));
  QualifiedName nonEmpty = segments;
  MetadataUtil::StripQualifiedNameOfEmptyStrings(nonEmpty);
  if (!nonEmpty.empty()) FuzzCheck(MetadataUtil::IsQualifiedNameSection(nonEmpty, nonEmpty, false));
}

void CheckConvert(const VXString& text) {
  QualifiedName q;
  MetadataUtil::ConvertNameToQualifiedName(text, q);
  std::size_t total = 0;
  for (const VXString& s : q) total += s.size();
  FuzzCheck(total <= text.size());
  if (text.find(U'"') == VXString::npos) {
    // Without quotes it is a plain split at full stops that skips empty pieces.
    QualifiedName plain;
    VXString piece;
    for (char32_t c : text + U".") {
      if (c != U'.')
        piece.push_back(c);
      else if (!piece.empty())
        plain.push_back(std::exchange(piece, VXString()));
    }
    FuzzCheck(q == plain);
  }
}

void CheckCatalogName(const VXString& text) {
  const QualifiedName parts = MetadataUtil::SplitConcatenatedCatalogName(text);
  FuzzCheck(parts.size() == 2);
  const std::size_t cut = text.size() / 2;
  const VXString db = text.substr(0, cut), catalog = text.substr(cut);
  const VXString joined = MetadataUtil::ToConcatenatedCatalogName(db, catalog);
  const QualifiedName back = MetadataUtil::SplitConcatenatedCatalogName(joined);
  // The delimiter is not escaped, so only names that neither hold "//" nor
  // let the delimiter appear early come back intact.
  const VXString delimiterProbe = MetadataUtil::ToConcatenatedCatalogName(U"", U"x");
  const VXString delimiter = delimiterProbe.substr(0, delimiterProbe.size() - 1);
  const bool cleanCut = catalog.empty() ? db.find(delimiter) == VXString::npos : joined.find(delimiter) == db.size();
  if (!delimiter.empty() && cleanCut && db.find(U"//") == VXString::npos && catalog.find(U"//") == VXString::npos) {
    FuzzCheck(back[0] == db);
    FuzzCheck(back[1] == catalog);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the separator, so the fuzzer also tries odd ones.
  const char separator = (data[0] & 1) ? '.' : static_cast<char>(data[0]);
  const VXString text = TextFrom(data + 1, size - 1);
  CheckParse(text, separator);
  CheckParse(text, '.');
  CheckRoundTrip(text);
  CheckConvert(text);
  CheckCatalogName(text);
  return 0;
}
