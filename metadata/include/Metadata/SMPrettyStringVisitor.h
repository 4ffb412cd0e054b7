// ToPrettyStringVisitor: a repository expression written as readable logical
// SQL. Operators become keywords and functions, object references quoted
// qualified names, literals their SQL form.
//
//   Expr e = ExprBuilder().Op(kAdd).ID(amountID).Int(1).End().Build();
//   ToPrettyStringVisitor::Options options;
//   options.mandatoryDoubleQuotes = true;
//   options.fullyQualified = true;
//   ToPrettyStringVisitor::StringFrom(e, pRp, options);   // "Sales"."Orders"."Amount" + 1
//   ToPrettyStringVisitor::SimpleStringFrom(e, nullptr);   // 2006:7 + 1
//
// Every keyword literal carries its own blanks, and the text is exactly the
// concatenation of those literals and the operands: nothing is trimmed or
// folded afterwards, so the output is stable byte for byte.
//
// Naming modes (one per constructor): plain (quotes only where needed, the
// last two name parts), fully qualified, single part, by id, with custom
// display names, inside a presentation catalog, under a new parent, with a
// database renamed, with ids mapped to other ids or to text, and with
// entity-folder prefixes. A reference to an object that is gone is written as
// the "deleted object" message and empties the expression's stored format
// string, so a stale format string is never shown again.
//
// Format strings. An expression may keep the text a user typed for it.
// SetFormatExpr stores that text with the names of the referenced objects
// replaced by their quoted ids; GetFormatExpr shows it again with the ids
// replaced by the objects' current names in the caller's mode, so the text
// survives renames, and "MISSING" stands where an object was deleted.
//
// Failures. A well-formed expression always renders. A parameter code outside
// its table (a truth value, an interval kind, a data type without SQL form)
// is a broken invariant reported through VXAssert (VXAssertException); an
// expression nested deeper than the stack allows ends in
// VXStackOverflowException. In every case the exception leaves the entry
// point: no partial text is ever returned as a rendering.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Expr/Expr.h"
#include "Expr/OpExpr.h"
#include "Expr/Tokens.h"
#include "Metadata/SMLookupCondition.h"  // QualifiedNameIDPair
#include "Utility/VXString.h"
#include "Utility/VXStringCaseInsensitive.h"
#include "Utility/VXThread.h"
#include "Utility/VoidID.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/Ref.h"

class ARpGateway;
namespace pretty_detail {
class Operands;
}  // namespace pretty_detail

// Old object id to new object id (id-substitution mode).
using VoidIDToVoidIDMap = std::unordered_map<VoidID, VoidID, VoidIDHash>;
// Object id to the text written in place of the reference (id-to-text mode).
using VoidIDVXStringMap = std::unordered_map<VoidID, VXString, VoidIDHash>;
// Old database name to new, compared without regard to case.
using OldDatabaseNameToNewDatabaseNameMap = std::map<VXString, VXString, VXStringCaseInsensitiveLessThan>;

namespace pretty_detail {
class NameCache;
}

class ToPrettyStringVisitor : public TokenVisitor, public OpExprVisitor {
 public:
  // Writes the SQL text of a subquery token's query spec. The query
  // text writer installs itself here when the library loads; a subquery
  // met with no writer installed is a broken invariant (VXAssert).
  using SubqueryWriter = VXString (*)(const ByteVector& querySpecBytes, ARpGateway* pRp, bool bFullyQualified);
  // Installs writer (null removes it); returns the one installed before.
  static SubqueryWriter SetSubqueryWriter(SubqueryWriter writer);
  static SubqueryWriter GetSubqueryWriter();

  // The switches of the plain naming mode, by name (all off: names quoted
  // only where needed, the last two parts).
  struct Options {
    bool mandatoryDoubleQuotes = false;  // every name part in double quotes
    bool fullyQualified = false;         // every part of a name, not the last two
    bool singlePartName = false;         // the object's own name only
    bool usingVoidID = false;            // the quoted id instead of the name
    bool customDisplayName = false;      // presentation columns by their display names
  };

