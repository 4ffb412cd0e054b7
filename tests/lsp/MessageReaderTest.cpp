#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Lsp/MessageReader.h"

namespace {

using smutil_lsp::MessageReader;

// "M:body" for a message, "F:" and the start of the fault for a fault.
std::vector<std::string> Read(const std::string& stream, std::size_t piece) {
  MessageReader reader;
  std::vector<MessageReader::Event> events;
  for (std::size_t i = 0; i < stream.size(); i += piece) reader.Feed(std::string_view(stream).substr(i, piece), events);
  reader.Finish(events);
  std::vector<std::string> out;
  for (const auto& e : events) out.push_back(e.kind == MessageReader::Event::kMessage ? "M:" + e.body : "F:" + e.fault);
  return out;
}

TEST(MessageReader, ReadsFramesWhateverTheyAreCutInto) {
  struct Case {
    const char* what;
    std::string stream;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"one message", "Content-Length: 2\r\n\r\n{}", {"M:{}"}},
      {"two in a row", "Content-Length: 3\r\n\r\n[1]Content-Length: 4\r\n\r\n\"ab\"", {"M:[1]", "M:\"ab\""}},
      {"the header name in any case, blanks around the value", "content-length:   5 \r\n\r\nhello", {"M:hello"}},
      {"Content-Type and unknown headers passed over",
       "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\nX-Trace: on\r\nContent-Length: 1\r\n\r\n1",
       {"M:1"}},
      {"lines ended by LF alone", "Content-Length: 2\n\n{}", {"M:{}"}},
      {"blank lines between messages",
       "\r\n\r\nContent-Length: 1\r\n\r\nx\r\nContent-Length: 1\r\n\r\ny",
       {"M:x", "M:y"}},
      {"an empty body", "Content-Length: 0\r\n\r\n", {"M:"}},
      {"a body holding header-like text and NUL bytes",
       std::string("Content-Length: 24\r\n\r\nContent-Length: 9\r\n\r\n\0\0x", 46),
       {std::string("M:Content-Length: 9\r\n\r\n\0\0x", 26)}},
      {"UTF-8 body counted in bytes", "Content-Length: 4\r\n\r\n\"\xC3\xA9\"", {"M:\"\xC3\xA9\""}},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, c.stream.size()}) {
      EXPECT_EQ(Read(c.stream, piece), c.expected) << c.what << ", pieces of " << piece;
    }
  }
}

// A fault is reported with the offset of its message, and reading goes on
// with the next message.
TEST(MessageReader, FaultsAreReportedAndReadingGoesOn) {
  struct Case {
    const char* what;
    std::string stream;
    std::string fault;  // the fault's text up to " (message at byte N)"
    std::string atByte;
    std::string next;  // the message read after it ("" when none)
  };
  const std::string next = "Content-Length: 2\r\n\r\nok";
  const std::vector<Case> cases = {
      {"no Content-Length", "Content-Type: x\r\n\r\n" + next, "a header block without Content-Length", "0", "M:ok"},
      {"Content-Length not a number", "Content-Length: 12a\r\n\r\n" + next, "Content-Length is not a number: \"12a\"",
       "0", "M:ok"},
      {"negative Content-Length", "Content-Length: -1\r\n\r\n" + next, "Content-Length is not a number: \"-1\"", "0",
       "M:ok"},
      {"a line without a colon", "Content-Length 2\r\n\r\n" + next, "a header line without ':': \"Content-Length 2\"",
       "0", "M:ok"},
      {"an overflowing number", "Content-Length: 99999999999999999999999\r\n\r\n" + next,
       "Content-Length is not a number: \"99999999999999999999999\"", "0", "M:ok"},
      {"after a good message", next + "Bad\r\n\r\n" + next, "a header line without ':': \"Bad\"", "23", "M:ok"},
  };
  for (const Case& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, c.stream.size()}) {
      std::vector<std::string> got = Read(c.stream, piece);
      if (c.what == std::string("after a good message")) {
        ASSERT_EQ(got.size(), 3u) << c.what;
        EXPECT_EQ(got[0], "M:ok");
        got.erase(got.begin());
      }
      ASSERT_EQ(got.size(), 2u) << c.what << ", pieces of " << piece;
      EXPECT_EQ(got[0], "F:" + c.fault + " (message at byte " + c.atByte + ")") << c.what;
      EXPECT_EQ(got[1], c.next) << c.what;
    }
  }
}

TEST(MessageReader, AnOversizedBodyIsSkippedNotKept) {
  const std::size_t size = MessageReader::kMaxBody + 10;
  MessageReader reader;
  std::vector<MessageReader::Event> events;
  reader.Feed("Content-Length: " + std::to_string(size) + "\r\n\r\n", events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, MessageReader::Event::kFault);
  EXPECT_NE(events[0].fault.find("is more than the"), std::string::npos) << events[0].fault;
  const std::string chunk(1 << 20, 'x');
  for (std::size_t fed = 0; fed < size;) {
    const std::size_t n = std::min(chunk.size(), size - fed);
    reader.Feed(std::string_view(chunk).substr(0, n), events);
    fed += n;
  }
  reader.Feed("Content-Length: 2\r\n\r\n{}", events);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].body, "{}");
}

TEST(MessageReader, AHeaderWithoutEndIsRefusedAtItsLimit) {
  MessageReader reader;
  std::vector<MessageReader::Event> events;
  reader.Feed(std::string(MessageReader::kMaxHeader + 100, 'a'), events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_NE(events[0].fault.find("a header block longer than 8192 bytes"), std::string::npos) << events[0].fault;
  // Skipped up to the empty line that ends it, then read on.
  std::string rest(50000, 'b');
  rest += "\r\n\r\nContent-Length: 1\r\n\r\nz";
  reader.Feed(rest, events);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[1].kind, MessageReader::Event::kMessage);
  EXPECT_EQ(events[1].body, "z");
}

TEST(MessageReader, TheEndOfInputInsideAMessageIsAFault) {
  EXPECT_EQ(Read("Content-Length: 10\r\n\r\nabc", 4),
            std::vector<std::string>{"F:the input ended 7 bytes before the end of the body (message at byte 0)"});
  EXPECT_EQ(Read("Content-Len", 4),
            std::vector<std::string>{"F:the input ended inside a header block (message at byte 0)"});
  EXPECT_EQ(Read("", 1), std::vector<std::string>{});
}

TEST(MessageReader, FrameMessageIsReadBack) {
  const std::string body = "{\"jsonrpc\":\"2.0\",\"method\":\"x\",\"params\":\"\xE2\x82\xAC\"}";
  const std::string framed = smutil_lsp::FrameMessage(body);
  EXPECT_EQ(framed.substr(0, framed.find("\r\n\r\n")), "Content-Length: " + std::to_string(body.size()));
  EXPECT_EQ(Read(framed + framed, 5), (std::vector<std::string>{"M:" + body, "M:" + body}));
}

}  // namespace
