// One naming mode of expression rendering chosen as a value: plain flags, a
// subject area, a re-parenting or renamed databases, and the StringFrom (or
// GetFormatExpr) overload of ToPrettyStringVisitor that writes it.
//
//   RenderMode mode;
//   mode.flags.fullyQualified = true;
//   VXString text = RenderInMode(column->GetExprProperty(*ExpressionPropertyOfType(kTIDAAttribute)), pRp, mode);
#pragma once

#include <optional>

#include "Metadata/SMPrettyStringVisitor.h"
#include "objectmodel/RpObject.h"

struct RenderMode {
  enum Kind { kFlags, kCatalog, kReparent, kRenameDb } kind = kFlags;
  // kFlags: every flag; kCatalog: customDisplayName; kReparent and
  // kRenameDb: usingVoidID. The special modes fix the others themselves.
  ToPrettyStringVisitor::Options flags;
  Ref<ACatalogFolder> catalog;  // kCatalog
  Ref<ARpObject> oldParent;     // kReparent: its children are written under newParent
  QualifiedName newParent;
  OldDatabaseNameToNewDatabaseNameMap dbNames;  // kRenameDb
};

VXString RenderInMode(const Expr& expr, ARpGateway* pRp, const RenderMode& mode);
// The user's format string of expr shown in the mode (the rendering when it
// has none).
VXString FormatInMode(const Expr& expr, ARpGateway* pRp, const RenderMode& mode);

// The expression property that objects of type hold for rendering: a logical
// column's formula and a repository variable's initializer (kExpr), a
// complex join's condition (kJoinExpr); nothing for other types.
std::optional<RpProp> ExpressionPropertyOfType(TypeID type);
