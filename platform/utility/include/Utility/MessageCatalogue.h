// MessageCatalogue: the server's user-visible texts, by number, read from a
// catalogue file (samples/messages.txt is the one shipped).
//
//   MessageCatalogue cat = MessageCatalogue::LoadFile("samples/messages.txt");
//   const VXString* t = cat.FindText(23005);   // U"Repository variable %1 is not defined ..."
//   MessageCatalogue::Format(*t, args);        // placeholders filled
//
// File format (UTF-8, one entry per line):
//
//   # a comment; blank lines are ignored
//   23005 = Repository variable %1 is not defined.
//   type 2006 = Logical Column
//
// A message entry is a decimal id, "=", and its text; a type entry is the word
// "type", a type id, "=", and the display name of that object type. Blanks
// around "=" and at the end of the line are dropped. In a text "%1" to "%9"
// are the numbered placeholders, "%%" is a percent sign, and "\n", "\t" and
// "\\" are a line feed, a tab and a backslash. Any other "%" or "\" sequence,
// a missing "=", a bad or repeated id, an empty text or malformed UTF-8 is an
// error that names the file and the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Utility/SourceError.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"

using MessageId = std::uint64_t;

// "FILE:LINE: what"; line 0 when the file itself could not be read.
class MessageCatalogueError : public SourceError {
 public:
  MessageCatalogueError(const std::string& source, std::size_t line, const std::string& what)
      : SourceError(source, line, 0, what) {}
};

class MessageCatalogue {
 public:
  // sourceName only labels errors ("messages.txt:12: ...").
  static MessageCatalogue Parse(std::string_view text, const std::string& sourceName);
  static MessageCatalogue LoadFile(const std::string& path);

  // Null when the catalogue has no such entry.
  const VXString* FindText(MessageId id) const;
  const VXString* FindTypeName(TypeID type) const;
  std::size_t MessageCount() const { return m_texts.size(); }
  std::size_t TypeNameCount() const { return m_typeNames.size(); }
  std::vector<MessageId> MessageIds() const;  // ascending
  // The highest placeholder number a text uses (0 when it has none).
  static int PlaceholderCount(std::u32string_view text);

  // Fills "%n" with args[n-1] and "%%" with "%". A placeholder without an
  // argument stays as written, so a missing argument is visible, never lost.
  static VXString Format(std::u32string_view text, std::span<const VXString> args);

 private:
  std::unordered_map<MessageId, VXString> m_texts;
  std::unordered_map<TypeID, VXString> m_typeNames;
};
