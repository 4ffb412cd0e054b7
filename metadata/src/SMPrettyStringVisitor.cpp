// ToPrettyStringVisitor: constructors, entry points and the walk itself.
// Operator spellings are in SMPrettyStringVisitorOperators.cpp, the irregular
// operators in SMPrettyStringVisitorIrregular.cpp, object references in
// SMPrettyStringVisitorReferences.cpp, literals and data types in
// SMPrettyStringVisitorLiterals.cpp.
#include "Metadata/SMPrettyStringVisitor.h"

#include <atomic>
#include <utility>

#include "SMPrettyNameCache.h"
#include "SMPrettyStringVisitorInternal.h"
#include "Utility/VXThread.h"

using pretty_detail::Operands;

namespace {

// Stack that one more operator level (and the leaf work below it: message
// texts, number formatting) may need beyond what is in use.
constexpr std::size_t kStackForOneLevel = 32 * 1024;

std::atomic<ToPrettyStringVisitor::SubqueryWriter> g_subqueryWriter{nullptr};

// Expected output length per token: fully qualified references make most of
// the text, about 20 characters a token on typical formulas. Reserving once
// spares a long expression the copies of a growing buffer; room that is not
// written is never touched, so a generous guess costs little.
constexpr std::size_t kReserveCharsPerToken = 24;

}  // namespace

void ToPrettyStringVisitor::RenderInto(ToPrettyStringVisitor& visitor, const AExpr& expr, VXString& out) {
  // The visitor writes straight into the caller's buffer: the two strings
  // trade places for the walk, which moves no characters.
  const std::size_t mark = out.size();
  visitor.m_cumulativeStr.swap(out);
  try {
    // The walk reads the tokens only; Accept is non-const because the
    // visitor may empty a stale format string (a reference to a deleted
    // object).
    const_cast<AExpr&>(expr).Accept(visitor);
  } catch (...) {
    visitor.m_cumulativeStr.resize(mark);
    visitor.m_cumulativeStr.swap(out);
    throw;
  }
  if (visitor.m_bNullifyExprStr) visitor.m_cumulativeStr.resize(mark);
  visitor.m_cumulativeStr.swap(out);
}

VXString ToPrettyStringVisitor::Render(ToPrettyStringVisitor& visitor, const AExpr& expr) {
  VXString text;
  RenderInto(visitor, expr, text);
  return text;
}

ToPrettyStringVisitor::SubqueryWriter ToPrettyStringVisitor::SetSubqueryWriter(SubqueryWriter writer) {
  return g_subqueryWriter.exchange(writer);
}

ToPrettyStringVisitor::SubqueryWriter ToPrettyStringVisitor::GetSubqueryWriter() { return g_subqueryWriter.load(); }

namespace {
thread_local ToPrettyStringVisitor::SubqueryWriter t_subqueryWriter = nullptr;
}

ToPrettyStringVisitor::SubqueryWriter pretty_detail::SetThreadSubqueryWriter(
    ToPrettyStringVisitor::SubqueryWriter writer) {
  return std::exchange(t_subqueryWriter, writer);
}

ToPrettyStringVisitor::SubqueryWriter pretty_detail::ThreadSubqueryWriter() { return t_subqueryWriter; }

