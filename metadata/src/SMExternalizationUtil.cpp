// Externalized display names and descriptions: the generated session-variable
// names, the states of objects and selections, and switching the texts on
// and off. The KEX UI hints live in SMExternalizationUtilKEX.cpp, translation
// keys and the XML description in SMExternalizationUtilXML.cpp.
#include "Metadata/SMExternalizationUtil.h"

#include <algorithm>
#include <span>

#include "Expr/OpExpr.h"
#include "Metadata/SMConstants.h"
#include "Metadata/SMUtil.h"
#include "SMExternalizationUtilInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/TypeIDs.h"

const VXString g_sSessionPrefix = OpExprValueOfSession::VX_SESSION + U".";

VXStringVector ExternalizationUtil::m_unqualifiedPrefixList;
bool ExternalizationUtil::m_bUnqualifiedPrefixListInitialized = false;

namespace {

// The display-name and description accessors of the three families, so that
// one template body serves both texts.
struct DisplayNameText {
  static bool Has(const auto& obj) { return obj->HasDisplayName(); }
  static VXString Get(const auto& obj) { return obj->GetDisplayName(); }
  static void Set(const auto& obj, bool bUse, const VXString& text) {
    obj->SetDisplayNameUse(bUse);
    obj->SetDisplayName(text);
  }
};
struct DescriptionText {
  static bool Has(const auto& obj) { return obj->HasDisplayDescription(); }
  static VXString Get(const auto& obj) { return obj->GetDisplayDescription(); }
  static void Set(const auto& obj, bool bUse, const VXString& text) {
    obj->SetDisplayDescriptionUse(bUse);
    obj->SetDisplayDescription(text);
  }
};

template <class Text, class T>
unsigned StateOf(const T& obj, bool bDescription) {
  if (obj.IsNull() || !Text::Has(obj)) return ExternalizationUtil::kStateOff;
  const VXString text = Text::Get(obj);
  if (text.empty()) return ExternalizationUtil::kStateOff;
  const Ref<ARpObject> rpObj(obj);
  const auto generate = [&](bool bKex) {
    return bDescription ? ExternalizationUtil::GenerateCustomDescription(rpObj, bKex)
                        : ExternalizationUtil::GenerateCustomDisplayName(rpObj, bKex);
  };
  if (smutil_externalization::HasKEXObjectBehind(rpObj, !bDescription) &&
      BaseStringUtil::IsCaseInsensitiveMatch(text, generate(true))) {
    return ExternalizationUtil::kStateKEX;
  }
  return BaseStringUtil::IsCaseInsensitiveMatch(text, generate(false)) ? ExternalizationUtil::kStateDefault
                                                                       : ExternalizationUtil::kStateCustom;
}

unsigned SelectionState(const std::vector<Ref<ARpObject>>& objects, unsigned (*stateOf)(const Ref<ARpObject>&)) {
  unsigned state = 0;
  for (const Ref<ARpObject>& obj : objects) {
    const unsigned s = stateOf(obj);
    if (state == 0) {
      state = s;
    } else if (s == ExternalizationUtil::kStateDefault || s == ExternalizationUtil::kStateKEX ||
               s == ExternalizationUtil::kStateCustom || s == ExternalizationUtil::kStateOff) {
      state |= s;
    }
    if (state == ExternalizationUtil::kStateAll) break;
  }
  return state;
}

// The object's name and those of its ancestors, own name first, depth names
// in all; false when an ancestor is missing.
bool NameChain(const Ref<ARpObject>& obj, std::size_t depth, VXStringVector& names) {
  names.clear();
  Ref<ARpObject> at = obj;
  for (std::size_t i = 0; i < depth; ++i) {
    if (at.IsNull()) return false;
    names.push_back(ExternalizationUtil::GetNameForCustomDisplay(at));
    at = MetadataUtil::GetParent(at);
  }
  return true;
}

// The default variable of obj. formats[d-1] is the form for d name parts.
// With a new name, it stands for the object's own segment, and hierarchies
// and levels take the three-part form.
VXString DefaultVariable(const Ref<ARpObject>& obj, const MessageId formats[4], const VXString* pNewName) {
  std::size_t depth = 0;
  switch (obj->GetTypeID()) {
    case kTIDACatalogFolder:
    case kTIDAMktg_CustomerType:
      depth = 1;
      break;
    case kTIDAEntityFolder:
      depth = 2;
      break;
    case kTIDAFolderAttr:
    case kTIDAPresentationHierarchy:
      depth = 3;
      break;
    case kTIDAPresentationLevel:
      depth = pNewName ? 3 : 4;
      break;
    default:
      return VXString();
  }
  VXStringVector names;
  if (!NameChain(obj, depth, names)) return VXString();
  if (pNewName) names[0] = ExternalizationUtil::GetNameForCustomDisplay(*pNewName);
  // The chain runs from the object up; the scheme wants the outermost first.
  std::reverse(names.begin(), names.end());
  return SUStrUtil::LoadMsgStringOnly(formats[depth - 1], std::span<const VXString>(names));
}

constexpr MessageId kNameFormats[4] = {S_IDS_DEFAULT_CUSTOM_NAME_1, S_IDS_DEFAULT_CUSTOM_NAME_2,
                                       S_IDS_DEFAULT_CUSTOM_NAME_3, S_IDS_DEFAULT_CUSTOM_NAME_4};
constexpr MessageId kDescriptionFormats[4] = {S_IDS_DEFAULT_DESCRIPTION_1, S_IDS_DEFAULT_DESCRIPTION_2,
                                              S_IDS_DEFAULT_DESCRIPTION_3, S_IDS_DEFAULT_DESCRIPTION_4};

// The KEX variable of obj's display name (bDescription false) or
// description; empty when the object has no KEX form or nothing is found.
VXString KEXVariable(const Ref<ARpObject>& obj, bool bDescription) {
  switch (obj->GetTypeID()) {
    case kTIDAFolderAttr: {
      Ref<AColumn> physical;
      if (!ExternalizationUtil::GetPhysicalColumnForKEXUIHints(Ref<AFolderAttr>(obj), physical, false, false, false)) {
        return VXString();
      }
      return bDescription ? ExternalizationUtil::GenerateDescriptionSessionVariableForKEXUIHint(physical)
                          : ExternalizationUtil::GenerateDisplayNameSessionVariableForKEXUIHint(physical);
    }
    case kTIDAEntityFolder:
    case kTIDAPresentationHierarchy: {
      if (bDescription) return VXString();
      // A hierarchy shows the variable of the presentation table it sits in.
      const Ref<AEntityFolder> table(obj->GetTypeID() == kTIDAEntityFolder ? obj : MetadataUtil::GetParent(obj));
      Ref<ATable> physical;
      if (table.IsNull() || !ExternalizationUtil::GetPhysicalTableForKEXUIHints(table, physical)) return VXString();
      return ExternalizationUtil::GenerateDisplayNameSessionVariableForKEXUIHint(physical);
    }
    default:
      return VXString();
  }
}

VXString GenerateVariable(const Ref<ARpObject>& obj, bool bKexUiHint, bool bDescription, const VXString* pNewName) {
  if (obj.IsNull()) return VXString();
  if (bKexUiHint) {
    VXString kex = KEXVariable(obj, bDescription);
    if (!kex.empty()) return kex;
  }
  return DefaultVariable(obj, bDescription ? kDescriptionFormats : kNameFormats, pNewName);
}

}  // namespace

