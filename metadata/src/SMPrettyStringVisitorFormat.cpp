// Format strings: a user's own text for an expression, stored with the names
// of the referenced objects replaced by quoted ids (SetFormatExpr) and shown
// again with the ids replaced by the objects' current names in the caller's
// naming mode (GetFormatExpr). Renames therefore show in the user's text; a
// deleted object shows as "MISSING" until the host's validity hook rejects
// the text, which then gives way to the plain rendering.
//
// Which names SetFormatExpr looks for: the object's qualified name and, as
// the shorter form, its last two parts (the object's own name when it has
// one part), both without double quotes. That shorter form is what the plain
// rendering writes, so text typed after a plain rendering is recognised, and
// a name like Fact.Revenue becomes one id and not "Fact." followed by an id,
// which would show the table twice once the id is turned into a name again.
#include <algorithm>
#include <unordered_set>

#include "Expr/VoidIDCollector.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SystemUtility.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/TypeIDs.h"

namespace {

constexpr std::u32string_view kMissing = U"MISSING";

// Each id an expression refers to, once, in the order first met. A repeated
// id would only search the text again for a form already replaced.
VoidIDVector ReferencedIDs(const Expr& expr) {
  VoidIDCollector collector(true);
  const_cast<Expr&>(expr).Accept(collector);
  return collector.GetVoidIDs();
}

VXString Quoted(const VXString& idText) { return U"\"" + idText + U"\""; }

bool IsIdChar(char32_t c) { return (c >= U'0' && c <= U'9') || c == U':'; }

// Replaces the bare id text where it stands whole: an id is never replaced
// inside a longer one (2006:1 inside 2006:12).
void ReplaceWholeID(VXString& text, const VXString& idText, const VXString& replacement) {
  VXString out;
  std::size_t from = 0;
  bool bChanged = false;
  for (std::size_t at = text.find(idText); at != VXString::npos; at = text.find(idText, at + 1)) {
    const std::size_t end = at + idText.size();
    if (at < from || (at > 0 && IsIdChar(text[at - 1])) || (end < text.size() && IsIdChar(text[end]))) continue;
    out.append(text, from, at - from);
    out += replacement;
    from = end;
    bChanged = true;
  }
  if (!bChanged) return;
  out.append(text, from, VXString::npos);
  text.swap(out);
}

// The layer of an expression from the type of one of its ids; 2 (business
// model) says the id does not decide.
int LayerOfType(TypeID type) {
  if (type >= 3000 && type <= 3066) return 1;  // physical
  if (type >= 2000 && type <= 2060) return 0;  // logical
  return 2;
}

template <class... Mode>
VXString FormatExprInMode(const Expr& expr, ARpGateway* pRp, bool bUseEntityExtractName, const Mode&... mode) {
  if (expr.Size() == 0) return VXString();
  const VXString defaultFormatStr = ToPrettyStringVisitor::StringFrom(expr, pRp, mode...);
  if (expr.GetFormatStr().empty()) return defaultFormatStr;
  ToPrettyStringVisitor visitor(pRp, mode...);
  const_cast<Expr&>(expr).Accept(visitor);
  return ToPrettyStringVisitor::GetFormatExprHelper(expr, pRp, visitor, defaultFormatStr, bUseEntityExtractName);
}

}  // namespace

VXString ToPrettyStringVisitor::GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway, bool bManditoryDoubleQuotes,
                                              bool bFullyQualified, bool bSinglePartName, bool bUsingVoidID,
                                              bool bCustomDisplayName) {
  return FormatExprInMode(expr, pRpGateway, false, bManditoryDoubleQuotes, bFullyQualified, bSinglePartName,
                          bUsingVoidID, bCustomDisplayName);
}

VXString ToPrettyStringVisitor::GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway,
                                              const Ref<ACatalogFolder>& catalogFolder, bool bCustomDisplayName) {
  return FormatExprInMode(expr, pRpGateway, false, catalogFolder, bCustomDisplayName);
}

