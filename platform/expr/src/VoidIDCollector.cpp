#include "Expr/VoidIDCollector.h"

#include "ExprLayout.h"

void VoidIDCollector::Visit(OpCodeToken&, AExpr::Iterator& context) {
  const uint8* p = context.Position();
  const uint8* end = p + context.TokenLength();
  for (; p < end; p += ExprLayout::PrefixStep(p)) {
    if (ExprLayout::ReadCode(p) == BaseToken::kID) {
      Add(SORpPortable::PStoredVoidIDFormatToVoidID(p + ExprLayout::kCodeBytes));
    }
  }
}
