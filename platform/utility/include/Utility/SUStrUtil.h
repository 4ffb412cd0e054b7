// SUStrUtil: message texts by number, display names of object types, and XML
// tags with indentation.
//
//   SUStrUtil::LoadMsgString(23005, U"MyVar");     // U"[23005] Repository variable MyVar ..."
//   SUStrUtil::LoadMsgStringOnly(29005);           // the text without "[29005] "
//   SUStrUtil::GetTypeName(2006);                  // U"Logical Column"
//   SUStrUtil::XMLMakeStartTag(U"Name", 2);        // U"    <Name>"
//
// The process-wide catalogue is loaded once, on first use, from the file named
// by the environment variable SMUTIL_MESSAGES, else from the messages.txt of
// the samples directory. A catalogue that cannot be read or parsed makes every
// call throw MessageCatalogueError naming the file and line. A host or a test
// may install another catalogue with SetMessageCatalogue.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "Utility/MessageCatalogue.h"
#include "Utility/VXString.h"
#include "Utility/VoidID.h"

namespace SUStrUtil {

// "[id] " followed by the text of id with its placeholders filled. An id
// missing from the catalogue gives a text that says so and still lists the
// arguments (and a warning in the server log), so nothing the caller meant to
// show is lost.
VXString LoadMsgString(MessageId id);
VXString LoadMsgString(MessageId id, const VXString& a1);
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2);
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3);
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3, const VXString& a4);
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3, const VXString& a4,
                       const VXString& a5);
VXString LoadMsgString(MessageId id, std::span<const VXString> args);

// The same text without the leading "[id] ". With no arguments the
// placeholders stay in the text, for callers that fill them themselves
// (MessageCatalogue::Format).
VXString LoadMsgStringOnly(MessageId id);
VXString LoadMsgStringOnly(MessageId id, const VXString& a1);
VXString LoadMsgStringOnly(MessageId id, const VXString& a1, const VXString& a2);
VXString LoadMsgStringOnly(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3);
VXString LoadMsgStringOnly(MessageId id, std::span<const VXString> args);

// Whether the catalogue holds the id.
bool HasMessage(MessageId id);

// Display name of an object type, as users read it ("Logical Column"). A type
// the catalogue does not name gives "Object type <id>".
VXString GetTypeName(TypeID type);

// Indentation is two blanks per depth level; depth 0 (or less) none.
VXString XMLMakeStartTag(const VXString& name, int depth);
VXString XMLMakeEndTag(const VXString& name, int depth);

// The catalogue in use (loaded on first call).
std::shared_ptr<const MessageCatalogue> GetMessageCatalogue();
// Replaces the catalogue in use; null goes back to the default file.
void SetMessageCatalogue(std::shared_ptr<const MessageCatalogue> catalogue);
// The file the default catalogue is read from: SMUTIL_MESSAGES, else
// messages.txt in the data directory (SUInstallDir).
std::string DefaultCatalogueFile();

}  // namespace SUStrUtil
