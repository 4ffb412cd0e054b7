// ScopedDefaultSubjectArea: a default subject area for one session, on the
// calling thread only, for as long as the object lives; the session's own
// default (RpSession::GetDefaultSubjectAreaName) answers with it meanwhile.
// What resolves the names of one query under the query's own subject area
// (the logical SQL binder, also when a check binds a query) passes the
// default down this way instead of setting it on the session, which other
// threads may be reading through at the same time.
//
//   {
//     ScopedDefaultSubjectArea scope(rp.GetSession(), U"Sales");
//     rp.GetDefaultSubjectAreaName(false);   // "Sales", on this thread
//   }
//   rp.GetDefaultSubjectAreaName(false);     // the session's own again
//
// An empty name stands for no explicit setting, as on the session: the
// variable DEFAULT_SUBJECT_AREA answers then. Scopes nest.
#pragma once

#include "Utility/VXString.h"

class RpSession;

class ScopedDefaultSubjectArea {
 public:
  ScopedDefaultSubjectArea(const RpSession& session, VXString name);
  ~ScopedDefaultSubjectArea();
  ScopedDefaultSubjectArea(const ScopedDefaultSubjectArea&) = delete;
  ScopedDefaultSubjectArea& operator=(const ScopedDefaultSubjectArea&) = delete;

  // The innermost name set for session on this thread, or null.
  static const VXString* For(const RpSession& session);

 private:
  const RpSession* m_session;
  VXString m_name;
  const ScopedDefaultSubjectArea* m_outer;
};