namespace smutil_externalization {

bool HasKEXObjectBehind(const Ref<ARpObject>& obj, bool bTablesToo) {
  if (obj->GetTypeID() == kTIDAFolderAttr) {
    Ref<AColumn> physical;
    return ExternalizationUtil::GetPhysicalColumnForKEXUIHints(Ref<AFolderAttr>(obj), physical, false, false, false);
  }
  if (bTablesToo && obj->GetTypeID() == kTIDAEntityFolder) {
    Ref<ATable> physical;
    return ExternalizationUtil::GetPhysicalTableForKEXUIHints(Ref<AEntityFolder>(obj), physical);
  }
  return false;
}

}  // namespace smutil_externalization

// ---- per-family templates ------------------------------------------------------

template <class T>
unsigned ExternalizationUtil::GetDisplayNameStateInternal(const T& obj) {
  return StateOf<DisplayNameText>(obj, false);
}

template <class T>
unsigned ExternalizationUtil::GetCustomDescriptionStateInternal(const T& obj) {
  return StateOf<DescriptionText>(obj, true);
}

template <class T>
void ExternalizationUtil::SetDisplayNameInternal(T& obj, bool bDisplayName, bool bKexUiHint) {
  if (obj.IsNull()) return;
  DisplayNameText::Set(obj, bDisplayName,
                       bDisplayName ? GenerateCustomDisplayName(Ref<ARpObject>(obj), bKexUiHint) : VXString());
}

