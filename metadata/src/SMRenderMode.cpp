#include "Metadata/SMRenderMode.h"

#include "objectmodel/TypeIDs.h"

VXString RenderInMode(const Expr& expr, ARpGateway* pRp, const RenderMode& mode) {
  const bool bByID = mode.flags.usingVoidID;
  switch (mode.kind) {
    case RenderMode::kCatalog:
      return ToPrettyStringVisitor::StringFrom(expr, pRp, mode.catalog, mode.flags.customDisplayName);
    case RenderMode::kReparent:
      return ToPrettyStringVisitor::StringFrom(expr, pRp, mode.oldParent, mode.newParent, bByID);
    case RenderMode::kRenameDb:
      return ToPrettyStringVisitor::StringFrom(expr, pRp, mode.dbNames, bByID);
    case RenderMode::kFlags:
      break;
  }
  return ToPrettyStringVisitor::StringFrom(expr, pRp, mode.flags);
}

VXString FormatInMode(const Expr& expr, ARpGateway* pRp, const RenderMode& mode) {
  const ToPrettyStringVisitor::Options& f = mode.flags;
  switch (mode.kind) {
    case RenderMode::kCatalog:
      return ToPrettyStringVisitor::GetFormatExpr(expr, pRp, mode.catalog, f.customDisplayName);
    case RenderMode::kReparent:
      return ToPrettyStringVisitor::GetFormatExpr(expr, pRp, mode.oldParent, mode.newParent, f.usingVoidID);
    case RenderMode::kRenameDb:
      return ToPrettyStringVisitor::GetFormatExpr(expr, pRp, mode.dbNames, f.usingVoidID);
    case RenderMode::kFlags:
      break;
  }
  return ToPrettyStringVisitor::GetFormatExpr(expr, pRp, f.mandatoryDoubleQuotes, f.fullyQualified, f.singlePartName,
                                              f.usingVoidID, f.customDisplayName);
}

std::optional<RpProp> ExpressionPropertyOfType(TypeID type) {
  switch (type) {
    case kTIDAAttribute:
    case kTIDARpVariable:
      return RpProp::kExpr;
    case kTIDAComplexJoin:
      return RpProp::kJoinExpr;
    default:
      return std::nullopt;
  }
}