  // ---- constructors: one per naming mode ------------------------------------
  ToPrettyStringVisitor(ARpGateway* pRp, const Options& options);
  ToPrettyStringVisitor(ARpGateway* pRp, bool bManditoryDoubleQuotes, bool bFullyQualified, bool bSinglePartName,
                        bool bUsingVoidID, bool bCustomDisplayName);
  // Subject-area mode: references inside the presentation catalog.
  ToPrettyStringVisitor(ARpGateway* pRp, const Ref<ACatalogFolder>& catalogFolder, bool bCustomDisplayName);
  // Re-parenting mode: children of oldParentObj written under newParentName.
  ToPrettyStringVisitor(ARpGateway* pRp, const Ref<ARpObject>& oldParentObj, const QualifiedName& newParentName,
                        bool bUsingVoidID);
  // Entity-folder mode: columns written with the folder names of the pairs.
  ToPrettyStringVisitor(ARpGateway* pRp, const QualifiedNameIDPairVector& entityfolderNameColumnIDPairVector,
                        bool bCustomDisplayName);
  // Id-substitution mode: the caller's map is borrowed and must outlive the
  // visitor; it is read during the walk, never copied.
  ToPrettyStringVisitor(ARpGateway* pRp, const VoidIDToVoidIDMap& voidIDMap);
  // Database-rename mode.
  ToPrettyStringVisitor(ARpGateway* pRp, const OldDatabaseNameToNewDatabaseNameMap& dbNameMap, bool bUsingVoidID);
  // Id-to-text mode.
  ToPrettyStringVisitor(ARpGateway* pRp, const VoidIDVXStringMap& voidIDVXStrMap);

  ToPrettyStringVisitor(const ToPrettyStringVisitor&) = delete;
  ToPrettyStringVisitor& operator=(const ToPrettyStringVisitor&) = delete;