template <class T>
void ExternalizationUtil::SetCustomDescriptionInternal(T& obj, bool bDisplayName, bool bKexUiHint) {
  if (obj.IsNull()) return;
  DescriptionText::Set(obj, bDisplayName,
                       bDisplayName ? GenerateCustomDescription(Ref<ARpObject>(obj), bKexUiHint) : VXString());
}

// ---- texts and states ------------------------------------------------------------

VXString ExternalizationUtil::GetDisplayName(const Ref<ARpObject>& rpObject) {
  return smutil_externalization::WithFamily(
      rpObject, VXString(), [](const auto& obj) { return obj->HasDisplayName() ? obj->GetDisplayName() : VXString(); });
}

VXString ExternalizationUtil::GetCustomDescription(const Ref<ARpObject>& rpObject) {
  return smutil_externalization::WithFamily(rpObject, VXString(), [](const auto& obj) {
    return obj->HasDisplayDescription() ? obj->GetDisplayDescription() : VXString();
  });
}

unsigned ExternalizationUtil::GetDisplayNameState(const Ref<ARpObject>& rpObject) {
  if (rpObject.IsNull()) return kStateOff;
  return smutil_externalization::WithFamily(rpObject, kStateNotApplicable,
                                            [](const auto& obj) { return GetDisplayNameStateInternal(obj); });
}

unsigned ExternalizationUtil::GetCustomDescriptionState(const Ref<ARpObject>& rpObject) {
  if (rpObject.IsNull()) return kStateOff;
  return smutil_externalization::WithFamily(rpObject, kStateNotApplicable,
                                            [](const auto& obj) { return GetCustomDescriptionStateInternal(obj); });
}

unsigned ExternalizationUtil::GetDisplayNameState(const std::vector<Ref<ARpObject>>& objects) {
  return SelectionState(objects, &ExternalizationUtil::GetDisplayNameState);
}

unsigned ExternalizationUtil::GetCustomDescriptionState(const std::vector<Ref<ARpObject>>& objects) {
  return SelectionState(objects, &ExternalizationUtil::GetCustomDescriptionState);
}

bool ExternalizationUtil::IsDisplayNameStateOn(unsigned state) {
  return (state & (kStateDefault | kStateKEX | kStateCustom)) != 0 && (state & kStateOff) == 0;
}

bool ExternalizationUtil::IsCustomDescriptionStateOn(unsigned state) { return IsDisplayNameStateOn(state); }

bool ExternalizationUtil::IsDisplayNameStateOn(const Ref<ARpObject>& rpObject) {
  return IsDisplayNameStateOn(GetDisplayNameState(rpObject));
}

bool ExternalizationUtil::IsCustomDescriptionStateOn(const Ref<ARpObject>& rpObject) {
  return IsCustomDescriptionStateOn(GetCustomDescriptionState(rpObject));
}

bool ExternalizationUtil::IsDisplayNameStateOn(const std::vector<Ref<ARpObject>>& objects) {
  return IsDisplayNameStateOn(GetDisplayNameState(objects));
}

bool ExternalizationUtil::IsCustomDescriptionStateOn(const std::vector<Ref<ARpObject>>& objects) {
  return IsCustomDescriptionStateOn(GetCustomDescriptionState(objects));
}

void ExternalizationUtil::SetDisplayName(Ref<ARpObject>& rpObject, bool bDisplayName, bool bKexUiHint) {
  smutil_externalization::WithFamily(rpObject, 0, [&](auto obj) {
    SetDisplayNameInternal(obj, bDisplayName, bKexUiHint);
    return 0;
  });
}

void ExternalizationUtil::SetCustomDescription(Ref<ARpObject>& rpObject, bool bDisplayName, bool bKexUiHint) {
  smutil_externalization::WithFamily(rpObject, 0, [&](auto obj) {
    SetCustomDescriptionInternal(obj, bDisplayName, bKexUiHint);
    return 0;
  });
}

