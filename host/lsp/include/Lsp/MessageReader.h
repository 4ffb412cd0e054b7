// The framing of the language server's messages: a header block of
// "Name: value" lines ended by an empty line, then Content-Length bytes of
// body. Bytes are fed as they come, in pieces of any size; each complete
// body, and each fault with where it was, comes out as an event.
//
//   MessageReader reader;
//   std::vector<MessageReader::Event> events;
//   reader.Feed(bytes, events);            // any split of the stream
//   for (const auto& e : events) e.kind == MessageReader::Event::kMessage ? Handle(e.body) : Refuse(e.error);
//   reader.Finish(events);                 // at the end of input: a message cut short is a fault
//
// A fault never stops the reader: a header block that cannot be read is
// dropped up to its empty line and reading goes on with the next one; a
// body longer than kMaxBody is skipped by its declared length without
// being kept. Memory is bounded by kMaxHeader plus kMaxBody.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace smutil_lsp {

class MessageReader {
 public:
  // A header block longer than this without its empty line is refused.
  static constexpr std::size_t kMaxHeader = 8 * 1024;
  // A body longer than this is refused (and skipped, not kept).
  static constexpr std::size_t kMaxBody = 64 * 1024 * 1024;

  struct Event {
    enum Kind : std::uint8_t { kMessage, kFault };
    Kind kind = kMessage;
    std::string body;   // kMessage: the body's bytes as sent
    std::string fault;  // kFault: what is wrong, with the stream offset of the message
  };

  void Feed(std::string_view bytes, std::vector<Event>& events);
  // The end of input: a header or body cut short is reported.
  void Finish(std::vector<Event>& events);
  // Bytes read so far.
  std::uint64_t Offset() const { return m_offset; }

 private:
  enum class State : std::uint8_t { kHeader, kSkipHeader, kBody, kSkipBody };
  void TakeHeaderBlock(std::string_view block, std::vector<Event>& events);

  State m_state = State::kHeader;
  std::string m_buffer;           // the header block or the body read so far
  std::size_t m_bodyLength = 0;   // kBody, kSkipBody: bytes of body still wanted / to skip
  std::uint64_t m_offset = 0;     // stream offset of the next byte fed
  std::uint64_t m_messageAt = 0;  // stream offset where the current message began
};

// "Content-Length: N\r\n\r\n" and the body.
std::string FrameMessage(std::string_view body);

}  // namespace smutil_lsp