  // ---- entry points ------------------------------------------------------------
  // Each builds one visitor in its mode, walks expr and returns the text. The
  // expression's tokens are only read; a reference to a deleted object
  // empties its stored format string (see the header comment).
  //
  // AppendTo writes the text at the end of out, with no copy in between (the
  // way the query-text writer builds a statement); when rendering throws, out
  // is left as it was.
  static void AppendTo(VXString& out, const AExpr& expr, ARpGateway* pRpGateway, const Options& options);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway, const Options& options);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway, bool bManditoryDoubleQuotes,
                             bool bFullyQualified, bool bSinglePartName, bool bUsingVoidID, bool bCustomDisplayName);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway, const Ref<ACatalogFolder>& catalogFolder,
                             bool bCustomDisplayName);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway, Ref<ARpObject> oldParentObj,
                             const QualifiedName& newParentName, bool bUsingVoidID);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway,
                             const QualifiedNameIDPairVector& entityfolderNameColumnIDPairVector,
                             bool bCustomDisplayName);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway,
                             const OldDatabaseNameToNewDatabaseNameMap& dbNameMap, bool bUsingVoidID);
  static VXString StringFrom(const AExpr& expr, ARpGateway* pRpGateway, const VoidIDVXStringMap& voidIDVXStrMap);
  // Every reference whose id the map holds is written as the quoted new id.
  static VXString Expr2StringFromExpr1(const AExpr& expr1, ARpGateway* rp1, const VoidIDToVoidIDMap& voidIDMap);
  // All flags false: names quoted only where needed, last two parts.
  static VXString SimpleStringFrom(const AExpr& expr, ARpGateway* pRpGateway);
  // Quoted, fully qualified names; string literals bare (no quotes, no
  // doubling) and floats without their approximate-number suffix, as the
  // value of a variable is substituted into text.
  static VXString StringFromWithoutSingleQuote(const AExpr& expr, ARpGateway* pRpGateway);
  // Whether the two expressions read the same (quoted, fully qualified, by
  // id); case counts.
  static bool AreExprStringsEqual(const AExpr& expr1, const AExpr& expr2, ARpGateway* pRp);

  // ---- format strings ----------------------------------------------------------
  // The user's text of expr in the mode of the matching StringFrom: the
  // stored format string with its ids turned into current names, or the
  // plain rendering when there is none (or the validity hook rejects it, in
  // which case the format string is dropped). Empty for an empty expression.
  static VXString GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway, bool bManditoryDoubleQuotes,
                                bool bFullyQualified, bool bSinglePartName, bool bUsingVoidID, bool bCustomDisplayName);
  static VXString GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway, const Ref<ACatalogFolder>& catalogFolder,
                                bool bCustomDisplayName);
  static VXString GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway, Ref<ARpObject> oldParentObj,
                                const QualifiedName& newParentName, bool bUsingVoidID);
  static VXString GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway,
                                const QualifiedNameIDPairVector& entityfolderNameColumnIDPairVector,
                                bool bCustomDisplayName);
  static VXString GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway,
                                const OldDatabaseNameToNewDatabaseNameMap& dbNameMap, bool bUsingVoidID);
  static VXString GetFormatExpr(const Expr& expr, ARpGateway* pRpGateway, const VoidIDVXStringMap& voidIDVXStrMap);
  // The stored format string of expr turned into display text with the
  // names stringConversionVisitor writes (its mode is the caller's).
  static VXString GetFormatExprHelper(const Expr& expr, ARpGateway* pRp, ToPrettyStringVisitor& stringConversionVisitor,
                                      const VXString& defaultFormatStr, bool bUseEntityExtractName);
  // Stores strExpr, a user's text for expr, as its format string with the
  // names of the referenced objects replaced by quoted ids; text equal to
  // the plain rendering stores nothing.
  static void SetFormatExpr(Expr& expr, ARpGateway* pRp, const VXString& strExpr);
  // Replaces every occurrence of each non-empty name by the quoted id at the
  // same index, qualified names first; true when token changed.
  static bool ReplaceNamesInToken(VXString& token, const VoidIDVector& visitedIDByQualifiedNames,
                                  const VXStringVector& qualifiedNamesVec, const VoidIDVector& visitedIDByNames,
                                  const VXStringVector& namesVec);
  // Longest names first (ids moved in step); equal lengths keep their order.
  static void SortByNameLength(VXStringVector& namesVec, VoidIDVector& visitedIDs);
  // The name SetFormatExpr looks for: a dynamic repository variable's own
  // name, every other object's qualified name.
  static VXString GenerateQualifiedNameForSetFormatExpr(const Ref<ARpObject>& obj);
  // Whether RIP_AND_REPLACE_MODE was on when first asked; read once.
  static bool IsRipAndReplaceNoExprModeOn();

  // ---- state -------------------------------------------------------------------
  // The text so far; empty when a reference could not be written in the
  // requested mode.
  VXString GetAccumulatedString() const;
  void SetWithoutSingleQuote() { m_bWithoutSingleQuote = true; }
  void SetNoSuffix() { m_bSuffix = false; }

  // ---- names -------------------------------------------------------------------
  // One name part as an identifier: bare when it is a plain identifier that
  // is no keyword and quotes are not mandatory; otherwise in double quotes
  // with inner double quotes doubled. An empty name gives "".
  static VXString ModifyName(const VXString& nameString, bool bManditoryDoubleQuotes);
  VXString ModifyName(const VXString& nameString) const { return ModifyName(nameString, m_bManditoryDoubleQuotes); }
  // The written form of a referenced object in this visitor's mode.
  VXString ExtractName(const VoidID& objID);
  // The same with the entity-folder prefix of the pairs.
  VXString ExtractNameUsingEntityFolder(const VoidID& objID);
  // The object id stored in the token at context (8 bytes after the code).
  VoidID GetVoidID(AExpr::Iterator& context) const;

  // ---- parameter texts ---------------------------------------------------------
  // Interval kind of TIMESTAMPADD/DIFF (" SQL_TSI_DAY "); other codes are a
  // logic error.
  static VXString ChangeTSIToString(OpCode timeStampIntervalType);
  // Truth test (" IS NOT TRUE "); other codes are a logic error.
  static VXString ChangeTruthValueToString(OpCode truthValue);
  // Date part held in the IntToken at context (" YEAR "); empty for other codes.
  VXString RestoreTimeField(AExpr::Iterator& context);

  // ---- token visits ------------------------------------------------------------
  // The visits are final: the walk reaches operands and regular operators
  // without the double dispatch, which is only right while nobody else
  // answers these visits.
  void Visit(SymbolToken& token, AExpr::Iterator& context) final;
  void Visit(QualifiedSymbolToken& token, AExpr::Iterator& context) final;
  void Visit(IDToken& token, AExpr::Iterator& context) final;
  void Visit(FloatToken& token, AExpr::Iterator& context) final;
  void Visit(IntToken& token, AExpr::Iterator& context) final;
  void Visit(VXStringToken& token, AExpr::Iterator& context) final;
  // Descends into an operator (with a stack check) and lets it dispatch.
  void Visit(OpCodeToken& token, AExpr::Iterator& context) final;
  void Visit(VXDateToken& token, AExpr::Iterator& context) final;
  void Visit(VXTimeToken& token, AExpr::Iterator& context) final;
  void Visit(VXDateTimeToken& token, AExpr::Iterator& context) final;
  void Visit(SubqueryToken& token, AExpr::Iterator& context) final;
  void Visit(ZirconNumberToken& token, AExpr::Iterator& context) final;
  // Starts a walk of pTargetExpr: sizes the output once and reads the
  // thread's stack limit once.
  void SetTargetExpr(AExpr* pTargetExpr) override;

  // ---- operator visits, in slot order --------------------------------------
