// RpPublisher: the version of a repository that its sessions read, and the
// way edits reach them without a reader ever seeing one half made.
//
// A writer edits a private copy of the current version and publishes it
// whole; each session goes on reading the version it has until it is
// refreshed, between two calls, onto the newest one. A version lives while a
// session or a caller holds it, so a reader's call always finishes on the
// objects it started with.
//
//   RpPublisher published(std::shared_ptr<ARpGateway>(RpFile::Load(path)));
//   std::unique_ptr<ARpGateway> session = published.OpenSession();    // per user
//   ...
//   std::unique_ptr<ARpGateway> next = published.BeginEdit();         // the writer
//   next->RenameObject(id, U"Revenue");
//   published.Publish(std::move(next));
//   ...
//   published.Refresh(*session);   // before the session's next call
//
// Threads: every member may be called from any thread. One writer at a
// time: a second BeginEdit before the first Publish copies the same
// version, and the later Publish wins. Refresh moves a session, so the
// session must not be in use meanwhile (the thread that serves it calls it
// between requests).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>

#include "objectmodel/RpGateway.h"

class RpPublisher {
 public:
  // repository becomes version 1.
  explicit RpPublisher(std::shared_ptr<ARpGateway> repository);

  // The current version and its number.
  std::pair<std::shared_ptr<ARpGateway>, std::uint64_t> GetCurrent() const;
  // A session of its own on the current version.
  std::unique_ptr<ARpGateway> OpenSession() const;
  // A copy of the current version for a writer to edit.
  std::unique_ptr<ARpGateway> BeginEdit() const;
  // Makes next the current version; answers its number. Sessions move to it
  // when refreshed.
  std::uint64_t Publish(std::unique_ptr<ARpGateway> next);
  // Moves session onto the current version, keeping its state; answers the
  // number of the version it then reads.
  std::uint64_t Refresh(ARpGateway& session) const;

 private:
  mutable std::mutex m_lock;
  std::shared_ptr<ARpGateway> m_current;
  std::uint64_t m_version = 1;
};
