#include "Lsp/MessageReader.h"

#include <algorithm>
#include <charconv>

namespace smutil_lsp {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
         });
}

std::string At(std::uint64_t offset) { return " (message at byte " + std::to_string(offset) + ")"; }

// Where the header block in text ends: one past the LF of its empty line
// (lines end at LF with or without a CR before it), or npos. The block
// starts with a header line, as blank lines before it are passed over.
std::size_t HeaderBlockEnd(std::string_view text, std::size_t from) {
  const std::size_t crlf = text.find("\n\r\n", from), lf = text.find("\n\n", from);
  if (crlf == std::string_view::npos && lf == std::string_view::npos) return std::string_view::npos;
  if (lf == std::string_view::npos || (crlf != std::string_view::npos && crlf < lf)) return crlf + 3;
  return lf + 2;
}

}  // namespace

void MessageReader::TakeHeaderBlock(std::string_view block, std::vector<Event>& events) {
  std::size_t length = 0;
  bool bHaveLength = false;
  std::string fault;
  while (!block.empty()) {
    const std::size_t nl = block.find('\n');
    const std::string_view line = Trim(block.substr(0, nl));
    block.remove_prefix(nl == std::string_view::npos ? block.size() : nl + 1);
    if (line.empty()) continue;
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      fault = "a header line without ':': \"" + std::string(line.substr(0, 60)) + "\"";
      break;
    }
    const std::string_view name = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    // Content-Type is the only other header of the protocol; its charset is
    // utf-8 in every client, and any other header is passed over.
    if (!EqualsNoCase(name, "Content-Length")) continue;
    std::size_t n = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (ec != std::errc() || end != value.data() + value.size() || value.empty()) {
      fault = "Content-Length is not a number: \"" + std::string(value.substr(0, 40)) + "\"";
      break;
    }
    length = n;
    bHaveLength = true;
  }
  if (fault.empty() && !bHaveLength) fault = "a header block without Content-Length";
  if (!fault.empty()) {
    events.push_back({Event::kFault, {}, fault + At(m_messageAt)});
    m_state = State::kHeader;
    return;
  }
  if (length > kMaxBody) {
    events.push_back({Event::kFault,
                      {},
                      "Content-Length " + std::to_string(length) + " is more than the " + std::to_string(kMaxBody) +
                          " bytes a message may have; its body is skipped" + At(m_messageAt)});
    m_state = State::kSkipBody;
    m_bodyLength = length;
    return;
  }
  m_state = State::kBody;
  m_bodyLength = length;
  m_buffer.reserve(length);
}

void MessageReader::Feed(std::string_view bytes, std::vector<Event>& events) {
  while (!bytes.empty()) {
    switch (m_state) {
      case State::kHeader: {
        if (m_buffer.empty()) {
          // Blank lines between messages are passed over.
          std::size_t blank = 0;
          while (blank < bytes.size() && (bytes[blank] == '\r' || bytes[blank] == '\n')) ++blank;
          m_offset += blank;
          bytes.remove_prefix(blank);
          if (bytes.empty()) return;
          m_messageAt = m_offset;
        }
        const std::size_t searchFrom = m_buffer.size() >= 3 ? m_buffer.size() - 3 : 0;
        const std::size_t take = std::min(bytes.size(), kMaxHeader + 4 - m_buffer.size());
        m_buffer.append(bytes.substr(0, take));
        const std::size_t end = HeaderBlockEnd(m_buffer, searchFrom);
        if (end == std::string::npos) {
          m_offset += take;
          bytes.remove_prefix(take);
          if (m_buffer.size() > kMaxHeader) {
            events.push_back({Event::kFault,
                              {},
                              "a header block longer than " + std::to_string(kMaxHeader) +
                                  " bytes; skipped up to its end" + At(m_messageAt)});
            m_buffer.clear();
            m_state = State::kSkipHeader;
          }
          break;
        }
        // Bytes after the block's end go back to the stream.
        const std::size_t used = take - (m_buffer.size() - end);
        m_offset += used;
        bytes.remove_prefix(used);
        const std::string block = m_buffer.substr(0, end);
        m_buffer.clear();
        TakeHeaderBlock(block, events);
        if (m_state == State::kBody && m_bodyLength == 0) {
          events.push_back({Event::kMessage, {}, {}});
          m_state = State::kHeader;
        }
        break;
      }
      case State::kSkipHeader: {
        // Up to the empty line that ends the refused block: keep the last
        // three bytes so an end split across pieces is still seen.
        m_buffer.append(bytes.substr(0, std::min<std::size_t>(bytes.size(), kMaxHeader)));
        const std::size_t fed = std::min<std::size_t>(bytes.size(), kMaxHeader);
        const std::size_t end = HeaderBlockEnd(m_buffer, 0);
        if (end == std::string::npos) {
          m_offset += fed;
          bytes.remove_prefix(fed);
          if (m_buffer.size() > 3) m_buffer.erase(0, m_buffer.size() - 3);
          break;
        }
        const std::size_t used = fed - (m_buffer.size() - end);
        m_offset += used;
        bytes.remove_prefix(used);
        m_buffer.clear();
        m_state = State::kHeader;
        break;
      }
      case State::kBody: {
        const std::size_t take = std::min(bytes.size(), m_bodyLength - m_buffer.size());
        m_buffer.append(bytes.substr(0, take));
        m_offset += take;
        bytes.remove_prefix(take);
        if (m_buffer.size() == m_bodyLength) {
          events.push_back({Event::kMessage, std::move(m_buffer), {}});
          m_buffer = std::string();
          m_state = State::kHeader;
        }
        break;
      }
      case State::kSkipBody: {
        const std::size_t take = std::min(bytes.size(), m_bodyLength);
        m_bodyLength -= take;
        m_offset += take;
        bytes.remove_prefix(take);
        if (m_bodyLength == 0) m_state = State::kHeader;
        break;
      }
    }
  }
}

void MessageReader::Finish(std::vector<Event>& events) {
  if (m_state == State::kBody) {
    events.push_back({Event::kFault,
                      {},
                      "the input ended " + std::to_string(m_bodyLength - m_buffer.size()) +
                          " bytes before the end of the body" + At(m_messageAt)});
  } else if (m_state == State::kHeader && !m_buffer.empty()) {
    events.push_back({Event::kFault, {}, "the input ended inside a header block" + At(m_messageAt)});
  } else if (m_state == State::kSkipBody && m_bodyLength > 0) {
    events.push_back({Event::kFault, {}, "the input ended inside a skipped body" + At(m_messageAt)});
  }
  m_buffer.clear();
  m_state = State::kHeader;
  m_bodyLength = 0;
}

std::string FrameMessage(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

}  // namespace smutil_lsp
