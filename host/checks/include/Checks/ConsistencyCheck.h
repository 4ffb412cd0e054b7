// The repository consistency check: one table of checks, each bound to one
// catalogue message, run object by object over a repository.
//
//   ConsistencyCheckOptions options;
//   options.m_types = {kTIDAAttribute};                  // only logical columns
//   std::vector<ConsistencyMessage> found = RunConsistencyChecks(rp, options);
//   for (const ConsistencyMessage& m : found) std::wcout << ...m.GetText(false)...;
//
// A check looks at one object and reports what is wrong with that object
// only: the finding's main object is the object checked, its argument
// objects are the ones its message names (in the order of the message's
// recipe). A check that throws on an object becomes one error finding about
// that object with the exception's text (message kCheckFailedMessageId), and
// the run goes on with the next check and the next object. Findings come
// back sorted with ConsistencyMessage::operator<.
//
// Where one defect could be seen from two objects, exactly one check owns
// it, so that each defect is reported once: a logical column with no mapping
// is reported only when its table has sources (a table without any is the
// table's finding), two siblings with the same name are reported on the
// later one (by id), and so on; each check's summary says which.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "Metadata/ConsistencyMessage.h"
#include "objectmodel/RpGateway.h"

// The finding a check reports when it throws: "[38220] Check %1 could not
// finish on this object: %2", kept as a ready text (check id, exception text).
inline constexpr MessageId kCheckFailedMessageId = 38220;
// The rule name its findings go under.
inline constexpr char kCheckFailedRuleId[] = "check-failed";

// What one run keeps for its checks so that no check compares an object
// with all its same-named siblings again and again (see ChecksInternal.h).
class CheckRunMemo;

// What a check is given: the object, and a way to report a finding about
// it with the objects its message names.
class CheckContext {
 public:
  using Sink = std::function<void(const Ref<ARpObject>& mainObject, const RpObjectVector& arguments)>;
  CheckContext(ARpGateway& rp, Ref<ARpObject> object, Sink sink, CheckRunMemo* memo = nullptr)
      : m_rp(rp), m_object(std::move(object)), m_sink(std::move(sink)), m_memo(memo) {}
  ARpGateway& Gateway() const { return m_rp; }
  const Ref<ARpObject>& Object() const { return m_object; }
  // Reports the check's message about the object checked.
  void Report(const RpObjectVector& arguments) const { m_sink(m_object, arguments); }
  // The run's memo; null for a check called on its own.
  CheckRunMemo* Memo() const { return m_memo; }

 private:
  ARpGateway& m_rp;
  Ref<ARpObject> m_object;
  Sink m_sink;
  CheckRunMemo* m_memo;
};

struct ConsistencyCheck {
  const char* m_id;             // stable rule name, e.g. "logical-column-unmapped"
  MessageId m_messageId;        // the catalogue message it reports
  std::vector<TypeID> m_types;  // the object types it looks at
  std::function<void(const CheckContext&)> m_check;
  const char* m_summary;  // one line: what it finds
  const char* m_help;     // what to do about a finding, in sentences
};

// Every check of the suite, in a fixed order.
const std::vector<ConsistencyCheck>& ConsistencyCheckTable();
// The check of an id, or null.
const ConsistencyCheck* FindConsistencyCheck(const std::string& id);

struct ConsistencyCheckOptions {
  // Only objects of these types (empty: every type).
  std::vector<TypeID> m_types;
  // Only these objects (none: every object).
  std::optional<std::unordered_set<VoidID, VoidIDHash>> m_scope;
};

// Runs every check of table (the suite by default) on every live object the
// options select and returns the findings sorted.
std::vector<ConsistencyMessage> RunConsistencyChecks(
    ARpGateway& rp, const ConsistencyCheckOptions& options,
    const std::vector<ConsistencyCheck>& table = ConsistencyCheckTable());

// The check a finding came from (each check has a message id of its own),
// or null for kCheckFailedMessageId and ids the suite never reports.
const ConsistencyCheck* CheckOfMessage(const ConsistencyMessage& message,
                                       const std::vector<ConsistencyCheck>& table = ConsistencyCheckTable());

// The objects of rp that differ from earlier (created, renamed, moved,
// changed in a property or a relation) and the objects that refer to them
// or to objects deleted since, through a relation or an expression; with
// the children of changed objects (their written names change with them) and
// the same-named siblings of changed objects (a rename may make or end a
// clash). The scope of an incremental check.
std::unordered_set<VoidID, VoidIDHash> ChangedObjectScope(ARpGateway& rp, ARpGateway& earlier);

// The two halves of it: the ids of the objects created, changed or deleted
// since earlier (by comparing the repositories object by object), and the
// scope those changes give in rp.
std::unordered_set<VoidID, VoidIDHash> ChangedObjectIDs(ARpGateway& rp, ARpGateway& earlier);
std::unordered_set<VoidID, VoidIDHash> ScopeOfChangedObjects(ARpGateway& rp,
                                                             const std::unordered_set<VoidID, VoidIDHash>& changed);

// The same scope against an earlier repository file, without loading it
// where the two files' texts can be compared element by element
// (objectmodel/RpFileDigest.h); rp must have been loaded from nowText.
// Where they cannot (comments in a file, tuples reordered, a broken earlier
// file), earlierText is loaded and the repositories compared: then
// whyLoaded says why, and a file that does not load throws RpFileError
// naming earlierName.
struct ChangedScopeFromText {
  std::unordered_set<VoidID, VoidIDHash> scope;
  bool bComparedAsText = false;
  std::string whyLoaded;
};
ChangedScopeFromText ChangedObjectScope(ARpGateway& rp, std::string_view nowText, std::string_view earlierText,
                                        const std::string& earlierName);
