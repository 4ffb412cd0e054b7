// Feeds arbitrary bytes to the message-catalogue reader; only
// MessageCatalogueError may escape, and what it accepts must format cleanly.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Utility/MessageCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const MessageCatalogue cat = MessageCatalogue::Parse(text, "fuzz");
    const VXString args[] = {U"a", U"b", U"c"};
    for (MessageId id : cat.MessageIds()) {
      const VXString* t = cat.FindText(id);
      if (!t || t->empty()) __builtin_trap();
      MessageCatalogue::Format(*t, args);
      if (MessageCatalogue::PlaceholderCount(*t) > 9) __builtin_trap();
    }
  } catch (const MessageCatalogueError&) {
  }
  return 0;
}
