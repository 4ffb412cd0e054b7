#include "objectmodel/RpSession.h"

#include <mutex>

#include "Utility/BaseStringUtil.h"
#include "objectmodel/ScopedDefaultSubjectArea.h"

namespace {
// The innermost scope of this thread.
thread_local const ScopedDefaultSubjectArea* t_innermostDefault = nullptr;
}  // namespace

ScopedDefaultSubjectArea::ScopedDefaultSubjectArea(const RpSession& session, VXString name)
    : m_session(&session), m_name(std::move(name)), m_outer(t_innermostDefault) {
  t_innermostDefault = this;
}

ScopedDefaultSubjectArea::~ScopedDefaultSubjectArea() { t_innermostDefault = m_outer; }

const VXString* ScopedDefaultSubjectArea::For(const RpSession& session) {
  for (const ScopedDefaultSubjectArea* s = t_innermostDefault; s; s = s->m_outer) {
    if (s->m_session == &session) return &s->m_name;
  }
  return nullptr;
}

const VXString GlobalRpVariables::global_SessionBlockWildcard = U"*";
const VXString GlobalRpVariables::global_SystemSessionBlock = U"VX_SYSTEM";
const VXString GlobalRpVariables::kPUser = U":USER";

bool RpSession::GetVariable(const std::pair<VXString, VXString>& blockAndName, Heap<PropertyValue>& value) const {
  const VXString name = BaseStringUtil::ToFoldedCase(blockAndName.second);
  const bool bAnyBlock = blockAndName.first == GlobalRpVariables::global_SessionBlockWildcard;
  const VXString block = bAnyBlock ? VXString() : BaseStringUtil::ToFoldedCase(blockAndName.first);
  const std::shared_lock lock(m_variablesLock);
  // Keys order by name first, so the first key at or after (name, "") is
  // the name in its first block.
  const auto it =
      bAnyBlock ? m_variables.lower_bound(VariableKey{VXString(), name}) : m_variables.find(VariableKey{block, name});
  if (it == m_variables.end() || it->first.m_name != name || !it->second.second) return false;
  value.Reset(it->second.second->Clone().release());
  return true;
}

bool RpSession::SetVariable(const std::pair<VXString, VXString>& blockAndName, Heap<PropertyValue> value,
                            bool bOverwrite) {
  if (blockAndName.first == GlobalRpVariables::global_SessionBlockWildcard) return false;
  VariableKey key{BaseStringUtil::ToFoldedCase(blockAndName.first), BaseStringUtil::ToFoldedCase(blockAndName.second)};
  const std::unique_lock lock(m_variablesLock);
  const auto it = m_variables.find(key);
  if (!value) {
    if (it == m_variables.end()) return false;
    m_variables.erase(it);
    return true;
  }
  if (it != m_variables.end()) {
    if (!bOverwrite) return false;
    it->second.second.reset(value.Release());
    return true;
  }
  m_variables.emplace(std::move(key),
                      std::make_pair(blockAndName.first, std::unique_ptr<PropertyValue>(value.Release())));
  return true;
}

void RpSession::ClearVariables() {
  const std::unique_lock lock(m_variablesLock);
  m_variables.clear();
}

void RpSession::SetCurrentUser(const VXString& user, const VXString& password) {
  m_currentUser = user;
  m_currentPassword = password;
}

VXString RpSession::VariableText(const VXString& name) const {
  Heap<PropertyValue> v;
  return GetVariable({GlobalRpVariables::global_SessionBlockWildcard, name}, v) ? v->StringFrom() : VXString();
}

VXString RpSession::GetDefaultSubjectAreaName(bool bCatalogSpecified) const {
  if (bCatalogSpecified && !m_bDefaultAppliesWhenCatalogSpecified) return VXString();
  const VXString* scoped = ScopedDefaultSubjectArea::For(*this);
  const VXString& name = scoped ? *scoped : m_defaultSubjectArea;
  return name.empty() ? VariableText(U"DEFAULT_SUBJECT_AREA") : name;
}

VXString RpSession::GetDefaultCatalogName(bool bCatalogSpecified) const {
  if (bCatalogSpecified && !m_bDefaultAppliesWhenCatalogSpecified) return VXString();
  return m_defaultCatalog.empty() ? VariableText(U"DEFAULT_CATALOG") : m_defaultCatalog;
}
