#include "Utility/MessageCatalogue.h"

#include <algorithm>
#include <limits>
#include <sstream>

#include "Utility/SUFileUtility.h"

namespace {
struct LineReader {
  const std::string& source;
  std::size_t line;
  [[noreturn]] void Fail(const std::string& what) const { throw MessageCatalogueError(source, line, what); }
};

std::string_view Trim(std::string_view s) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::uint64_t ParseNumber(std::string_view digits, std::uint64_t max, const LineReader& at, const char* what) {
  if (digits.empty()) at.Fail(std::string("expected a ") + what + " before \"=\"");
  std::uint64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') at.Fail(std::string("the ") + what + " \"" + std::string(digits) + "\" is not a number");
    if (n > (max - static_cast<std::uint64_t>(c - '0')) / 10) {
      at.Fail(std::string("the ") + what + " \"" + std::string(digits) + "\" is too large");
    }
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return n;
}

// Decodes escapes and checks placeholders; "%n" and "%%" are kept as written
// so that Format can tell a literal percent sign from a placeholder.
VXString ParseText(std::string_view raw, const LineReader& at) {
  if (!IsValidUtf8(raw)) at.Fail("the text is not valid UTF-8");
  const VXString wide = ToVXString(raw);
  VXString out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char32_t c = wide[i];
    const char32_t next = i + 1 < wide.size() ? wide[i + 1] : U'\0';
    if (c == U'\\') {
      if (next == U'n')
        out.push_back(U'\n');
      else if (next == U't')
        out.push_back(U'\t');
      else if (next == U'\\')
        out.push_back(U'\\');
      else
        at.Fail("unknown escape \"\\" + ToNarrow(std::u32string(next ? 1 : 0, next)) + "\" (use \\n, \\t or \\\\)");
      ++i;
    } else if (c == U'%') {
      if (next != U'%' && (next < U'1' || next > U'9')) {
        at.Fail("a \"%\" must be followed by a placeholder number 1-9 or by another \"%\"");
      }
      out.push_back(c);
      out.push_back(next);
      ++i;
    } else {
      out.push_back(c);
    }
  }
  if (out.empty()) at.Fail("the text is empty");
  return out;
}
}  // namespace

MessageCatalogue MessageCatalogue::Parse(std::string_view text, const std::string& sourceName) {
  MessageCatalogue cat;
  std::unordered_map<MessageId, std::size_t> messageLines;
  std::unordered_map<TypeID, std::size_t> typeLines;
  if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // byte order mark
  std::size_t lineNo = 0;
  while (!text.empty()) {
    ++lineNo;
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    const LineReader at{sourceName, lineNo};
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.find('\0') != std::string_view::npos) at.Fail("the line holds a NUL byte");
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) at.Fail("expected \"<id> = <text>\" or \"type <id> = <name>\"");
    std::string_view key = Trim(line.substr(0, eq));
    const VXString value = ParseText(Trim(line.substr(eq + 1)), at);
    if (key.substr(0, 4) == "type" && key.size() > 4 && (key[4] == ' ' || key[4] == '\t')) {
      const auto id = static_cast<TypeID>(ParseNumber(
          Trim(key.substr(4)), static_cast<std::uint64_t>(std::numeric_limits<TypeID>::max()), at, "type id"));
      if (const auto [it, fresh] = typeLines.emplace(id, lineNo); !fresh) {
        at.Fail("type " + std::to_string(id) + " is already named on line " + std::to_string(it->second));
      }
      cat.m_typeNames.emplace(id, value);
    } else {
      const MessageId id = ParseNumber(key, std::numeric_limits<MessageId>::max(), at, "message id");
      if (const auto [it, fresh] = messageLines.emplace(id, lineNo); !fresh) {
        at.Fail("message " + std::to_string(id) + " is already defined on line " + std::to_string(it->second));
      }
      cat.m_texts.emplace(id, value);
    }
  }
  return cat;
}

MessageCatalogue MessageCatalogue::LoadFile(const std::string& path) {
  std::string text;
  try {
    text = SUFileUtility::ReadRegularFile(path, "message catalogue");
  } catch (const SUFileUtility::SUFileError& e) {
    throw MessageCatalogueError(path, 0, "cannot open the message catalogue: " + e.GetReason());
  }
  return Parse(text, path);
}

const VXString* MessageCatalogue::FindText(MessageId id) const {
  const auto it = m_texts.find(id);
  return it == m_texts.end() ? nullptr : &it->second;
}

const VXString* MessageCatalogue::FindTypeName(TypeID type) const {
  const auto it = m_typeNames.find(type);
  return it == m_typeNames.end() ? nullptr : &it->second;
}

std::vector<MessageId> MessageCatalogue::MessageIds() const {
  std::vector<MessageId> ids;
  ids.reserve(m_texts.size());
  for (const auto& [id, text] : m_texts) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

int MessageCatalogue::PlaceholderCount(std::u32string_view text) {
  int highest = 0;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != U'%') continue;
    const char32_t n = text[i + 1];
    if (n >= U'1' && n <= U'9') highest = std::max(highest, static_cast<int>(n - U'0'));
    ++i;  // steps over "%%" too
  }
  return highest;
}

VXString MessageCatalogue::Format(std::u32string_view text, std::span<const VXString> args) {
  VXString out;
  out.reserve(text.size() + 32 * args.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c != U'%' || i + 1 >= text.size()) {
      out.push_back(c);
      continue;
    }
    const char32_t n = text[i + 1];
    if (n == U'%') {
      out.push_back(U'%');
      ++i;
    } else if (n >= U'1' && n <= U'9' && static_cast<std::size_t>(n - U'0') <= args.size()) {
      out += args[n - U'1'];
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}
