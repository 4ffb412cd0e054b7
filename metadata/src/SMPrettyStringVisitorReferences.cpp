// Object references and names in expressions: identifier quoting
// (ModifyName), symbols, and the reference rules of each naming mode.
#include <array>
#include <vector>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "SMPrettyNameCache.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/TypeIDs.h"

namespace {

constexpr int kDeletedObjectMessage = 29005;

// ModifyName's rule: quotes where an identifier needs them, or always.
const QuotingRule& IdentifierRule(bool bManditoryDoubleQuotes) {
  return bManditoryDoubleQuotes ? QuotingRules::kSqlIdentifierAlways : QuotingRules::kSqlIdentifierWhenRequired;
}

}  // namespace

VXString ToPrettyStringVisitor::ModifyName(const VXString& nameString, bool bManditoryDoubleQuotes) {
  return QuotedIdentifier(nameString, IdentifierRule(bManditoryDoubleQuotes));
}

void ToPrettyStringVisitor::Visit(SymbolToken& token, AExpr::Iterator& context) {
  AppendQuotedIdentifier(m_cumulativeStr, token.GetSymbolName(context), IdentifierRule(m_bManditoryDoubleQuotes));
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
    AppendQuotedIdentifier(m_cumulativeStr, parts[i], QuotingRules::kAsWritten);
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
      Append(U" ");
      AppendQuotedIdentifier(m_cumulativeStr, it->second.ToString(), QuotingRules::kAsWritten);
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
  WriteObjectName(id);
}

VXString ToPrettyStringVisitor::DeletedObjectText() {
  // The stored format string names the object too; keeping it would show
  // the stale name again, so it goes and is rebuilt from the tokens.
  if (m_pTargetExpr) m_pTargetExpr->SetFormatStr(VXString());
  return SUStrUtil::LoadMsgStringOnly(kDeletedObjectMessage);
}

void ToPrettyStringVisitor::WriteObjectName(const VoidID& id) {
  if (pretty_detail::NameCache::Place* place = m_names ? m_names->Find(id) : nullptr) {
    // The text the names were written in: the output itself (the standard
    // append copes with its own text), or the output set aside while an
    // operand is rendered apart.
    const std::size_t at = m_cumulativeStr.size();
    m_cumulativeStr.append(m_namesAside ? *m_namesAside : m_cumulativeStr, place->m_offset, place->m_length);
    // The copy just made is the nearest for the next reference.
    if (!m_namesAside) pretty_detail::NameCache::MoveTo(*place, at);
    return;
  }
  const std::size_t start = m_cumulativeStr.size();
  bool keep = WriteGeneratedName(id);
  if (!keep) {
    if (!m_presentationCatalog.IsNull()) {
      const ARpObject* obj = RefHelper::GetObjectPointerFromGatway(m_pRp, id);
      if (!obj || obj->IsDeleted()) {
        m_cumulativeStr += DeletedObjectText();
      } else {
        // The catalog form, or the ordinary one when no presentation
        // column of the catalog shows the object.
        keep = WriteCatalogReference(*obj, m_cumulativeStr);
        if (!keep)
          m_cumulativeStr +=
              m_entityfolderNameColumnIDPairVector.empty() ? ExtractName(id, keep) : ExtractNameUsingEntityFolder(id);
      }
    } else if (!m_entityfolderNameColumnIDPairVector.empty()) {
      m_cumulativeStr += ExtractNameUsingEntityFolder(id);
      keep = !m_pRp->GetObject(id).IsNull();
    } else {
      m_cumulativeStr += ExtractName(id, keep);
    }
  }
  // A name written into an operand rendered apart is not where the table
  // looks: it is generated again when met again.
  if (keep && !m_namesAside) Names().Store(id, start, m_cumulativeStr.size() - start);
}

bool ToPrettyStringVisitor::WritesPlainPathNames() const {
  return m_pRp && !m_bNullifyExprStr && !m_bUsingVoidID && !m_bCustomDisplayName && !m_bSinglePartName &&
         m_dbNameMap.empty() && m_presentationCatalog.IsNull() && m_entityfolderNameColumnIDPairVector.empty() &&
         (m_oldParentObj.IsNull() || m_newParentName.empty());
}

pretty_detail::NameCache& ToPrettyStringVisitor::Names() {
  if (!m_names) m_names = std::make_unique<pretty_detail::NameCache>();
  return *m_names;
}

bool ToPrettyStringVisitor::WriteGeneratedName(const VoidID& id) {
  // Only the plain path modes are written here; every other mode, and a
  // missing object or a variable, goes the general way through ExtractName.
  if (!WritesPlainPathNames()) return false;
  // A plain pointer: the walk holds no handle, and the repository does not
  // change while it runs.
  const ARpObject* obj = RefHelper::GetObjectPointerFromGatway(m_pRp, id);
  if (!obj || obj->GetTypeID() == kTIDARpVariable) return false;
  AppendPathName(m_cumulativeStr, *obj);
  return true;
}

