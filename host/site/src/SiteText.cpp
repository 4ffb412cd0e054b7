#include "SiteText.h"

#include <cstdio>

#include "Utility/Hex.h"
#include "Utility/XmlText.h"

namespace smutil_site {

std::string ToSafeUtf8(const VXString& text) {
  VXString safe;
  safe.reserve(text.size());
  for (char32_t c : text) {
    // Of the control characters, page text keeps tabs and line feeds only.
    safe.push_back(!XmlText::IsXmlChar(c) || c == U'\r' ? char32_t{0xFFFD} : c);
  }
  return ToNarrow(safe);
}

void AppendEscaped(std::string& out, std::string_view utf8) {
  for (char c : utf8) {
    const std::string_view ref = XmlText::MarkupReference(static_cast<unsigned char>(c), XmlText::Apostrophe::kNumeric);
    if (ref.empty()) {
      out += c;
    } else {
      out += ref;
    }
  }
}

void AppendEscaped(std::string& out, const VXString& text) { AppendEscaped(out, ToSafeUtf8(text)); }

std::string Escaped(const VXString& text) {
  std::string out;
  AppendEscaped(out, text);
  return out;
}

void AppendHref(std::string& out, std::string_view path) {
  for (unsigned char c : path) {
    const bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '.' || c == '_' || c == '~' || c == '/';
    if (bPlain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      Hex::AppendBytes(out, std::span<const std::uint8_t>(&c, 1));
    }
  }
}

std::string RelativeLink(std::string_view from, std::string_view to) {
  // Drop the directories both paths share, then climb out of the rest of
  // from's directories.
  std::size_t common = 0;
  for (std::size_t i = 0; i < from.size() && i < to.size() && from[i] == to[i]; ++i) {
    if (from[i] == '/') common = i + 1;
  }
  std::string link;
  for (std::size_t i = common; i < from.size(); ++i) {
    if (from[i] == '/') link += "../";
  }
  link += to.substr(common);
  return link;
}

void AppendJsString(std::string& out, const VXString& text) {
  out += '"';
  char buf[8];
  auto unit = [&](unsigned u) {
    std::snprintf(buf, sizeof buf, "\\u%04X", u);
    out += buf;
  };
  for (char32_t c : text) {
    if (c >= 0x20 && c < 0x7F && c != U'"' && c != U'\\' && c != U'<' && c != U'>') {
      out += static_cast<char>(c);
    } else if (c < 0x10000) {
      unit((c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : static_cast<unsigned>(c));
    } else if (c <= 0x10FFFF) {
      const unsigned v = static_cast<unsigned>(c) - 0x10000;
      unit(0xD800 + (v >> 10));
      unit(0xDC00 + (v & 0x3FF));
    } else {
      unit(0xFFFD);
    }
  }
  out += '"';
}

}  // namespace smutil_site