VXString ToPrettyStringVisitor::GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway, Ref<ARpObject> oldParentObj,
                                              const QualifiedName& newParentName, bool bUsingVoidID) {
  return FormatExprInMode(expr, pRpGateway, false, oldParentObj, newParentName, bUsingVoidID);
}

VXString ToPrettyStringVisitor::GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway,
                                              const QualifiedNameIDPairVector& entityfolderNameColumnIDPairVector,
                                              bool bCustomDisplayName) {
  return FormatExprInMode(expr, pRpGateway, true, entityfolderNameColumnIDPairVector, bCustomDisplayName);
}

VXString ToPrettyStringVisitor::GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway,
                                              const OldDatabaseNameToNewDatabaseNameMap& dbNameMap, bool bUsingVoidID) {
  return FormatExprInMode(expr, pRpGateway, false, dbNameMap, bUsingVoidID);
}

VXString ToPrettyStringVisitor::GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway,
                                              const VoidIDVXStringMap& voidIDVXStrMap) {
  return FormatExprInMode(expr, pRpGateway, false, voidIDVXStrMap);
}

VXString ToPrettyStringVisitor::GetFormatExprHelper(const Expr& expr, ARpGateway* pRp,
                                                    ToPrettyStringVisitor& stringConversionVisitor,
                                                    const VXString& defaultFormatStr, bool bUseEntityExtractName) {
  VXString strFormattedExpr = expr.GetFormatStr();
  int exprType = 2;
  for (const VoidID& id : ReferencedIDs(expr)) {
    // The first physical or logical id decides the layer.
    if (exprType == 2) exprType = LayerOfType(id.GetTypeID());
    const VXString idText = id.ToString();
    if (!pRp || pRp->GetObject(id).IsNull()) {
      ReplaceWholeID(strFormattedExpr, idText, VXString(kMissing));
      continue;
    }
    const VXString name = bUseEntityExtractName ? stringConversionVisitor.ExtractNameUsingEntityFolder(id)
                                                : stringConversionVisitor.ExtractName(id);
    // Every form an id may stand in becomes the quoted form first, and the
    // quoted form the name last; "<<id>>" is already quoted by the first step.
    const VXString quoted = Quoted(idText);
    ReplaceWholeID(strFormattedExpr, idText, quoted);
    BaseStringUtil::ReplacePatternInString(strFormattedExpr, U"\"" + quoted + U"\"", quoted);
    BaseStringUtil::ReplacePatternInString(strFormattedExpr, U"<<" + quoted + U">>", quoted);
    BaseStringUtil::ReplacePatternInString(strFormattedExpr, U"<<" + idText + U">>", name);
    BaseStringUtil::ReplacePatternInString(strFormattedExpr, quoted, name);
  }
  if (Repository::GetIsValidFormatExpr) {
    VXString errorMessage;
    if (!Repository::GetIsValidFormatExpr(pRp, strFormattedExpr, errorMessage, exprType)) {
      // A text the server no longer accepts is dropped: the next display
      // starts again from the expression itself.
      const_cast<Expr&>(expr).SetFormatStr(VXString());
      return defaultFormatStr;
    }
  }
  return strFormattedExpr;
}

bool ToPrettyStringVisitor::ReplaceNamesInToken(VXString& token, const VoidIDVector& visitedIDByQualifiedNames,
                                                const VXStringVector& qualifiedNamesVec,
                                                const VoidIDVector& visitedIDByNames, const VXStringVector& namesVec) {
  const VXString before = token;
  const auto replaceAll = [&token](const VoidIDVector& ids, const VXStringVector& names) {
    const std::size_t count = std::min(ids.size(), names.size());
    for (std::size_t i = 0; i < count; ++i) {
      if (!names[i].empty()) BaseStringUtil::ReplacePatternInString(token, names[i], Quoted(ids[i].ToString()));
    }
  };
  replaceAll(visitedIDByQualifiedNames, qualifiedNamesVec);
  replaceAll(visitedIDByNames, namesVec);
  return token != before;
}

