// Object references and names in expressions: identifier quoting
// (ModifyName), symbols, and the reference rules of each naming mode.
#include <unicode/uchar.h>

#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/SQLKeyWords.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/TypeIDs.h"

namespace {

constexpr int kDeletedObjectMessage = 29005;

// Letters and digits as Unicode classifies them, whatever the process
// locale says; ASCII, by far the common case, is decided without ICU.
bool IsLetter(char32_t c) {
  if (c < 0x80) return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
  return u_isalpha(static_cast<UChar32>(c));
}
bool IsLetterOrDigit(char32_t c) {
  if (c < 0x80) return IsLetter(c) || (c >= U'0' && c <= U'9');
  return u_isalnum(static_cast<UChar32>(c));
}

// A letter, then letters, digits and underscores.
bool IsPlainIdentifier(const VXString& name) {
  if (name.empty() || !IsLetter(name[0])) return false;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] != U'_' && !IsLetterOrDigit(name[i])) return false;
  }
  return true;
}

void AppendQuotedIdentifier(VXString& out, const VXString& name) {
  out.push_back(U'"');
  for (char32_t c : name) {
    out.push_back(c);
    if (c == U'"') out.push_back(U'"');
  }
  out.push_back(U'"');
}

}  // namespace

VXString ToPrettyStringVisitor::ModifyName(const VXString& nameString, bool bManditoryDoubleQuotes) {
  if (nameString.empty()) return VXString(U"\"\"");
  if (!bManditoryDoubleQuotes && IsPlainIdentifier(nameString) && !SQLKeyWords::IsKeyword(nameString)) {
    return nameString;
  }
  VXString quoted;
  quoted.reserve(nameString.size() + 2);
  AppendQuotedIdentifier(quoted, nameString);
  return quoted;
}

void ToPrettyStringVisitor::Visit(SymbolToken& token, AExpr::Iterator& context) {
  m_cumulativeStr += ModifyName(token.GetSymbolName(context));
}

void ToPrettyStringVisitor::Visit(QualifiedSymbolToken& token, AExpr::Iterator& context) {
  const VXStringVector parts = token.GetQualifiedSymbolName(context);
  if (parts.size() == 1) {
    // A single part is the user's own text: written as it stands.
    m_cumulativeStr += parts.front();
    return;
  }
  // Several parts are each put in quotes as they are: a part that holds a
  // double quote was already written that way by whoever made the token.
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) m_cumulativeStr.push_back(U'.');
    m_cumulativeStr.push_back(U'"');
    m_cumulativeStr += parts[i];
    m_cumulativeStr.push_back(U'"');
  }
}

void ToPrettyStringVisitor::Visit(IDToken& token, AExpr::Iterator& context) {
  WriteIDReference(token.GetObjID(context));
}

VoidID ToPrettyStringVisitor::GetVoidID(AExpr::Iterator& context) const {
  const uint8* p = context.Position();
  if (p == nullptr || p >= context.Limit() ||
      static_cast<std::size_t>(context.Limit() - p) < 2 + SORpPortable::kStoredVoidIDSize) {
    VXAssert::handleAssert(pretty_detail::kSrc, __LINE__, "an object id follows the token's type code");
  }
  return SORpPortable::PStoredVoidIDFormatToVoidID(p + 2);
}

void ToPrettyStringVisitor::WriteIDReference(const VoidID& id) {
  if (m_pVoidIDMap && !m_pVoidIDMap->empty()) {
    auto it = m_pVoidIDMap->find(id);
    if (it != m_pVoidIDMap->end()) {
      Append(U" \"");
      m_cumulativeStr += it->second.ToString();
      Append(U"\"");
      return;
    }
  }
  if (!m_voidIDVXStrMap.empty()) {
    auto it = m_voidIDVXStrMap.find(id);
    if (it != m_voidIDVXStrMap.end()) {
      Append(U"(");
      m_cumulativeStr += it->second;
      Append(U")");
      return;
    }
  }
  if (!m_pRp) {
    m_cumulativeStr += id.ToString();
    return;
  }
  if (m_presentationCatalog.IsNull()) {
    if (!m_entityfolderNameColumnIDPairVector.empty()) {
      m_cumulativeStr += ExtractNameUsingEntityFolder(id);
    } else if (const NameSlot* cached = FindCachedName(id)) {
      m_cumulativeStr += CachedText(*cached);
    } else {
      m_cumulativeStr += ExtractName(id);
    }
    return;
  }
  if (m_pRp->GetObject(id).IsNull()) {
    m_cumulativeStr += DeletedObjectText();
    return;
  }
  throw RenderNotSupportedError("references inside a presentation catalog (subject-area mode) cannot be rendered yet");
}

VXString ToPrettyStringVisitor::DeletedObjectText() {
  // The stored format string names the object too; keeping it would show
  // the stale name again, so it goes and is rebuilt from the tokens.
  if (m_pTargetExpr) m_pTargetExpr->SetFormatStr(VXString());
  return SUStrUtil::LoadMsgStringOnly(kDeletedObjectMessage);
}