// ---- constructors -----------------------------------------------------------------

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, const Options& options)
    : m_pRp(pRp),
      m_bManditoryDoubleQuotes(options.mandatoryDoubleQuotes),
      m_bFullyQualified(options.fullyQualified),
      m_bSinglePartName(options.singlePartName),
      m_bUsingVoidID(options.usingVoidID),
      m_bCustomDisplayName(options.customDisplayName) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, bool bManditoryDoubleQuotes, bool bFullyQualified,
                                             bool bSinglePartName, bool bUsingVoidID, bool bCustomDisplayName)
    : ToPrettyStringVisitor(
          pRp, Options{bManditoryDoubleQuotes, bFullyQualified, bSinglePartName, bUsingVoidID, bCustomDisplayName}) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, const Ref<ACatalogFolder>& catalogFolder,
                                             bool bCustomDisplayName)
    : m_pRp(pRp),
      m_bManditoryDoubleQuotes(true),
      m_bCustomDisplayName(bCustomDisplayName),
      m_presentationCatalog(catalogFolder) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, const Ref<ARpObject>& oldParentObj,
                                             const QualifiedName& newParentName, bool bUsingVoidID)
    : m_pRp(pRp),
      m_bManditoryDoubleQuotes(true),
      m_bFullyQualified(true),
      m_bUsingVoidID(bUsingVoidID),
      m_oldParentObj(oldParentObj),
      m_newParentName(newParentName) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp,
                                             const QualifiedNameIDPairVector& entityfolderNameColumnIDPairVector,
                                             bool bCustomDisplayName)
    : m_pRp(pRp),
      m_bManditoryDoubleQuotes(true),
      m_bCustomDisplayName(bCustomDisplayName),
      m_entityfolderNameColumnIDPairVector(entityfolderNameColumnIDPairVector) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, const VoidIDToVoidIDMap& voidIDMap)
    : m_pRp(pRp), m_pVoidIDMap(&voidIDMap) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, const OldDatabaseNameToNewDatabaseNameMap& dbNameMap,
                                             bool bUsingVoidID)
    : m_pRp(pRp),
      m_bManditoryDoubleQuotes(true),
      m_bFullyQualified(true),
      m_bUsingVoidID(bUsingVoidID),
      m_dbNameMap(dbNameMap) {}

ToPrettyStringVisitor::ToPrettyStringVisitor(ARpGateway* pRp, const VoidIDVXStringMap& voidIDVXStrMap)
    : m_pRp(pRp), m_bFullyQualified(true), m_voidIDVXStrMap(voidIDVXStrMap) {}

ToPrettyStringVisitor::~ToPrettyStringVisitor() = default;

// ---- entry points -------------------------------------------------------------------

void ToPrettyStringVisitor::AppendTo(VXString& out, const AExpr& expr, ARpGateway* pRpGateway, const Options& options) {
  ToPrettyStringVisitor visitor(pRpGateway, options);
  RenderInto(visitor, expr, out);
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway, const Options& options) {
  ToPrettyStringVisitor visitor(pRpGateway, options);
  return Render(visitor, expr);
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway, bool bManditoryDoubleQuotes,
                                           bool bFullyQualified, bool bSinglePartName, bool bUsingVoidID,
                                           bool bCustomDisplayName) {
  return StringFrom(
      expr, pRpGateway,
      Options{bManditoryDoubleQuotes, bFullyQualified, bSinglePartName, bUsingVoidID, bCustomDisplayName});
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway,
                                           const Ref<ACatalogFolder>& catalogFolder, bool bCustomDisplayName) {
  ToPrettyStringVisitor visitor(pRpGateway, catalogFolder, bCustomDisplayName);
  return Render(visitor, expr);
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway, Ref<ARpObject> oldParentObj,
                                           const QualifiedName& newParentName, bool bUsingVoidID) {
  ToPrettyStringVisitor visitor(pRpGateway, oldParentObj, newParentName, bUsingVoidID);
  return Render(visitor, expr);
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway,
                                           const QualifiedNameIDPairVector& entityfolderNameColumnIDPairVector,
                                           bool bCustomDisplayName) {
  ToPrettyStringVisitor visitor(pRpGateway, entityfolderNameColumnIDPairVector, bCustomDisplayName);
  return Render(visitor, expr);
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway,
                                           const OldDatabaseNameToNewDatabaseNameMap& dbNameMap, bool bUsingVoidID) {
  ToPrettyStringVisitor visitor(pRpGateway, dbNameMap, bUsingVoidID);
  return Render(visitor, expr);
}

VXString ToPrettyStringVisitor::StringFrom(const AExpr& expr, ARpGateway* pRpGateway,
                                           const VoidIDVXStringMap& voidIDVXStrMap) {
  ToPrettyStringVisitor visitor(pRpGateway, voidIDVXStrMap);
  return Render(visitor, expr);
}

VXString ToPrettyStringVisitor::Expr2StringFromExpr1(const AExpr& expr1, ARpGateway* rp1,
                                                     const VoidIDToVoidIDMap& voidIDMap) {
  ToPrettyStringVisitor visitor(rp1, voidIDMap);
  return Render(visitor, expr1);
}