void ToPrettyStringVisitor::AppendPathName(VXString& out, const ARpObject& obj) const {
  // The segments innermost first: the object's own name, then for each
  // parent the empty names of the levels it leaves out, then its name. A
  // null entry is such an empty level. Names are a handful of levels deep:
  // room for them on the stack, a vector only for a deeper one.
  std::array<const VXString*, 16> shallow;
  std::vector<const VXString*> deep;
  std::size_t count = 0;
  const auto push = [&](const VXString* segment) {
    if (count < shallow.size()) {
      shallow[count] = segment;
    } else {
      if (deep.empty()) deep.assign(shallow.begin(), shallow.end());
      deep.push_back(segment);
    }
    ++count;
  };
  push(&obj.GetName());
  const ARpObject* cur = &obj;
  for (const ARpObject* parent = cur->GetParentPointer(); parent; parent = parent->GetParentPointer()) {
    for (int e = RpObject::AccordionDepth(cur->GetTypeID(), parent->GetTypeID()); e > 0; --e) push(nullptr);
    push(&parent->GetName());
    cur = parent;
  }
  const VXString* const* segments = deep.empty() ? shallow.data() : deep.data();
  // Written outermost first; the short form keeps the last two segments.
  static const VXString kEmpty;
  const std::size_t written = m_bFullyQualified || count < 2 ? count : 2;
  const QuotingRule& rule = IdentifierRule(m_bManditoryDoubleQuotes);
  for (std::size_t k = written; k-- > 0;) {
    AppendQuotedIdentifier(out, segments[k] ? *segments[k] : kEmpty, rule);
    if (k > 0) out.push_back(U'.');
  }
}

VXString ToPrettyStringVisitor::ExtractName(const VoidID& objID) {
  bool keep = false;
  return ExtractName(objID, keep);
}

VXString ToPrettyStringVisitor::ExtractName(const VoidID& objID, bool& keep) {
  keep = false;
  // Without a repository an id is all there is to write.
  if (!m_pRp) return objID.ToString();
  const Ref<ARpObject> obj = m_pRp->GetObject(objID);
  if (obj.IsNull()) return DeletedObjectText();
  VXString text = NameOfObject(obj);
  keep = !m_bNullifyExprStr;
  return text;
}

VXString ToPrettyStringVisitor::NameOfObject(const Ref<ARpObject>& obj) {
  const TypeID type = obj->GetTypeID();
  if (type == kTIDAFolderAttr && m_bCustomDisplayName) return ModifyName(DisplayNameOf(obj));
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
  if (m_bUsingVoidID) return QuotedIdentifier(obj->GetID().ToString(), QuotingRules::kAsWritten);
  if (!m_oldParentObj.IsNull() && !m_newParentName.empty()) return ReparentedName(obj);
  if (m_bSinglePartName) return ModifyName(obj->GetName());

  VXString text;
  AppendPathName(text, *obj);
  return text;
}

VXString ToPrettyStringVisitor::ReparentedName(const Ref<ARpObject>& obj) {
  const VXString& newTop = m_newParentName.front();
  if (m_newParentModelFound < 0) {
    // One lookup per visitor: the repository does not change during a walk.
    VoidIDVector models;
    m_pRp->LookupObjects(NamedInterfaceTypeCondition(kTIDASubjectArea, newTop, QualifiedName(), false), models);
    m_newParentModelFound = models.empty() ? 0 : 1;
  }
  if (m_newParentModelFound == 0) {
    // The new parent is no business model: the object keeps its path with
    // the new name at the top.
    QualifiedName parts;
    MetadataUtil::GenerateQualifiedName(obj, parts);
    if (!parts.empty()) parts.front() = newTop;
    return MetadataUtil::ToQualifiedName(parts);
  }
  const Ref<ARpObject> parent = MetadataUtil::GetParent(obj);
  if (parent == m_oldParentObj) {
    VXString text = MetadataUtil::ToQualifiedName(m_newParentName);
    text += U".\"";
    text += obj->GetName();
    text += U"\"";
    return text;
  }
  // Another parent: the object stays where it is when it already lives in
  // the new business model; otherwise it cannot be named there.
  const Ref<ARpObject> oldGrandParent = MetadataUtil::GetParent(m_oldParentObj);
  if (!oldGrandParent.IsNull() && BaseStringUtil::IsCaseInsensitiveMatch(oldGrandParent->GetName(), newTop)) {
    return MetadataUtil::GenerateQualifiedName(obj);
  }
  m_bNullifyExprStr = true;
  return VXString();
}

VXString ToPrettyStringVisitor::DisplayNameOf(const Ref<ARpObject>& obj) const {
  return MetadataUtil::GetCustomDisplayName(m_pRp, obj);
}

VXString ToPrettyStringVisitor::ExtractNameUsingEntityFolder(const VoidID& objID) {
  if (!m_pRp) return objID.ToString();
  const Ref<ARpObject> obj = m_pRp->GetObject(objID);
  if (obj.IsNull()) return DeletedObjectText();
  VXString text;
  if (!m_bSinglePartName) {
    for (const QualifiedNameIDPair& pair : m_entityfolderNameColumnIDPairVector) {
      if (pair.m_id != objID) continue;
      if (m_bCustomDisplayName) {
        // The folder the column is shown in, by its display name.
        const Ref<ARpObject> folder = MetadataUtil::GetParent(obj);
        if (!folder.IsNull()) {
          text = ModifyName(DisplayNameOf(folder));
          text.push_back(U'.');
        }
      } else if (!pair.m_qName.empty() && !pair.m_qName.back().empty()) {
        // The folder the column is shown in: the last part of the pair's name.
        text = ModifyName(pair.m_qName.back());
        text.push_back(U'.');
      }
      break;
    }
  }
  text += ModifyName(m_bCustomDisplayName ? DisplayNameOf(obj) : obj->GetName());
  return text;
}
