// Serving over file descriptors: a reader thread frames and parses the
// input into a queue; the caller's thread handles messages in order and
// checks changed documents only when nothing waits, so stale work is
// dropped instead of queued.
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "Lsp/LanguageServer.h"
#include "Lsp/MessageReader.h"

namespace smutil_lsp {

using nlohmann::json;

namespace {

struct Inbox {
  struct Item {
    bool bFault = false;
    json message;
    std::string fault;
  };
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<Item> items;
  bool bEnd = false;

  // The messages of one read go in together, so that the handler takes a
  // burst as one batch and checks its documents once.
  void PushAll(std::vector<Item>& more) {
    if (more.empty()) return;
    {
      std::lock_guard<std::mutex> lock(mutex);
      for (Item& item : more) items.push_back(std::move(item));
    }
    more.clear();
    ready.notify_one();
  }
  void End() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      bEnd = true;
    }
    ready.notify_one();
  }
  // Whether a change or close of uri waits: the check of its older text
  // would be thrown away.
  bool HasChangeOf(const std::string& uri) {
    std::lock_guard<std::mutex> lock(mutex);
    for (const Item& item : items) {
      if (item.bFault || !item.message.is_object()) continue;
      const auto method = item.message.find("method");
      if (method == item.message.end() || !method->is_string()) continue;
      if (*method != "textDocument/didChange" && *method != "textDocument/didClose") continue;
      const json* params = item.message.contains("params") ? &item.message["params"] : nullptr;
      if (params && params->is_object() && params->contains("textDocument") && (*params)["textDocument"].is_object() &&
          (*params)["textDocument"].value("uri", std::string()) == uri) {
        return true;
      }
    }
    return false;
  }
};

void ReadInput(int fd, std::shared_ptr<Inbox> shared) {
  Inbox& inbox = *shared;
  MessageReader reader;
  std::vector<MessageReader::Event> events;
  char buffer[64 * 1024];
  std::vector<Inbox::Item> items;
  const auto deliver = [&] {
    for (MessageReader::Event& e : events) {
      if (e.kind == MessageReader::Event::kFault) {
        items.push_back({true, nullptr, e.fault});
        continue;
      }
      json message = json::parse(e.body, nullptr, false);
      if (message.is_discarded()) {
        items.push_back({true, nullptr, "the body is not JSON (" + std::to_string(e.body.size()) + " bytes)"});
      } else {
        items.push_back({false, std::move(message), {}});
      }
    }
    events.clear();
    inbox.PushAll(items);
  };
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    reader.Feed(std::string_view(buffer, static_cast<std::size_t>(n)), events);
    deliver();
  }
  reader.Finish(events);
  deliver();
  inbox.End();
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

LanguageServer::Sink FdSink(int fd) {
  return [fd](const json& message) {
    // Text that is not UTF-8 (a name read with a bad byte) is sent with
    // U+FFFD rather than refused.
    WriteAll(fd, FrameMessage(message.dump(-1, ' ', false, json::error_handler_t::replace)));
  };
}

int RunStdio(LanguageServer& server, int inFd) {
  // The reader blocks in read(); after exit it is left to end with the
  // process rather than joined, so the queue is shared with it.
  const auto shared = std::make_shared<Inbox>();
  Inbox& inbox = *shared;
  std::thread(ReadInput, inFd, shared).detach();
  for (;;) {
    std::deque<Inbox::Item> batch;
    bool bEnd = false;
    {
      std::unique_lock<std::mutex> lock(inbox.mutex);
      if (!server.HasDeferredWork()) {
        inbox.ready.wait(lock, [&] { return !inbox.items.empty() || inbox.bEnd; });
      }
      batch.swap(inbox.items);
      bEnd = inbox.bEnd;
    }
    if (batch.empty() && !bEnd) {
      server.RunDeferredWork([&](const std::string& uri) { return inbox.HasChangeOf(uri); });
      continue;
    }
    // A cancellation that came with its request takes effect before it.
    for (const Inbox::Item& item : batch) {
      if (!item.bFault && item.message.is_object() && item.message.value("method", json()) == "$/cancelRequest" &&
          item.message.contains("params") && item.message["params"].is_object() &&
          item.message["params"].contains("id")) {
        server.Cancel(item.message["params"]["id"]);
      }
    }
    for (Inbox::Item& item : batch) {
      if (item.bFault) {
        server.RefuseUnreadable(item.fault);
      } else {
        server.Handle(item.message);
      }
      if (server.ExitRequested()) return server.ExitCode();
    }
    if (bEnd && batch.empty()) return server.ExitCode();
  }
}

}  // namespace smutil_lsp
