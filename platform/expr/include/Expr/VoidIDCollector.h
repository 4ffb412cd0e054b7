// VoidIDCollector: the ids of the objects an expression refers to.
//
//   VoidIDCollector collector(false);
//   expr.Accept(collector);
//   const VoidIDVector& ids = collector.GetVoidIDs();   // in token order
#pragma once

#include <unordered_set>

#include "Expr/Tokens.h"
#include "Utility/VoidID.h"

class VoidIDCollector : public TokenVisitor {
 public:
  // bUnique false: every reference, repeats included, in token order.
  // bUnique true: each id once, where it first appears.
  explicit VoidIDCollector(bool bUnique) : m_bUnique(bUnique) {}

  const VoidIDVector& GetVoidIDs() const { return m_ids; }

  void Visit(SymbolToken&, AExpr::Iterator&) override {}
  void Visit(QualifiedSymbolToken&, AExpr::Iterator&) override {}
  void Visit(IDToken& token, AExpr::Iterator& context) override { Add(token.GetObjID(context)); }
  void Visit(FloatToken&, AExpr::Iterator&) override {}
  void Visit(IntToken&, AExpr::Iterator&) override {}
  void Visit(VXStringToken&, AExpr::Iterator&) override {}
  // Collects from every operand of the operator, walking without recursion.
  void Visit(OpCodeToken& token, AExpr::Iterator& context) override;
  void Visit(VXDateToken&, AExpr::Iterator&) override {}
  void Visit(VXTimeToken&, AExpr::Iterator&) override {}
  void Visit(VXDateTimeToken&, AExpr::Iterator&) override {}
  void Visit(SubqueryToken&, AExpr::Iterator&) override {}
  void Visit(ZirconNumberToken&, AExpr::Iterator&) override {}
  void SetTargetExpr(AExpr*) override {}

 private:
  void Add(const VoidID& id) {
    if (!m_bUnique || m_seen.insert(id).second) m_ids.push_back(id);
  }

  bool m_bUnique;
  VoidIDVector m_ids;
  std::unordered_set<VoidID> m_seen;
};
