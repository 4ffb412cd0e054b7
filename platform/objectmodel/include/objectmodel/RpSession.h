// RpSession: the state of the session that uses a repository, apart from
// the repository's objects: session variables, the current user and its
// read authorization, the default subject area and catalog. A gateway holds
// one and answers for it (ARpGateway::GetSessionVariableValue and the rest
// forward here).
//
//   RpSession& session = rp.GetSession();
//   session.SetVariable({U"VX_SYSTEM", U"LANGUAGE"}, Heap<PropertyValue>(new PropertyValueString(U"fr")));
//   Heap<PropertyValue> v;
//   session.GetVariable({GlobalRpVariables::global_SessionBlockWildcard, U"language"}, v);  // true: "fr"
//
// Threads: session variables are filled lazily while others read them (the
// display names load bundle strings into them as they answer), so they take
// a lock of their own: any number of threads may read and set them at once.
// The user, the read denials and the defaults are set before a session
// serves readers; setting them needs the session to oneself.
#pragma once

#include <map>
#include <memory>
#include <shared_mutex>
#include <unordered_map>
#include <utility>

#include "Utility/VXString.h"
#include "Utility/VoidID.h"
#include "objectmodel/PropertyValue.h"

// The names of the repository's global variables.
struct GlobalRpVariables {
  // The block name that asks for a session variable in whatever block it is.
  static const VXString global_SessionBlockWildcard;
  // The block of the system session variables (USER, ...).
  static const VXString global_SystemSessionBlock;
  // The colon variable of the user name in connection scripts.
  static const VXString kPUser;
};

class RpSession {
 public:
  // ---- session variables ---------------------------------------------------
  // A variable by (block, name); names compare without regard to case.
  // Block global_SessionBlockWildcard finds the name in any block. value
  // gets a copy.
  bool GetVariable(const std::pair<VXString, VXString>& blockAndName, Heap<PropertyValue>& value) const;
  // Sets (or, with a null value, removes) a variable. With bOverwrite false
  // an existing value is kept and false returned.
  bool SetVariable(const std::pair<VXString, VXString>& blockAndName, Heap<PropertyValue> value,
                   bool bOverwrite = true);
  void ClearVariables();

  // ---- the user --------------------------------------------------------------
  void SetCurrentUser(const VXString& user, const VXString& password);
  const VXString& GetCurrentUserName() const { return m_currentUser; }
  const VXString& GetCurrentUserPassword() const { return m_currentPassword; }

  // Objects the current user may not read (the gateway extends a denial to
  // everything below the object). None: the user may read everything.
  void DenyRead(const VoidID& id) { m_deniedRead[id] = true; }
  void AllowRead(const VoidID& id) { m_deniedRead.erase(id); }
  void ClearReadDenials() { m_deniedRead.clear(); }
  bool HasReadDenials() const { return !m_deniedRead.empty(); }
  // Whether id itself is denied (not what is above it).
  bool IsDeniedItself(const VoidID& id) const { return m_deniedRead.count(id) != 0; }

  // ---- defaults ------------------------------------------------------------
  // The default subject area: the explicit setting, else the variable
  // DEFAULT_SUBJECT_AREA. bCatalogSpecified tells that the query named a
  // catalog itself; the default then applies only when
  // SetDefaultAppliesWhenCatalogSpecified allowed it (on by default).
  VXString GetDefaultSubjectAreaName(bool bCatalogSpecified) const;
  void SetDefaultSubjectAreaName(const VXString& name) { m_defaultSubjectArea = name; }
  void SetDefaultAppliesWhenCatalogSpecified(bool b) { m_bDefaultAppliesWhenCatalogSpecified = b; }
  // The default physical catalog ("database.catalog"): the explicit
  // setting, else the variable DEFAULT_CATALOG.
  VXString GetDefaultCatalogName(bool bCatalogSpecified) const;
  void SetDefaultCatalogName(const VXString& name) { m_defaultCatalog = name; }

 private:
  struct VariableKey {
    VXString m_block;  // folded
    VXString m_name;   // folded
    bool operator<(const VariableKey& o) const { return m_name != o.m_name ? m_name < o.m_name : m_block < o.m_block; }
  };
  // The variable's value as a string, or empty when it has none.
  VXString VariableText(const VXString& name) const;

  mutable std::shared_mutex m_variablesLock;
  std::map<VariableKey, std::pair<VXString, std::unique_ptr<PropertyValue>>> m_variables;  // value: original block
  VXString m_currentUser;
  VXString m_currentPassword;
  std::unordered_map<VoidID, bool, VoidIDHash> m_deniedRead;
  VXString m_defaultSubjectArea;
  bool m_bDefaultAppliesWhenCatalogSpecified = true;
  VXString m_defaultCatalog;
};
