// The VALUEOF operators: repository variables by id, session variables by
// name or by id, and the variables of an initialization block. A variable or
// block that is gone is written as its placeholder message and empties the
// expression's stored format string, as a deleted object does.
#include "Expr/OpExpr.h"
#include "Metadata/SMPrettyStringVisitor.h"
#include "Metadata/SMUtil.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/IdentifierQuoting.h"
#include "Utility/SUStrUtil.h"
#include "objectmodel/RpGateway.h"

using pretty_detail::Operands;

namespace {

constexpr int kDeletedBlockMessage = 29002;
constexpr int kDeletedSessionVariableMessage = 29010;
constexpr std::u32string_view kValueOfOpen = U" VALUEOF(";
const VXString kDeletedRpVariable = U"<The RpVariable has been deleted>";

// The variable name a string operand holds (a string literal or a symbol).
VXString NameAt(const AExpr::Iterator& pos) {
  if (GetTokenTypeCode(pos) == BaseToken::kSymbol) return SymbolToken::Instance().GetSymbolName(pos);
  return VXStringToken::Instance().GetValue(pos);
}

}  // namespace

void ToPrettyStringVisitor::WriteVariableByID(const AExpr::Iterator& operand, VariableForm form) {
  AExpr::Iterator at = operand;
  const VoidID id = GetVoidID(at);
  if (m_pVoidIDMap && !m_pVoidIDMap->empty()) {
    WriteIDReference(id);
    return;
  }
  // Without a repository the id is all there is, as for any reference.
  if (!m_pRp) {
    m_cumulativeStr += id.ToString();
    return;
  }
  const Ref<ARpObject> variable = m_pRp->GetObject(id);
  if (variable.IsNull()) {
    if (m_pTargetExpr) m_pTargetExpr->SetFormatStr(VXString());
    switch (form) {
      case VariableForm::kRepository:
        m_cumulativeStr += kDeletedRpVariable;
        break;
      case VariableForm::kBlock:
        m_cumulativeStr +=
            SUStrUtil::LoadMsgStringOnly(kDeletedSessionVariableMessage, ModifyName(id.ToString(), true));
        break;
      case VariableForm::kSession:
        m_cumulativeStr += SUStrUtil::LoadMsgStringOnly(kDeletedSessionVariableMessage, id.ToString() + U" ");
        break;
    }
  } else if (m_bUsingVoidID) {
    AppendQuotedIdentifier(m_cumulativeStr, id.ToString(), QuotingRules::kAsWritten);
  } else if (form == VariableForm::kSession) {
    // A session variable's name is always quoted, whatever it looks like.
    m_cumulativeStr += ModifyName(variable->GetName(), true);
  } else {
    m_cumulativeStr += MetadataUtil::GenerateQualifiedName(variable);
  }
}

void ToPrettyStringVisitor::Visit(OpExprValueOf& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(kValueOfOpen);
  WriteVariableByID(ops.Take(), VariableForm::kRepository);
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprValueOfSessionVariableBlockNew& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(kValueOfOpen);
  WriteVariableByID(ops.Take(), VariableForm::kBlock);
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprValueOfSession& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(kValueOfOpen);
  m_cumulativeStr += OpExprValueOfSession::VX_SESSION;
  Append(U".\"");
  m_cumulativeStr += NameAt(ops.Take());
  Append(U"\")");
}

void ToPrettyStringVisitor::Visit(OpExprValueOfSessionByIndex& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(kValueOfOpen);
  RenderOperand(ops.Take());
  Append(U", ");
  m_cumulativeStr += OpExprValueOfSession::VX_SESSION;
  Append(U".\"");
  m_cumulativeStr += NameAt(ops.Take());
  Append(U"\")");
}

void ToPrettyStringVisitor::Visit(OpExprValueOfSessionNew& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(kValueOfOpen);
  m_cumulativeStr += OpExprValueOfSession::VX_SESSION;
  Append(U".");
  WriteVariableByID(ops.Take(), VariableForm::kSession);
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprValueOfSessionNewByIndex& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  Append(kValueOfOpen);
  RenderOperand(ops.Take());
  Append(U", ");
  m_cumulativeStr += OpExprValueOfSession::VX_SESSION;
  Append(U".");
  WriteVariableByID(ops.Take(), VariableForm::kSession);
  Append(U")");
}

void ToPrettyStringVisitor::Visit(OpExprValueOfSessionVariableBlock& token, AExpr::Iterator& opContext) {
  Operands ops(token, opContext);
  AExpr::Iterator a = ops.Take();
  Append(kValueOfOpen);
  const VoidID blockID = GetVoidID(a);
  if ((m_pVoidIDMap && !m_pVoidIDMap->empty()) || !m_pRp) {
    WriteIDReference(blockID);
    Append(U")");
    return;
  }
  const Ref<ASessionVariableBlock> block(m_pRp->GetObject(blockID));
  if (block.IsNull()) {
    if (m_pTargetExpr) m_pTargetExpr->SetFormatStr(VXString());
    m_cumulativeStr += SUStrUtil::LoadMsgStringOnly(kDeletedBlockMessage);
    Append(U")");
    return;
  }
  m_cumulativeStr += ModifyName(block->GetName(), true);
  Append(U".");
  const VXString name = NameAt(ops.Take());
  // The block's variable as it is spelled now: the stored name may differ
  // in case from the variable's.
  VXString found;
  bool bFound = false;
  BinaryRelIter<ARpVariable> variables = block->GetAssociatedVariables();
  for (variables.ToBegin(); !variables.IsEnd() && !bFound; ++variables) {
    const Ref<ARpVariable> variable = *variables;
    if (!variable.IsNull() && BaseStringUtil::IsCaseInsensitiveMatch(variable->GetName(), name)) {
      found = variable->GetName();
      bFound = true;
    }
  }
  if (bFound) {
    m_cumulativeStr += ModifyName(found, true);
  } else {
    if (m_pTargetExpr) m_pTargetExpr->SetFormatStr(VXString());
    m_cumulativeStr += SUStrUtil::LoadMsgStringOnly(kDeletedSessionVariableMessage, name);
  }
  Append(U")");
}