namespace {
std::size_t SlotOf(const VoidID& id, std::size_t mask) {
  std::uint64_t v = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(id.m_interfaceTypeID)) << 32) | id.m_uniqueNum;
  v *= 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(v >> 32) & mask;
}
}  // namespace

const ToPrettyStringVisitor::NameSlot* ToPrettyStringVisitor::FindCachedName(const VoidID& id) const {
  if (m_nameSlots.empty()) return nullptr;
  const std::size_t mask = m_nameSlots.size() - 1;
  for (std::size_t i = SlotOf(id, mask);; i = (i + 1) & mask) {
    const NameSlot& slot = m_nameSlots[i];
    if (!slot.m_bUsed) return nullptr;
    if (slot.m_id == id) return &slot;
  }
}

void ToPrettyStringVisitor::CacheName(const VoidID& id, const VXString& text) {
  // Kept at most half full, so probes stay short and always end.
  if (2 * (m_nameCount + 1) > m_nameSlots.size()) {
    std::vector<NameSlot> old(m_nameSlots.empty() ? 64 : 2 * m_nameSlots.size());
    old.swap(m_nameSlots);
    const std::size_t mask = m_nameSlots.size() - 1;
    for (const NameSlot& slot : old) {
      if (!slot.m_bUsed) continue;
      std::size_t i = SlotOf(slot.m_id, mask);
      while (m_nameSlots[i].m_bUsed) i = (i + 1) & mask;
      m_nameSlots[i] = slot;
    }
  }
  const std::size_t mask = m_nameSlots.size() - 1;
  std::size_t i = SlotOf(id, mask);
  while (m_nameSlots[i].m_bUsed) {
    if (m_nameSlots[i].m_id == id) return;
    i = (i + 1) & mask;
  }
  m_nameSlots[i] = NameSlot{id, m_nameArena.size(), text.size(), true};
  m_nameArena += text;
  ++m_nameCount;
}

VXString ToPrettyStringVisitor::ExtractName(const VoidID& objID) {
  if (const NameSlot* cached = FindCachedName(objID)) return VXString(CachedText(*cached));
  // Without a repository an id is all there is to write.
  if (!m_pRp) return objID.ToString();
  const Ref<ARpObject> obj = m_pRp->GetObject(objID);
  if (obj.IsNull()) return DeletedObjectText();
  VXString text = NameOfObject(obj);
  if (!m_bNullifyExprStr) CacheName(objID, text);
  return text;
}

VXString ToPrettyStringVisitor::NameOfObject(const Ref<ARpObject>& obj) {
  const TypeID type = obj->GetTypeID();
  if (type == kTIDAFolderAttr && m_bCustomDisplayName) {
    throw RenderNotSupportedError("custom display names of presentation columns cannot be rendered yet");
  }
  if (type == kTIDARpVariable && !m_bUsingVoidID) {
    // A dynamic repository variable is known by its own name alone.
    const Ref<ARpVariable> variable(obj);
    if (!variable.IsNull() && variable->GetVariableType() == ARpVariable::kDynamic) return ModifyName(obj->GetName());
  }
  if (!m_dbNameMap.empty() && !m_bUsingVoidID) {
    QualifiedName parts;
    MetadataUtil::GenerateQualifiedName(obj, parts);
    if (!parts.empty()) {
      auto renamed = m_dbNameMap.find(parts.front());
      if (renamed != m_dbNameMap.end()) parts.front() = renamed->second;
    }
    return MetadataUtil::ToQualifiedName(parts);
  }
  const bool bReparenting = !m_oldParentObj.IsNull() && !m_newParentName.empty();
  if (m_bUsingVoidID) {
    VXString text(U"\"");
    text += obj->GetID().ToString();
    text.push_back(U'"');
    return text;
  }
  if (bReparenting) {
    throw RenderNotSupportedError("references under a new parent (re-parenting mode) cannot be rendered yet");
  }
  if (m_bSinglePartName) return ModifyName(obj->GetName());

  QualifiedName parts;
  MetadataUtil::GenerateQualifiedName(obj, parts);
  const std::size_t first = m_bFullyQualified || parts.size() < 2 ? 0 : parts.size() - 2;
  VXString text;
  for (std::size_t i = first; i < parts.size(); ++i) {
    if (i > first) text.push_back(U'.');
    text += ModifyName(parts[i]);
  }
  return text;
}

VXString ToPrettyStringVisitor::ExtractNameUsingEntityFolder(const VoidID& objID) {
  if (!m_pRp) return objID.ToString();
  const Ref<ARpObject> obj = m_pRp->GetObject(objID);
  if (obj.IsNull()) return DeletedObjectText();
  if (m_bCustomDisplayName) {
    throw RenderNotSupportedError("custom display names in entity-folder mode cannot be rendered yet");
  }
  VXString text;
  if (!m_bSinglePartName) {
    for (const QualifiedNameIDPair& pair : m_entityfolderNameColumnIDPairVector) {
      if (pair.m_id != objID) continue;
      // The folder the column is shown in: the last part of the pair's name.
      if (!pair.m_qName.empty() && !pair.m_qName.back().empty()) {
        text = ModifyName(pair.m_qName.back());
        text.push_back(U'.');
      }
      break;
    }
  }
  text += ModifyName(obj->GetName());
  return text;
}
