// ConsistencyMessage: one finding of the repository consistency check.
//
//   ConsistencyMessage m(38009, column, RpObjectVector{column});
//   m.GetType();       // MSG_ERROR
//   m.GetText(false);  // catalogue text 38009 with the column's qualified name,
//                      // without its leading "[38009] "
//
// A record names a catalogue message, the object the finding is about and the
// objects whose names fill the message's arguments. The display text is built
// on demand from the catalogue; a record may instead carry a ready text.
// Records sort by main object, then by display text, so a report groups the
// findings of one object together in a stable order.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Utility/MessageCatalogue.h"
#include "Utility/VXString.h"
#include "objectmodel/RpObject.h"

enum ConsistencyMessageType {
  MSG_UNKNOWN = 0,
  MSG_WARNING = 1,
  MSG_ERROR = 2,
  MSG_BESTPRACTICE = 3,
};

class ConsistencyMessage {
 public:
  // Id 0, a null main object, no objects and no text.
  ConsistencyMessage();
  ConsistencyMessage(MessageId id, const Ref<ARpObject>& mainObject, const VXString& text);
  ConsistencyMessage(MessageId id, const Ref<ARpObject>& mainObject, const std::vector<Ref<ARpObject>>& objects);
  ConsistencyMessage(MessageId id, const Ref<ARpObject>& mainObject, const std::vector<Ref<ARpObject>>& objects,
                     const VXString& text);
  virtual ~ConsistencyMessage();

  ConsistencyMessage(const ConsistencyMessage&) = default;
  ConsistencyMessage(ConsistencyMessage&&) noexcept = default;
  ConsistencyMessage& operator=(const ConsistencyMessage&) = default;
  ConsistencyMessage& operator=(ConsistencyMessage&&) noexcept = default;

  MessageId GetMessageId() const { return m_messageId; }
  void SetMessageId(MessageId id);
  Ref<ARpObject> GetMainObject() const { return m_mainObject; }
  std::vector<Ref<ARpObject>> GetObjects() const { return m_objects; }

  // MSG_WARNING, MSG_BESTPRACTICE or MSG_ERROR by the id alone.
  ConsistencyMessageType GetType() const;

  // The display text. A record without objects but with a ready text shows
  // that text; otherwise the catalogue text of the id is loaded with the
  // objects' qualified names, names or type names as its arguments. An id the
  // check never fills from objects gives an empty text. With isCopyBtnCall
  // false the leading "[id] " is dropped, as a reader wants it; true keeps it
  // for text that is copied into a support request.
  // Throws std::out_of_range when the id needs more objects than the record
  // holds.
  VXString GetText(bool isCopyBtnCall) const;
  // The same text with each qualified-name argument written by
  // qualifiedName instead of built in full: a caller that orders the texts
  // of deeply nested objects passes a cached or shortened form.
  VXString GetText(bool isCopyBtnCall, const std::function<VXString(const Ref<ARpObject>&)>& qualifiedName) const;

  // By main object (a handle without a gateway first, then by type id and
  // unique number), then by the display text without its error number.
  virtual bool operator<(const ConsistencyMessage& other) const;

  // Every id whose text is filled from objects, ascending, with the number of
  // arguments its text takes; lets a catalogue be checked against the check.
  static std::vector<std::pair<MessageId, std::size_t>> GetRecipeArgumentCounts();
  // How many objects the id's text is built from: one past the highest
  // object position its recipe uses (an object may fill several arguments,
  // e.g. its type and its name). Empty for an id not built from objects.
  static std::optional<std::size_t> GetRecipeObjectCount(MessageId id);

 private:
  VXString GetTextWith(bool isCopyBtnCall, const std::function<VXString(const Ref<ARpObject>&)>* qualifiedName) const;
  // The display text as ordering uses it (compared code point by code
  // point). Sorting compares the same record many times, and
  // building a text means formatting qualified names and loading a catalogue
  // entry, so the first result is kept. The key is dropped when the id
  // changes; objects renamed after a record was first compared are not seen
  // by later comparisons of that record. Like any lazily filled member it
  // makes concurrent comparisons of one record from several threads unsafe;
  // a report is sorted by one thread.
  const VXString& SortKey() const;

  MessageId m_messageId = 0;
  Ref<ARpObject> m_mainObject;
  std::vector<Ref<ARpObject>> m_objects;
  VXString m_strMessageText;
  mutable std::optional<VXString> m_sortKey;
};
