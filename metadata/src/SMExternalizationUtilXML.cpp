// Translation keys, the XML description of an object, and the rows that the
// server exports for translators.
#include "Metadata/SMConstants.h"
#include "Metadata/SMExternalizationUtil.h"
#include "Metadata/SMUtil.h"
#include "SMExternalizationUtilInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"
#include "Utility/TYSGUIDGenerator.h"
#include "objectmodel/TypeIDs.h"

namespace {

// Label of an object in exported rows: its type name and name.
constexpr MessageId kObjectLabelMessage = 34039;
// Stands for the logical column of a presentation column that has none.
constexpr MessageId kNoLogicalColumnMessage = 74084;

VXString GetExternalizationDescriptionAux1(const Ref<ARpObject>& rpObject) {
  return rpObject.IsNull() ? VXString() : rpObject->GetDescription();
}

// The logical object whose description stands in for obj's.
Ref<ARpObject> DescriptionFallback(const Ref<ARpObject>& obj) {
  switch (obj->GetTypeID()) {
    case kTIDACatalogFolder:
      return Ref<ACatalogFolder>(obj)->GetSubjectArea();
    case kTIDAEntityFolder: {
      // A presentation table has no logical object of its own: it stands
      // for the logical column its first column presents, not for that
      // column's table.
      BinaryRelIter<AFolderAttr> columns = Ref<AEntityFolder>(obj)->GetFolderAttrs();
      columns.ToBegin();
      if (columns.IsEnd()) return Ref<ARpObject>();
      return (*columns)->GetLogicalColumn();
    }
    case kTIDAFolderAttr:
      return Ref<AFolderAttr>(obj)->GetLogicalColumn();
    case kTIDAPresentationHierarchy:
      return Ref<APresentationHierarchy>(obj)->GetLogicalDimension();
    case kTIDAPresentationLevel:
      return Ref<APresentationLevel>(obj)->GetLogicalLevel();
    default:
      return Ref<ARpObject>();
  }
}

// Description variables worth a translation row: session variables, except
// KEX tooltips, whose texts come with the application's own metadata.
// Repository variables hold one value for every language.
bool IsTranslatableDescriptionVariable(const VXString& variable) {
  if (!BaseStringUtil::CaseInsensitiveFindPatternAtStart(variable, g_sSessionPrefix)) return false;
  const std::u32string_view name = std::u32string_view(variable).substr(g_sSessionPrefix.size());
  return !BaseStringUtil::CaseInsensitiveFindPatternAtStart(name, S_KEX_TOOLTIP);
}

VXString LogicalColumnLabel(const Ref<ARpObject>& obj) {
  const Ref<AAttribute> logical = Ref<AFolderAttr>(obj)->GetLogicalColumn();
  if (logical.IsNull()) return SUStrUtil::LoadMsgStringOnly(kNoLogicalColumnMessage);
  static const VXString logicalColumnTypeName = SUStrUtil::GetTypeName(kTIDAAttribute);
  return SUStrUtil::LoadMsgStringOnly(kObjectLabelMessage, logicalColumnTypeName,
                                      MetadataUtil::GenerateQualifiedName(Ref<ARpObject>(logical)));
}

}  // namespace

VXString ExternalizationUtil::GetTranslationKey(const Ref<ARpObject>& rpObject) {
  return smutil_externalization::WithFamily(rpObject, VXString(),
                                            [](const auto& obj) { return obj->GetTranslationKey(); });
}

bool ExternalizationUtil::CouldHaveTranslationKey(const Ref<ARpObject>& rpObject) {
  return smutil_externalization::WithFamily(rpObject, false, [](const auto&) { return true; });
}

void ExternalizationUtil::XMLDescribeObjectStart(const Ref<ARpObject>& rpObject, VXString& s, int iDepth,
                                                 bool bQualifiedName, bool bUseTranslationKeyIfApplicable) {
  if (rpObject.IsNull()) return;
  VXString name;
  if (bQualifiedName) {
    name = MetadataUtil::GenerateQualifiedName(rpObject);
  } else if (bUseTranslationKeyIfApplicable && CouldHaveTranslationKey(rpObject)) {
    name = GetTranslationKey(rpObject);
  } else {
    name = rpObject->GetName();
  }
  s += SUStrUtil::XMLMakeStartTag(_S_XML_OBJECT, iDepth);
  s += U'\n';
  s += SUStrUtil::XMLMakeStartTag(_S_XML_NAME, iDepth + 1);
  s += BaseStringUtil::EscapeXMLChars(name);
  s += SUStrUtil::XMLMakeEndTag(_S_XML_NAME, 0);
  s += U'\n';
  s += SUStrUtil::XMLMakeStartTag(_S_XML_TYPE, iDepth + 1);
  s += BaseStringUtil::EscapeXMLChars(SUStrUtil::GetTypeName(rpObject->GetTypeID()));
  s += SUStrUtil::XMLMakeEndTag(_S_XML_TYPE, 0);
  s += U'\n';
  s += SUStrUtil::XMLMakeStartTag(_S_XML_UPGRADE_ID, iDepth + 1);
  s += TYSGUIDGenerator::ByteVectorToGUIDString(rpObject->GetUpgradeID());
  s += SUStrUtil::XMLMakeEndTag(_S_XML_UPGRADE_ID, 0);
}

void ExternalizationUtil::XMLDescribeObjectEnd(VXString& s, int iDepth) { XMLDescribeEnd(s, _S_XML_OBJECT, iDepth); }

void ExternalizationUtil::XMLDescribeEnd(VXString& s, const VXString& name, int iDepth) {
  s += SUStrUtil::XMLMakeEndTag(name, iDepth);
}

VXString ExternalizationUtil::GetExternalizationDescription(const Ref<ARpObject>& rpObject) {
  VXString own = GetExternalizationDescriptionAux1(rpObject);
  if (!own.empty() || rpObject.IsNull()) return own;
  return GetExternalizationDescriptionAux1(DescriptionFallback(rpObject));
}

void ExternalizationUtil::GetExternalizationInfo(const std::vector<Ref<ARpObject>>& objects,
                                                 std::vector<FourVXStrings>& strings) {
  VXStringVector variables;
  for (const Ref<ARpObject>& obj : objects) {
    if (obj.IsNull()) continue;
    FourVXStrings row;
    row.s1 =
        SUStrUtil::LoadMsgStringOnly(kObjectLabelMessage, SUStrUtil::GetTypeName(obj->GetTypeID()), obj->GetName());
    row.s3 = GetTranslationKey(obj);
    if (obj->GetTypeID() == kTIDAFolderAttr) row.logicalColumn = LogicalColumnLabel(obj);

    GetDisplayNameVariables(obj, variables);
    for (const VXString& variable : variables) {
      strings.push_back(row);
      strings.back().s2 = variable;
    }

    const VXString description = BaseStringUtil::MakeOneLineString(GetCustomDescription(obj));
    if (description.empty()) continue;
    ExtractValueOf(GenerateCustomDescriptionInternal(obj, false), description, variables);
    VXString defaultText;
    bool bDefaultTextDone = false;
    for (const VXString& variable : variables) {
      if (!IsTranslatableDescriptionVariable(variable)) continue;
      if (!bDefaultTextDone) {
        defaultText = BaseStringUtil::MakeOneLineString(GetExternalizationDescription(obj));
        bDefaultTextDone = true;
      }
      strings.push_back(row);
      strings.back().s2 = variable;
      strings.back().s3 = defaultText;
    }
  }
}
