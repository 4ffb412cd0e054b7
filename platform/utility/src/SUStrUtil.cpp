#include "Utility/SUStrUtil.h"

#include <cstdlib>
#include <mutex>

#include "Utility/BaseStringUtil.h"
#include "Utility/SUInstallDir.h"
#include "Utility/ServerLog.h"

namespace {
struct CatalogueSlot {
  std::mutex mutex;
  std::shared_ptr<const MessageCatalogue> catalogue;
};

CatalogueSlot& Slot() {
  static CatalogueSlot slot;
  return slot;
}

VXString Prefix(MessageId id) { return U"[" + BaseStringUtil::StringFrom(static_cast<unsigned long long>(id)) + U"] "; }

VXString MissingText(MessageId id, std::span<const VXString> args) {
  ServerLog::LogWarning(U"Message " + BaseStringUtil::StringFrom(static_cast<unsigned long long>(id)) +
                            U" is not in the message catalogue.",
                        1);
  VXString text = U"Message " + BaseStringUtil::StringFrom(static_cast<unsigned long long>(id)) +
                  U" has no text in the message catalogue";
  for (std::size_t i = 0; i < args.size(); ++i) text += (i == 0 ? U"; arguments: " : U", ") + args[i];
  return text + U".";
}

VXString Text(MessageId id, std::span<const VXString> args, bool fill) {
  const auto cat = SUStrUtil::GetMessageCatalogue();
  const VXString* text = cat->FindText(id);
  if (!text) return MissingText(id, args);
  return fill ? MessageCatalogue::Format(*text, args) : *text;
}

template <class... A>
VXString WithPrefix(MessageId id, const A&... a) {
  const VXString args[] = {a..., VXString()};
  return Prefix(id) + Text(id, std::span<const VXString>(args, sizeof...(A)), true);
}

template <class... A>
VXString Only(MessageId id, const A&... a) {
  const VXString args[] = {a..., VXString()};
  return Text(id, std::span<const VXString>(args, sizeof...(A)), true);
}

VXString Indent(int depth) { return depth > 0 ? VXString(static_cast<std::size_t>(depth) * 2, U' ') : VXString(); }
}  // namespace

namespace SUStrUtil {

VXString LoadMsgString(MessageId id) { return WithPrefix(id); }
VXString LoadMsgString(MessageId id, const VXString& a1) { return WithPrefix(id, a1); }
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2) { return WithPrefix(id, a1, a2); }
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3) {
  return WithPrefix(id, a1, a2, a3);
}
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3, const VXString& a4) {
  return WithPrefix(id, a1, a2, a3, a4);
}
VXString LoadMsgString(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3, const VXString& a4,
                       const VXString& a5) {
  return WithPrefix(id, a1, a2, a3, a4, a5);
}
VXString LoadMsgString(MessageId id, std::span<const VXString> args) { return Prefix(id) + Text(id, args, true); }

VXString LoadMsgStringOnly(MessageId id) {
  // Texts without placeholders come back finished ("%%" read as "%"); texts
  // with placeholders come back as templates for the caller to fill.
  const auto cat = GetMessageCatalogue();
  const VXString* text = cat->FindText(id);
  if (!text) return MissingText(id, {});
  return MessageCatalogue::PlaceholderCount(*text) == 0 ? MessageCatalogue::Format(*text, {}) : *text;
}
VXString LoadMsgStringOnly(MessageId id, const VXString& a1) { return Only(id, a1); }
VXString LoadMsgStringOnly(MessageId id, const VXString& a1, const VXString& a2) { return Only(id, a1, a2); }
VXString LoadMsgStringOnly(MessageId id, const VXString& a1, const VXString& a2, const VXString& a3) {
  return Only(id, a1, a2, a3);
}
VXString LoadMsgStringOnly(MessageId id, std::span<const VXString> args) { return Text(id, args, true); }

bool HasMessage(MessageId id) { return GetMessageCatalogue()->FindText(id) != nullptr; }

VXString GetTypeName(TypeID type) {
  const auto cat = GetMessageCatalogue();
  if (const VXString* name = cat->FindTypeName(type)) return *name;
  return U"Object type " + BaseStringUtil::StringFrom(type);
}

VXString XMLMakeStartTag(const VXString& name, int depth) { return Indent(depth) + U"<" + name + U">"; }
VXString XMLMakeEndTag(const VXString& name, int depth) { return Indent(depth) + U"</" + name + U">"; }

std::string DefaultCatalogueFile() {
  const char* env = std::getenv("SMUTIL_MESSAGES");
  if (env && *env) return env;
  return SUInstallDir::DataFile("messages.txt");
}

std::shared_ptr<const MessageCatalogue> GetMessageCatalogue() {
  CatalogueSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  if (!slot.catalogue) {
    // A failed load throws and leaves the slot empty, so the next call retries
    // (and reports the same error) instead of running on without texts.
    slot.catalogue = std::make_shared<const MessageCatalogue>(MessageCatalogue::LoadFile(DefaultCatalogueFile()));
  }
  return slot.catalogue;
}

void SetMessageCatalogue(std::shared_ptr<const MessageCatalogue> catalogue) {
  CatalogueSlot& slot = Slot();
  std::lock_guard lock(slot.mutex);
  slot.catalogue = std::move(catalogue);
}

}  // namespace SUStrUtil