VXString ToPrettyStringVisitor::SimpleStringFrom(const AExpr& expr, ARpGateway* pRpGateway) {
  return StringFrom(expr, pRpGateway, Options{});
}

VXString ToPrettyStringVisitor::StringFromWithoutSingleQuote(const AExpr& expr, ARpGateway* pRpGateway) {
  ToPrettyStringVisitor visitor(pRpGateway, Options{.mandatoryDoubleQuotes = true, .fullyQualified = true});
  visitor.SetWithoutSingleQuote();
  visitor.SetNoSuffix();
  return Render(visitor, expr);
}

bool ToPrettyStringVisitor::AreExprStringsEqual(const AExpr& expr1, const AExpr& expr2, ARpGateway* pRp) {
  const Options byID{.mandatoryDoubleQuotes = true, .fullyQualified = true, .usingVoidID = true};
  return StringFrom(expr1, pRp, byID) == StringFrom(expr2, pRp, byID);
}

VXString ToPrettyStringVisitor::GetAccumulatedString() const {
  return m_bNullifyExprStr ? VXString() : m_cumulativeStr;
}

// ---- the walk -----------------------------------------------------------------------

void ToPrettyStringVisitor::SetTargetExpr(AExpr* pTargetExpr) {
  m_pTargetExpr = pTargetExpr;
  if (pTargetExpr) m_targetEnd = pTargetExpr->End();
  m_stackGuard = VXThread::StackGuard();
  // Names are good for one walk: the repository may change before the next.
  if (m_names) m_names->Clear();
  if (m_folderIndex) m_folderIndex->Clear();
  m_folders.clear();
  if (pTargetExpr) m_cumulativeStr.reserve(m_cumulativeStr.size() + pTargetExpr->Size() * kReserveCharsPerToken);
}

void ToPrettyStringVisitor::Visit(OpCodeToken& token, AExpr::Iterator& context) {
  AExpr::Iterator opContext = context;
  RenderOperator(token.GetOpCode(context), opContext);
}

void ToPrettyStringVisitor::RenderOperator(int code, AExpr::Iterator& opContext) {
  // The walk recurses once per operator level; a hostile expression nested a
  // million deep must end in an exception, not in a crashed process.
  m_stackGuard.Check(kStackForOneLevel);
  // A regular operator is written from its row straight away: its Visit
  // would do just that.
  if (const OperatorSpelling* row = FindOperatorSpelling(code)) {
    WriteSpelled(*row, opContext);
    return;
  }
  GetOpExprForCode(code)->Accept(static_cast<OpExprVisitor&>(*this), opContext);
}

void ToPrettyStringVisitor::RenderOperand(const AExpr::Iterator& pos) {
  if (!m_pTargetExpr) VXAssert::handleAssert(pretty_detail::kSrc, __LINE__, "m_pTargetExpr != nullptr");
  AExpr::Iterator operand = pos;
  // Operators and references, most of any expression, are dispatched here
  // on their code; the other leaves through their token objects.
  const int code = GetTokenTypeCode(operand);
  if (ExprLayout::IsOperatorCode(code)) {
    RenderOperator(code, operand);
  } else if (code == BaseToken::kID) {
    WriteIDReference(GetVoidID(operand));
  } else {
    m_pTargetExpr->GetToken(operand, m_targetEnd).Accept(*this, operand);
  }
}

VXString ToPrettyStringVisitor::RenderOperandToString(const AExpr::Iterator& pos) {
  VXString outer;
  outer.swap(m_cumulativeStr);
  // The names written so far are in the text set aside (the outermost one,
  // when operands nest).
  const VXString* const namesAside = m_namesAside;
  if (!m_namesAside) m_namesAside = &outer;
  try {
    RenderOperand(pos);
  } catch (...) {
    m_namesAside = namesAside;
    m_cumulativeStr.swap(outer);
    throw;
  }
  m_namesAside = namesAside;
  VXString text;
  text.swap(m_cumulativeStr);
  m_cumulativeStr.swap(outer);
  return text;
}

void ToPrettyStringVisitor::RenderJoined(Operands& ops, int count, std::u32string_view sep) {
  for (int i = 0; i < count; ++i) {
    if (i > 0) Append(sep);
    RenderOperand(ops.Take());
  }
}