#define SMUTIL_PRETTY_DECLARE_VISIT(Class, Name, Code, Min, Max, Shape) \
  void Visit(Class& token, AExpr::Iterator& opContext) final;
  SMUTIL_OPEXPR_LIST(SMUTIL_PRETTY_DECLARE_VISIT)
#undef SMUTIL_PRETTY_DECLARE_VISIT

  // The list forms of the hierarchy predicates: ancestor/descendant (with a
  // member count and an optional distance) and parent/child/sibling.
  virtual void VisitHierarchyUtilAD(OpExpr& token, AExpr::Iterator& opContext, const VXString& funcName);
  virtual void VisitHierarchyUtilSPC(OpExpr& token, AExpr::Iterator& opContext, const VXString& funcName);

  ~ToPrettyStringVisitor() override;

  // How the regular operators are spelled: one row per operator of the
  // table in SMPrettyStringVisitorOperators.cpp. kJoined writes open, the
  // operands joined by between, close; kHeaded writes open, the first
  // operand, between (always), the other operands joined by rest, close.
  // wrapFirst / wrapOther: operand op codes that get parentheses (bit i for
  // kParenCodes[i]).
  struct OperatorSpelling {
    enum Form : unsigned char { kNoOperand, kFunction1, kFunction2, kInfix, kVarList, kHeaded };
    OpCode code;
    Form form;
    std::u32string_view open;
    std::u32string_view between;
    std::u32string_view rest;
    std::u32string_view close;
    unsigned char wrapFirst;
    unsigned char wrapOther;
  };
  // The row of a regular operator; null for the irregular ones.
  static const OperatorSpelling* FindOperatorSpelling(int code);
  // Every regular operator's row, in table order: the logical SQL parser
  // reads operators with the same rows this visitor writes them with.
  static std::span<const OperatorSpelling* const> OperatorSpellings();

  // The words of an operator with a Visit body of its own: its opening, then
  // the keywords its body writes between operands, in the order it uses them.
  struct OwnBodySpelling {
    OpCode code;
    std::u32string_view open;
    std::array<std::u32string_view, 7> words;
  };
  // Null for an operator without a body of its own.
  static const OwnBodySpelling* FindOwnBodySpelling(int code);

  // A parameter code stored in an operand and the text it is written as.
  struct ParameterSpelling {
    int code;
    std::u32string_view text;
  };
  static std::span<const ParameterSpelling> TimeFieldSpellings();  // EXTRACT, the field functions
  static std::span<const ParameterSpelling> IntervalSpellings();   // TIMESTAMPADD, TIMESTAMPDIFF
  static std::span<const ParameterSpelling> TruthSpellings();      // IS [NOT] TRUE / FALSE / UNKNOWN

  // The SQL text of a data type code (the index) and how its length and
  // scale follow the keyword.
  struct DataTypeSpelling {
    enum Params : unsigned char {
      kNone,            // no length
      kOptionalLength,  // "( n )" when a length is given (n >= 0)
      kLength,          // "( n )" always
      kLengthAndScale,  // "( n )" or "( n, s )" when given
      kNoSqlForm,       // no SQL text at all
    };
    std::u32string_view keyword;
    Params params;
  };
  static std::span<const DataTypeSpelling> DataTypeSpellings();

 protected:
  // Appends literal text.
  void Append(std::u32string_view text) { m_cumulativeStr.append(text); }
  // Renders the operand at pos (a copy is handed to the token).
  void RenderOperand(const AExpr::Iterator& pos);
  // Renders the operand at pos into its own text, leaving m_cumulativeStr as
  // it was.
  VXString RenderOperandToString(const AExpr::Iterator& pos);
  // Writes the operator token of code at opContext (with a stack check).
  void RenderOperator(int code, AExpr::Iterator& opContext);
  // Writes a regular operator from its row.
  void WriteSpelled(const OperatorSpelling& spelling, AExpr::Iterator& opContext);
  // Writes the operand at pos, in parentheses when its code is in mask.
  void RenderWrapped(const AExpr::Iterator& pos, unsigned char mask);
  // The next count operands of ops, joined by sep.
  void RenderJoined(pretty_detail::Operands& ops, int count, std::u32string_view sep);

  // Shared bodies of the irregular operators that come in families.
  void WriteCaseArms(pretty_detail::Operands& ops, const OwnBodySpelling& row);
  void WriteTimeStampArithmetic(std::u32string_view open, OpExpr& op, AExpr::Iterator& opContext);
  void WriteEvaluate(const OwnBodySpelling& row, OpExpr& op, AExpr::Iterator& opContext);
  void WriteHierarchyDistance(std::u32string_view open, std::int32_t dummyDistance, OpExpr& op,
                              AExpr::Iterator& opContext);
  void WriteCorrelation(const OwnBodySpelling& row, OpExpr& op, AExpr::Iterator& opContext);

  // The written name of an existing object in this mode (no missing-object
  // handling; ExtractName does that).
  VXString NameOfObject(const Ref<ARpObject>& obj);
  // The deleted-object message, after emptying the target's format string.
  VXString DeletedObjectText();
  // Appends the written name of obj in the fully qualified or short mode,
  // walking its parents without building segment strings.
  void AppendPathName(VXString& out, const ARpObject& obj) const;
  // The reference forms of the object-reference rules.
  void WriteIDReference(const VoidID& id);
  // The name of an existing object under the new parent (re-parenting mode).
  VXString ReparentedName(const Ref<ARpObject>& obj);
  // The presentation-catalog form of an existing object; false, with
  // nothing written, when no presentation column of the catalog qualifies.
  bool WriteCatalogReference(const ARpObject& obj, VXString& out);
  // The custom display name of a presentation object, or its own name for
  // other objects.
  VXString DisplayNameOf(const Ref<ARpObject>& obj) const;
  // The variables the VALUEOF forms name by id: a repository variable, a
  // variable of an initialization block, or a session variable. The form
  // says how the name is written and what stands for a variable that is gone.
  enum class VariableForm { kRepository, kBlock, kSession };
  void WriteVariableByID(const AExpr::Iterator& operand, VariableForm form);

  VXString m_cumulativeStr;
  AExpr* m_pTargetExpr = nullptr;
  AExpr::Iterator m_targetEnd;  // m_pTargetExpr->End(), read once per walk
  ARpGateway* m_pRp = nullptr;
  bool m_bManditoryDoubleQuotes = false;
  bool m_bFullyQualified = false;
  bool m_bSinglePartName = false;
  bool m_bUsingVoidID = false;
  bool m_bWithoutSingleQuote = false;
  bool m_bCustomDisplayName = false;
  Ref<ARpObject> m_oldParentObj;
  QualifiedName m_newParentName;
  QualifiedNameIDPairVector m_entityfolderNameColumnIDPairVector;
  bool m_bNullifyExprStr = false;
  Ref<ACatalogFolder> m_presentationCatalog;
  OldDatabaseNameToNewDatabaseNameMap m_dbNameMap;
  VoidIDVXStringMap m_voidIDVXStrMap;
  const VoidIDToVoidIDMap* m_pVoidIDMap = nullptr;
  bool m_bSuffix = true;

 private:
  // Walks expr, appending its text to out; out is as it was when the walk
  // throws.
  static void RenderInto(ToPrettyStringVisitor& visitor, const AExpr& expr, VXString& out);
  // The same into a new text.
  static VXString Render(ToPrettyStringVisitor& visitor, const AExpr& expr);

  // Written names of the objects met so far in this walk. The mode is fixed
  // for the visitor's life and the repository does not change during a
  // walk, so a name is generated once per object and walk, however often
  // the expression refers to it: a later reference costs one probe and one
  // copy from where the walk last wrote it. Every walk starts with an empty
  // table.
  void WriteObjectName(const VoidID& id);
  // Writes the name of an object met for the first time; false, with
  // nothing written, when this mode or object takes the general way
  // (ExtractName).
  bool WriteGeneratedName(const VoidID& id);
  // ExtractName, telling whether the name may be written again from where
  // it is written now (not a deleted object's text, nor an id).
  VXString ExtractName(const VoidID& objID, bool& keep);

  // Whether references are written as plain paths of names (fully
  // qualified or short), the modes whose names are generated straight into
  // the walk's name table.
  bool WritesPlainPathNames() const;
  // The walk's name table, made at the first name.
  pretty_detail::NameCache& Names();

  std::unique_ptr<pretty_detail::NameCache> m_names;  // one walk's names only
  // The output set aside while an operand is rendered into a text of its
  // own (RenderOperandToString): the names the table points to are there.
  const VXString* m_namesAside = nullptr;
  VXThread::StackGuard m_stackGuard;
  // Re-parenting: whether a business model has the new parent's first name
  // (looked up once per visitor; -1 not yet, 0 no, 1 yes).
  int m_newParentModelFound = -1;
  // Catalog mode: the written names of the catalog and its folders met in
  // this walk; a subject area has few folders and many columns.
  struct CatalogFolder {
    VXString m_name;  // as written, quotes and all
    bool m_bNamed = false;
    int m_readable = -1;  // -1 not asked yet, 0 no, 1 yes
  };
  CatalogFolder& FolderOf(const ARpObject& folder);
  std::unique_ptr<pretty_detail::NameCache> m_folderIndex;  // folder id: index in m_folders
  std::vector<CatalogFolder> m_folders;
  // Scratch of WriteCatalogReference, kept for its capacity only.
  std::vector<const ARpObject*> m_catalogTables;
  std::vector<std::uint32_t> m_catalogTuples;
};