// ---- generated names ---------------------------------------------------------------

VXString ExternalizationUtil::GenerateCustomDisplayName(const Ref<ARpObject>& rpObject, bool bKexUiHint) {
  return MakeValueOfVXSession(GenerateCustomDisplayNameInternal(rpObject, bKexUiHint));
}

VXString ExternalizationUtil::GenerateCustomDescription(const Ref<ARpObject>& rpObject, bool bKexUiHint) {
  return MakeValueOfVXSession(GenerateCustomDescriptionInternal(rpObject, bKexUiHint));
}

VXString ExternalizationUtil::GenerateCustomDisplayName(const Ref<ARpObject>& rpObject, const VXString& sNewName,
                                                        bool bKexUiHint) {
  return MakeValueOfVXSession(GenerateVariable(rpObject, bKexUiHint, false, &sNewName));
}

VXString ExternalizationUtil::GenerateCustomDisplayNameInternal(const Ref<ARpObject>& rpObject, bool bKexUiHint) {
  return GenerateVariable(rpObject, bKexUiHint, false, nullptr);
}

VXString ExternalizationUtil::GenerateCustomDescriptionInternal(const Ref<ARpObject>& rpObject, bool bKexUiHint) {
  return GenerateVariable(rpObject, bKexUiHint, true, nullptr);
}

VXString ExternalizationUtil::GetNameForCustomDisplay(const VXString& name) {
  VXString out = name;
  BaseStringUtil::ReplacePatternInString(out, U" ", U"_");
  return out;
}

VXString ExternalizationUtil::GetNameForCustomDisplay(const Ref<ARpObject>& rpObject) {
  return rpObject.IsNull() ? VXString() : GetNameForCustomDisplay(rpObject->GetName());
}

VXString ExternalizationUtil::GetNameForKEXCustomDisplay(const Ref<ARpObject>& rpObject) {
  if (rpObject.IsNull()) return VXString();
  VXString out = rpObject->GetName();
  for (char32_t& c : out) {
    if (c == U' ' || c == U'\'' || c == U'"') c = U'_';
  }
  return BaseStringUtil::ToUpperCase(out);
}

VXString ExternalizationUtil::MakeVXSessionString(VXString name) {
  if (name.find(U' ') != VXString::npos) name = BaseStringUtil::QuoteAround(name);
  return g_sSessionPrefix + name;
}

VXString ExternalizationUtil::MakeValueOfVXSession(VXString name) {
  return BaseStringUtil::VXString_sprintf(S_VALUE_OF_LS, MakeVXSessionString(std::move(name)));
}

VXString ExternalizationUtil::MakeValueOf(VXString name, bool bQuote) {
  if (bQuote && name.find(U' ') != VXString::npos) name = BaseStringUtil::QuoteAround(name);
  return BaseStringUtil::VXString_sprintf(S_VALUE_OF_LS, name);
}

VXString ExternalizationUtil::GetVXSessionPrefix() { return g_sSessionPrefix; }

void ExternalizationUtil::ExtractValueOf(const VXString& /*sDefaultName*/, const VXString& sInput,
                                         VXStringVector& variables) {
  variables.clear();
  static const VXString opening = BaseStringUtil::ToUpperCase(_S_VALUEOF_BRACKET);
  const VXString upper = BaseStringUtil::ToUpperCase(sInput);
  std::size_t at = 0;
  while ((at = upper.find(opening, at)) != VXString::npos) {
    const std::size_t inner = at + opening.size();
    const std::size_t close = BaseStringUtil::FindClosingParenthesis(sInput, inner);
    if (close == VXString::npos) break;
    const VXString name = BaseStringUtil::TrimBoth(std::u32string_view(sInput).substr(inner, close - inner));
    bool bSeen = name.empty();
    for (const VXString& v : variables) bSeen = bSeen || BaseStringUtil::IsCaseInsensitiveMatch(v, name);
    if (!bSeen) variables.push_back(name);
    at = close + 1;
  }
}

void ExternalizationUtil::GetDisplayNameVariables(const Ref<ARpObject>& rpObject, VXStringVector& variables) {
  ExtractValueOf(GenerateCustomDisplayName(rpObject, false), GetDisplayName(rpObject), variables);
}