void ToPrettyStringVisitor::SortByNameLength(VXStringVector& namesVec, VoidIDVector& visitedIDs) {
  const std::size_t count = namesVec.size();
  const auto length = [&namesVec](std::size_t k) { return k < namesVec.size() ? namesVec[k].size() : 0; };
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = i + 1; j < count; ++j) {
      if (length(j) <= length(i)) continue;
      std::swap(namesVec[i], namesVec[j]);
      if (i < visitedIDs.size() && j < visitedIDs.size()) std::swap(visitedIDs[i], visitedIDs[j]);
    }
  }
}

VXString ToPrettyStringVisitor::GenerateQualifiedNameForSetFormatExpr(const Ref<ARpObject>& obj) {
  if (obj.IsNull()) return VXString();
  if (obj->GetTypeID() == kTIDARpVariable && Ref<ARpVariable>(obj)->GetVariableType() == ARpVariable::kDynamic) {
    return obj->GetName();
  }
  return MetadataUtil::GenerateQualifiedName(obj);
}

void ToPrettyStringVisitor::SetFormatExpr(Expr& expr, ARpGateway* pRp, const VXString& strExpr) {
  if (strExpr == StringFrom(expr, pRp, true, true, false, false, false)) return;
  expr.SetFormatStr(strExpr);

  VoidIDVector visitedIDByQualifiedNames;
  VoidIDVector visitedIDByNames;
  VXStringVector qualifiedNamesVec;
  VXStringVector namesVec;
  for (const VoidID& id : ReferencedIDs(expr)) {
    const Ref<ARpObject> obj = pRp ? pRp->GetObject(id) : Ref<ARpObject>();
    VXString qualified;
    VXString shorter;
    if (!obj.IsNull()) {
      qualified = GenerateQualifiedNameForSetFormatExpr(obj);
      std::erase(qualified, U'"');
      if (obj->GetTypeID() == kTIDARpVariable) {
        shorter = qualified;
      } else {
        QualifiedName parts;
        MetadataUtil::GenerateQualifiedName(obj, parts);
        shorter = parts.size() < 2 ? obj->GetName() : parts[parts.size() - 2] + U"." + parts.back();
      }
    }
    visitedIDByQualifiedNames.push_back(id);
    qualifiedNamesVec.push_back(std::move(qualified));
    visitedIDByNames.push_back(id);
    namesVec.push_back(std::move(shorter));
  }
  SortByNameLength(qualifiedNamesVec, visitedIDByQualifiedNames);
  SortByNameLength(namesVec, visitedIDByNames);

  // Pieces at even positions lie outside string literals: only there are
  // names replaced; the inside of a literal is the user's data.
  VXStringVector tokenVec = BaseStringUtil::Tokenize(strExpr, U"'", false, true);
  bool bReplacement = false;
  for (std::size_t i = 0; i < tokenVec.size(); i += 2) {
    std::erase(tokenVec[i], U'"');
    if (ReplaceNamesInToken(tokenVec[i], visitedIDByQualifiedNames, qualifiedNamesVec, visitedIDByNames, namesVec)) {
      bReplacement = true;
    }
  }
  VXString joined;
  for (std::size_t i = 0; i < tokenVec.size(); ++i) {
    if (i > 0) joined.push_back(U'\'');
    joined += tokenVec[i];
  }
  // The split keeps the empty piece after a closing quote at the very end,
  // so the join has it back; only a split that dropped it needs it added.
  if (!strExpr.empty() && strExpr.back() == U'\'' && (joined.empty() || joined.back() != U'\'')) {
    joined.push_back(U'\'');
  }
  if (bReplacement) expr.SetFormatStr(joined);
}

bool ToPrettyStringVisitor::IsRipAndReplaceNoExprModeOn() {
  // Read once: later changes to the environment do not switch the mode.
  static const bool bIsRipAndReplace = [] {
    const VXString value = SystemUtility::Getenv(U"RIP_AND_REPLACE_MODE");
    return !value.empty() && BaseStringUtil::BooleanFrom(value, false);
  }();
  return bIsRipAndReplace;
}
