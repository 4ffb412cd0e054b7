#include "objectmodel/RpPublisher.h"

RpPublisher::RpPublisher(std::shared_ptr<ARpGateway> repository) : m_current(std::move(repository)) {}

std::pair<std::shared_ptr<ARpGateway>, std::uint64_t> RpPublisher::GetCurrent() const {
  const std::lock_guard lock(m_lock);
  return {m_current, m_version};
}

std::unique_ptr<ARpGateway> RpPublisher::OpenSession() const { return ARpGateway::OpenSession(GetCurrent().first); }

std::unique_ptr<ARpGateway> RpPublisher::BeginEdit() const {
  // Copying reads the version as any reader does; sessions go on meanwhile.
  return GetCurrent().first->CopyRepository();
}

std::uint64_t RpPublisher::Publish(std::unique_ptr<ARpGateway> next) {
  std::shared_ptr<ARpGateway> shared(std::move(next));
  std::shared_ptr<ARpGateway> previous;
  const std::lock_guard lock(m_lock);
  // The previous version is let go after the lock: if no session holds it,
  // freeing a large repository should not hold up the others.
  previous = std::exchange(m_current, std::move(shared));
  return ++m_version;
}

std::uint64_t RpPublisher::Refresh(ARpGateway& session) const {
  auto [current, version] = GetCurrent();
  if (&session.GetRepository() != current.get()) session.SwitchRepository(std::move(current));
  return version;
}
