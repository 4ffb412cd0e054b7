// Reading repository files (see objectmodel/RpFile.h for the format) with
// a Xerces-C scanner that calls the handler straight: a million-object file
// is read in one pass without a DOM, and without a SAX2 layer copying each
// element's attributes. Objects are created in file order, a few hundred at
// a time after their elements are read. A child whose parent is already
// there is linked at once; the others (a parent listed after its child, a
// child with a pos) are linked once every object exists, ahead of the
// children their parent got at once, so that children keep the file's
// order. Relation tuples are applied at the end too. The handler stops the
// parse at its first fault by throwing out of the scanner; a file that is
// not well-formed is read again token by token (see ParseOnce).
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLAttr.hpp>
#include <xercesc/framework/XMLDocumentHandler.hpp>
#include <xercesc/framework/XMLErrorReporter.hpp>
#include <xercesc/framework/XMLPScanToken.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "Expr/ToStringVisitor.h"
#include "Utility/DataBlobUtil.h"
#include "Utility/Hex.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUGDOM.h"
#include "Utility/VXAssert.h"
#include "Utility/VoidIDText.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/RpFile.h"

using namespace xercesc;

namespace {

struct Pos {
  std::uint64_t line = 0;
  std::uint64_t column = 0;
};

enum class El : std::uint8_t {
  kRepository,
  kBlob,
  kObject,
  kAlias,
  kProp,
  kS,
  kEntry,
  kMap,
  kLogical,
  kPhysical,
  kTable,
  kJoin,
  kWhere,
  kTuple,
};

struct ElementName {
  const char16_t* name;
  El el;
};
constexpr ElementName kElements[] = {
    {u"object", El::kObject},
    {u"prop", El::kProp},
    {u"alias", El::kAlias},
    {u"tuple", El::kTuple},
    {u"s", El::kS},
    {u"entry", El::kEntry},
    {u"map", El::kMap},
    {u"logical", El::kLogical},
    {u"physical", El::kPhysical},
    {u"table", El::kTable},
    {u"join", El::kJoin},
    {u"where", El::kWhere},
    {u"blob", El::kBlob},
    {u"repository", El::kRepository},
};

enum class PropType : std::uint8_t {
  kString,
  kBool,
  kInt,
  kBytes,
  kID,
  kStrings,
  kMap,
  kExpr,
  kMultiplicity,
  kSource,
  kNull
};
struct PropTypeName {
  const char16_t* name;
  PropType type;
};
constexpr PropTypeName kPropTypes[] = {
    {u"string", PropType::kString}, {u"bool", PropType::kBool}, {u"int", PropType::kInt},
    {u"bytes", PropType::kBytes},   {u"id", PropType::kID},     {u"strings", PropType::kStrings},
    {u"map", PropType::kMap},       {u"expr", PropType::kExpr}, {u"multiplicity", PropType::kMultiplicity},
    {u"source", PropType::kSource}, {u"null", PropType::kNull},
};

// The written type each key takes (besides null, which any key may be).
// A key not listed takes any type.
struct PropKeyType {
  RpProp key;
  PropType type;
};
constexpr PropKeyType kPropKeyTypes[] = {
    {RpProp::kDisplayName, PropType::kString},
    {RpProp::kDisplayNameUse, PropType::kBool},
    {RpProp::kDisplayDescription, PropType::kString},
    {RpProp::kDisplayDescriptionUse, PropType::kBool},
    {RpProp::kTranslationKey, PropType::kString},
    {RpProp::kDescription, PropType::kString},
    {RpProp::kGUID, PropType::kBytes},
    {RpProp::kUpgradeID, PropType::kBytes},
    {RpProp::kPropertyMap, PropType::kMap},
    {RpProp::kExpr, PropType::kExpr},
    {RpProp::kVariableType, PropType::kInt},
    {RpProp::kHideObjectExpr, PropType::kExpr},
    {RpProp::kAggrExpr, PropType::kExpr},
    {RpProp::kJoinExpr, PropType::kExpr},
    {RpProp::kJoinType, PropType::kInt},
    {RpProp::kTableType, PropType::kInt},
    {RpProp::kDataType, PropType::kString},
    {RpProp::kNullable, PropType::kBool},
    {RpProp::kDerived, PropType::kBool},
    {RpProp::kTargetType, PropType::kInt},
    {RpProp::kDatabaseProperties, PropType::kStrings},
    {RpProp::kDataSourceName, PropType::kString},
    {RpProp::kDBUserName, PropType::kString},
    {RpProp::kXMLADataSourceInfo, PropType::kString},
    {RpProp::kServerName, PropType::kString},
    {RpProp::kServerPort, PropType::kString},
    {RpProp::kEJBBean, PropType::kString},
    {RpProp::kOrreryServiceName, PropType::kString},
    {RpProp::kWSDL, PropType::kString},
    {RpProp::kQPLKey, PropType::kString},
    {RpProp::kEncryptedPassword, PropType::kBytes},
    {RpProp::kPostConnectStrings, PropType::kStrings},
    {RpProp::kPreDisconnectStrings, PropType::kStrings},
    {RpProp::kBeforeQueryStrings, PropType::kStrings},
    {RpProp::kAfterQueryStrings, PropType::kStrings},
    {RpProp::kHostName, PropType::kString},
    {RpProp::kBaseDN, PropType::kString},
    {RpProp::kKeyDBFile, PropType::kString},
    {RpProp::kBindPassword, PropType::kBytes},
    {RpProp::kKeyDBPassword, PropType::kBytes},
    {RpProp::kMultiplicity, PropType::kMultiplicity},
    {RpProp::kSourceDefinition, PropType::kSource},
    {RpProp::kDimensionToCache, PropType::kID},
    {RpProp::kLevelKey, PropType::kID},
    {RpProp::kSubjectArea, PropType::kID},
    {RpProp::kInitString, PropType::kString},
    {RpProp::kDisabled, PropType::kBool},
    {RpProp::kBlockType, PropType::kInt},
};

std::string PropTypeText(PropType type) {
  for (const PropTypeName& t : kPropTypes) {
    if (t.type == type) return std::string(t.name, t.name + std::char_traits<char16_t>::length(t.name));
  }
  return "?";
}

// The type a key must be written with, or null when any will do.
const PropType* ExpectedPropType(RpProp key) {
  for (const PropKeyType& k : kPropKeyTypes) {
    if (k.key == key) return &k.type;
  }
  return nullptr;
}

bool Equals(const XMLCh* a, const char16_t* b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

std::string Narrow(const XMLCh* s) {
  if (!s) return std::string();
  return ToNarrow(FromUtf16(s));
}

// A short quotation of a value for messages.
std::string Quote(const std::string& s) { return "'" + (s.size() > 60 ? s.substr(0, 60) + "..." : s) + "'"; }

class LoadFailure {
 public:
  Pos pos;
  std::string message;
};

// An element's attributes as the scanner hands them over. Namespaces are
// off, so an attribute's qualified name is its whole name.
class AttrList {
 public:
  AttrList(const RefVectorOf<XMLAttr>& list, XMLSize_t count) : m_list(list), m_count(count) {}
  XMLSize_t Length() const { return m_count; }
  // An unprefixed name, every name of a repository file, is its local
  // part, read without the call that would put a prefixed name together.
  const XMLCh* QName(XMLSize_t i) const {
    const XMLAttr* a = m_list.elementAt(i);
    return *a->getPrefix() ? a->getQName() : a->getName();
  }
  const XMLCh* Value(XMLSize_t i) const { return m_list.elementAt(i)->getValue(); }
  // The value of the attribute named name, or null.
  const XMLCh* Value(const char16_t* name) const {
    for (XMLSize_t i = 0; i < m_count; ++i) {
      if (Equals(QName(i), name)) return Value(i);
    }
    return nullptr;
  }

 private:
  const RefVectorOf<XMLAttr>& m_list;
  XMLSize_t m_count;
};

class Handler : public XMLDocumentHandler, public XMLErrorReporter {
 public:
  // bLinkAtOnce: link a child whose parent is already loaded as it arrives.
  // Without, every link waits for the end and is applied in file order,
  // which is also what decides which link an error names.
  Handler(ARpGateway& rp, std::string source, bool bLinkAtOnce)
      : m_rp(rp), m_source(std::move(source)), m_bLinkAtOnce(bLinkAtOnce) {}

  void SetLocator(const Locator* locator) { m_locator = locator; }

  // The scanner's events. An empty element gets no end event of its own.
  void startElement(const XMLElementDecl& decl, const unsigned int, const XMLCh* const,
                    const RefVectorOf<XMLAttr>& attrs, const XMLSize_t count, const bool bEmpty, const bool) override {
    StartElement(decl.getFullName(), AttrList(attrs, count));
    if (bEmpty) EndElement();
  }
  void endElement(const XMLElementDecl&, const unsigned int, const bool, const XMLCh* const) override { EndElement(); }
  void docCharacters(const XMLCh* const chars, const XMLSize_t length, const bool) override {
    Characters(chars, length);
  }
  void docComment(const XMLCh* const) override {}
  void docPI(const XMLCh* const, const XMLCh* const) override {}
  void startDocument() override {}
  void endDocument() override {}
  void resetDocument() override {}
  void ignorableWhitespace(const XMLCh* const, const XMLSize_t, const bool) override {}
  void startEntityReference(const XMLEntityDecl&) override {}
  void endEntityReference(const XMLEntityDecl&) override {}
  void XMLDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const, const XMLCh* const) override {}
  // Every error is a fault of the file; warnings are not. What the reader
  // refused to open is no malformed XML.
  void error(const unsigned int, const XMLCh* const domain, const XMLErrorReporter::ErrTypes type,
             const XMLCh* const text, const XMLCh* const, const XMLCh* const, const XMLFileLoc line,
             const XMLFileLoc column) override {
    if (type == XMLErrorReporter::ErrType_Warning) return;
    if (domain == SUGDOM::RefusalDomain()) {
      Fail(Pos{static_cast<std::uint64_t>(line), static_cast<std::uint64_t>(column)}, Narrow(text));
    } else {
      FailXml(text, line, column);
    }
  }
  void resetErrors() override {}

  bool Failed() const { return m_failure.has_value(); }
  // Whether the fault recorded is the parser's (malformed XML).
  bool FailedOnXml() const { return m_bXmlFault; }
  // Thrown out of the parser at the first event after a fault: a file
  // parsed in one call, which is cheaper than asking for one token at a
  // time, is stopped early by the handler.
  struct Stop {};
  const LoadFailure& Failure() const { return *m_failure; }
  bool SawRoot() const { return m_bSawRoot; }
  // Creates the objects read and not made yet (see m_pending).
  void Settle() {
    if (!m_pending.empty()) CreatePending();
  }
  // Whether the fault recorded needs the file read again in file order to
  // be placed (see m_pending).
  bool FailedUnplaced() const { return m_bUnplaced; }
  void ReserveLinks(std::size_t n) { m_links.reserve(n); }
  // Parent links and tuples, once every object exists.
  void Finish();

 private:
  struct ParentLink {
    ARpObject* child;
    VoidID parent;
    std::int64_t pos;  // -1: none
    Pos at;
  };
  struct Frame {
    El el;
    bool bEsc;
    Pos at;  // where the element's content starts
  };

  Pos Here() const {
    return m_locator ? Pos{static_cast<std::uint64_t>(m_locator->getLineNumber()),
                           static_cast<std::uint64_t>(m_locator->getColumnNumber())}
                     : Pos{};
  }
  // Faults are rare: kept out of line, they leave the callers' common path
  // as it is.
  [[gnu::cold, gnu::noinline]] void Fail(const Pos& at, std::string message) {
    if (!m_failure) m_failure = LoadFailure{at, std::move(message)};
  }
  [[gnu::cold, gnu::noinline]] void Fail(std::string message) { Fail(Here(), std::move(message)); }
  void FailXml(const XMLCh* text, XMLFileLoc line, XMLFileLoc column) {
    m_bXmlFault = m_bXmlFault || !m_failure;
    Fail(Pos{static_cast<std::uint64_t>(line), static_cast<std::uint64_t>(column)}, "malformed XML: " + Narrow(text));
  }

  void StartElement(const XMLCh* name, const AttrList& attrs);
  void EndElement();
  void Characters(const XMLCh* chars, XMLSize_t length);

  // Attribute text as code points, unescaped when the element says esc="1".
  bool GetString(const AttrList& attrs, const char16_t* name, bool bEsc, VXString& out, bool bRequired);
  bool Unescape(VXString& s);
  bool ParseID(const XMLCh* text, VoidID& id);
  bool ParseIDText(const VXString& text, VoidID& id);
  bool ParseInt(const VXString& text, std::int64_t& v);
  bool ParseHex(const VXString& text, ByteVector& bytes);
  bool ParseExpr(const VXString& text, const Pos& at, Expr& expr);
  VXString TakeText();

  void StartObject(const AttrList& attrs);
  void CreatePending();
  // The object, linked to its parent at once when it can be (see
  // m_bLinkAtOnce), else with its link kept for the end; null for an id
  // already taken.
  ARpObject* Create(const VoidID& id, VXString&& name, ParentLink link);
  void StartProp(const AttrList& attrs, bool bEsc);
  void EndProp();
  void StartTuple(const AttrList& attrs);

  // The links left for the end, in file order.
  void LinkDeferred(const std::vector<const ParentLink*>& order);
  // The deferred links on top of those made at once (see bLinkAtOnce).
  void LinkDeferredAfterOthers(const std::vector<const ParentLink*>& order);
  bool MayLiveUnder(TypeID child, TypeID parent);

  ARpGateway& m_rp;
  std::string m_source;
  const bool m_bLinkAtOnce;
  const Locator* m_locator = nullptr;
  // A type of the catalogue seen before, and the parent found last (objects
  // are never deleted while the file loads, so the pointer stays good).
  const AMetaClass* m_knownClass = nullptr;
  VoidID m_lastParentID;
  ARpObject* m_lastParent = nullptr;
  // The object id names, or null. Siblings are listed together, so their
  // parent is asked for once a run.
  ARpObject* FindParent(const VoidID& id) {
    if (!m_lastParent || id != m_lastParentID) {
      m_lastParentID = id;
      m_lastParent = m_rp.GetObject(id).Get();
    }
    return m_lastParent;
  }
  // The parent types of the type seen last.
  TypeID m_allowedFor = 0;
  const TypeIDVector* m_allowed = nullptr;
  std::optional<LoadFailure> m_failure;
  bool m_bXmlFault = false;
  bool m_bSawRoot = false;
  std::vector<Frame> m_stack;
  std::u16string m_text;
  bool m_bCollectText = false;

  ARpObject* m_pObject = nullptr;
  RpProp m_propKey = RpProp::kCount;
  PropType m_propType = PropType::kString;
  Pos m_propAt;
  VXString m_propFormat;
  VXStringVector m_strings;
  VXStringStringMap m_map;
  VXString m_entryKey;
  std::shared_ptr<RpSourceDefinition> m_sourceDefn;
  std::optional<Expr> m_logical;
  bool m_bMapDone = false;
  bool m_bNullSource = false;
  Multiplicity m_multiplicity;
  std::set<int> m_blobNumbers;
  int m_blobNumber = 0;

  // Objects read and not created yet. Linking at once, objects are created
  // in runs once a few hundred are read, or when an element needs the last
  // one: a tight loop of creations keeps the gateway's tables in cache,
  // where one creation per element shares it with the parser. A fault met
  // there has no place in the file: it is flagged, and Parse reads the file
  // again with each object made as it arrives (see m_bLinkAtOnce).
  struct Pending {
    VoidID id;
    VoidID parent;
    std::int64_t pos;
    // The name as the parser gave it, in m_pendingNames: it becomes a
    // string, one heap block, in the run.
    std::size_t nameAt;
    std::size_t nameLength;
  };
  static constexpr std::size_t kPendingRun = 256;
  std::vector<Pending> m_pending;
  std::u16string m_pendingNames;
  bool m_bUnplaced = false;

  std::vector<ParentLink> m_links;
  std::vector<ARpGateway::RelTuple> m_tuples;
  std::vector<Pos> m_tupleAt;
};

bool Handler::Unescape(VXString& s) {
  if (s.find(U'\\') == VXString::npos) return true;
  VXString out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != U'\\') {
      out.push_back(s[i]);
      continue;
    }
    if (i + 1 < s.size() && s[i + 1] == U'\\') {
      out.push_back(U'\\');
      ++i;
      continue;
    }
    if (i + 2 < s.size() && s[i + 1] == U'u' && s[i + 2] == U'{') {
      std::size_t j = i + 3;
      std::uint32_t v = 0;
      std::size_t digits = 0;
      for (; j < s.size() && s[j] != U'}' && digits <= 8; ++j, ++digits) {
        const int d = Hex::DigitValue(s[j]);
        if (d < 0) break;
        v = v * 16 + static_cast<std::uint32_t>(d);
      }
      if (j < s.size() && s[j] == U'}' && digits > 0 && digits <= 8 && v > 0x10FFFF) {
        Fail("bad escape \\u{" + ToNarrow(s.substr(i + 3, digits)) + "}: beyond the last code point U+10FFFF");
        return false;
      }
      if (j < s.size() && s[j] == U'}' && digits > 0 && digits <= 8) {
        out.push_back(static_cast<char32_t>(v));
        i = j;
        continue;
      }
    }
    Fail("bad escape in text of an element with esc=\"1\" (write \\\\ for a backslash, \\u{HEX} for a character)");
    return false;
  }
  s = std::move(out);
  return true;
}

bool Handler::GetString(const AttrList& attrs, const char16_t* name, bool bEsc, VXString& out, bool bRequired) {
  const XMLCh* v = attrs.Value(name);
  out.clear();
  if (!v) {
    if (bRequired)
      Fail("attribute " + ToNarrow(VXString(name, name + std::char_traits<char16_t>::length(name))) + " is missing");
    return !bRequired;
  }
  AppendFromUtf16(out, v);
  return !bEsc || Unescape(out);
}

// A decimal number with an optional minus sign, the whole text; read from
// the parser's UTF-16 or from collected text.
template <class CharT>
bool ParseDecimal(std::basic_string_view<CharT> text, std::int64_t& v) {
  std::string s(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] > 0x7F) return false;
    s[i] = static_cast<char>(text[i]);
  }
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

bool Handler::ParseIDText(const VXString& text, VoidID& id) { return VoidIDText::Parse(std::u32string_view(text), id); }

// Read straight from the parser's UTF-16, up to the NUL that ends an attribute.
bool Handler::ParseID(const XMLCh* text, VoidID& id) {
  return VoidIDText::ParseFrom(
      text, [](const XMLCh* p) { return *p == 0; }, id);
}

bool Handler::ParseInt(const VXString& text, std::int64_t& v) { return ParseDecimal(std::u32string_view(text), v); }

bool Handler::ParseHex(const VXString& text, ByteVector& bytes) {
  return Hex::DecodeBytes(std::u32string_view(text), bytes);
}

bool Handler::ParseExpr(const VXString& text, const Pos& at, Expr& expr) {
  try {
    expr = ToStringVisitor::ExprFrom(text);
    return true;
  } catch (const ExprTextError& e) {
    // Place the error in the file: count the lines of the text before it.
    Pos where = at;
    const std::size_t upto = std::min(e.GetPosition(), text.size());
    for (std::size_t i = 0; i < upto; ++i) {
      if (text[i] == U'\n') {
        ++where.line;
        where.column = 1;
      } else {
        ++where.column;
      }
    }
    Fail(where, std::string("bad expression text at character ") + std::to_string(e.GetPosition()) + ": " + e.what());
    return false;
  }
}

VXString Handler::TakeText() {
  VXString t;
  AppendFromUtf16(t, m_text);
  m_text.clear();
  m_bCollectText = false;
  return t;
}

void Handler::Characters(const XMLCh* chars, XMLSize_t length) {
  if (Failed()) throw Stop{};
  if (m_bCollectText) {
    m_text.append(chars, length);
    return;
  }
  for (XMLSize_t i = 0; i < length; ++i) {
    const XMLCh c = chars[i];
    if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r') {
      Fail("unexpected text " + Quote(Narrow(std::u16string(chars, length).c_str())) +
           " (only the elements alias, "
           "prop, s, entry, logical, physical, where and blob hold text)");
      return;
    }
  }
}

void Handler::StartElement(const XMLCh* localname, const AttrList& attrs) {
  // Namespaces are off, so the qualified name is the element's name.
  if (Failed()) throw Stop{};
  const El* pEl = nullptr;
  for (const ElementName& e : kElements) {
    if (Equals(localname, e.name)) {
      pEl = &e.el;
      break;
    }
  }
  if (!pEl) {
    Fail("unknown element <" + Narrow(localname) + ">");
    return;
  }
  const El el = *pEl;
  // Every other element may need the objects before it.
  if (el != El::kObject) {
    Settle();
    if (Failed()) return;
  }
  const El parent = m_stack.empty() ? El::kRepository : m_stack.back().el;
  const bool bTop = m_stack.empty();
  bool bPlaced = false;
  switch (el) {
    case El::kRepository:
      bPlaced = bTop;
      break;
    case El::kBlob:
    case El::kObject:
    case El::kTuple:
      bPlaced = !bTop && parent == El::kRepository;
      break;
    case El::kAlias:
    case El::kProp:
      bPlaced = !bTop && parent == El::kObject;
      break;
    case El::kS:
      bPlaced = parent == El::kProp && m_propType == PropType::kStrings;
      break;
    case El::kEntry:
      bPlaced = parent == El::kProp && m_propType == PropType::kMap;
      break;
    case El::kMap:
    case El::kTable:
    case El::kJoin:
    case El::kWhere:
      bPlaced = parent == El::kProp && m_propType == PropType::kSource;
      break;
    case El::kLogical:
    case El::kPhysical:
      bPlaced = parent == El::kMap;
      break;
  }
  if (!bPlaced) {
    Fail("element <" + Narrow(localname) + "> is not allowed " +
         (bTop ? std::string("as the document element (expected <repository>)") : std::string("here")));
    return;
  }
  // An object reads esc in its own pass over the attributes, a tuple has
  // no text to unescape, and no error is placed at the content of either:
  // the million objects of a large file skip a scan of their attributes
  // and a question to the locator.
  const bool bBare = el == El::kObject || el == El::kTuple;
  const XMLCh* esc = bBare ? nullptr : attrs.Value(u"esc");
  const bool bEsc = esc && Equals(esc, u"1");
  m_stack.push_back(Frame{el, bEsc, bBare ? Pos{} : Here()});

  switch (el) {
    case El::kRepository: {
      m_bSawRoot = true;
      const XMLCh* fmt = attrs.Value(u"format");
      if (!fmt || !Equals(fmt, u"1")) {
        Fail("unsupported repository file format " + Quote(Narrow(fmt)) + " (this reader knows format=\"1\")");
        return;
      }
      VXString name;
      if (GetString(attrs, u"name", bEsc, name, false)) m_rp.SetLogicalName(name);
      break;
    }
    case El::kBlob: {
      VXString n;
      std::int64_t number = 0;
      if (!GetString(attrs, u"number", false, n, true)) return;
      if (!ParseInt(n, number) || number < 0 || number > INT32_MAX) {
        Fail("bad blob number " + Quote(ToNarrow(n)) + " (expected a number from 0 to 2147483647)");
        return;
      }
      if (!m_blobNumbers.insert(static_cast<int>(number)).second) {
        Fail("blob " + std::to_string(number) + " is given twice");
        return;
      }
      m_blobNumber = static_cast<int>(number);
      m_bCollectText = true;
      break;
    }
    case El::kObject:
      StartObject(attrs);
      break;
    case El::kProp:
      StartProp(attrs, bEsc);
      break;
    case El::kTuple:
      StartTuple(attrs);
      break;
    case El::kEntry:
      if (!GetString(attrs, u"key", bEsc, m_entryKey, true)) return;
      if (m_map.count(m_entryKey)) {
        Fail("map key " + Quote(ToNarrow(m_entryKey)) + " is given twice");
        return;
      }
      m_bCollectText = true;
      break;
    case El::kAlias:
    case El::kS:
    case El::kWhere:
    case El::kLogical:
    case El::kPhysical:
      if (el == El::kWhere || el == El::kLogical || el == El::kPhysical) {
        if (!GetString(attrs, u"format", bEsc, m_propFormat, false)) return;
      }
      m_bCollectText = true;
      break;
    case El::kMap:
      m_logical.reset();
      m_bMapDone = false;
      break;
    case El::kTable: {
      const XMLCh* id = attrs.Value(u"id");
      VoidID table;
      if (!id || !ParseID(id, table)) {
        Fail("<table> needs id=\"TYPE:NUMBER\"");
        return;
      }
      m_sourceDefn->m_physicalTables.push_back(table);
      break;
    }
    case El::kJoin: {
      VoidID l, r, j;
      const XMLCh* a = attrs.Value(u"left");
      const XMLCh* b = attrs.Value(u"right");
      const XMLCh* c = attrs.Value(u"join");
      if (!a || !b || !c || !ParseID(a, l) || !ParseID(b, r) || !ParseID(c, j)) {
        Fail("<join> needs left, right and join ids (TYPE:NUMBER; 0:0 for none)");
        return;
      }
      m_sourceDefn->m_joins.push_back({{l, r}, j});
      break;
    }
  }
}

void Handler::StartObject(const AttrList& attrs) {
  m_pObject = nullptr;
  // One pass over the attributes: a lookup by name scans them every time,
  // and a million objects each ask for five.
  const XMLCh* idText = nullptr;
  const XMLCh* nameText = nullptr;
  const XMLCh* parent = nullptr;
  const XMLCh* pos = nullptr;
  const XMLCh* esc = nullptr;
  for (XMLSize_t i = 0, n = attrs.Length(); i < n; ++i) {
    const XMLCh* q = attrs.QName(i);
    const XMLCh** slot = nullptr;
    switch (q[0]) {
      case u'i':
        if (Equals(q, u"id")) slot = &idText;
        break;
      case u'n':
        if (Equals(q, u"name")) slot = &nameText;
        break;
      case u'p':
        slot = Equals(q, u"parent") ? &parent : Equals(q, u"pos") ? &pos : nullptr;
        break;
      case u'e':
        if (Equals(q, u"esc")) slot = &esc;
        break;
      default:
        break;
    }
    if (slot) *slot = attrs.Value(i);
  }
  const bool bEsc = esc && Equals(esc, u"1");
  VoidID id;
  if (!idText) {
    Fail("<object> without id (write id=\"TYPE:NUMBER\")");
    return;
  }
  if (!ParseID(idText, id) || id.IsNull()) {
    Fail("bad object id " + Quote(Narrow(idText)) + " (expected TYPE:NUMBER, e.g. 3001:7)");
    return;
  }
  if (!m_knownClass || m_knownClass->GetTypeID() != id.m_interfaceTypeID)
    m_knownClass = AMetaClass::FromTypeID(id.m_interfaceTypeID);
  if (!m_knownClass) {
    Fail("unknown type " + std::to_string(id.m_interfaceTypeID) + " in object id " + Quote(Narrow(idText)));
    return;
  }
  if (!nameText) {
    Fail("attribute name is missing");
    return;
  }
  ParentLink link{nullptr, VoidID::NullID, -1, Pos{}};
  if (parent) {
    if (!ParseID(parent, link.parent) || link.parent.IsNull()) {
      Fail("bad parent id " + Quote(Narrow(parent)) + " (expected TYPE:NUMBER)");
      return;
    }
  }
  if (pos) {
    if (link.parent.IsNull() || !ParseDecimal(std::u16string_view(pos), link.pos) || link.pos < 0) {
      Fail("bad pos " + Quote(Narrow(pos)) + " (a place among the parent's children: 0, 1, ...; needs parent)");
      return;
    }
  }
  if (m_bLinkAtOnce && !bEsc) {
    const std::size_t length = std::char_traits<char16_t>::length(nameText);
    m_pending.push_back(Pending{id, link.parent, link.pos, m_pendingNames.size(), length});
    m_pendingNames.append(nameText, length);
    if (m_pending.size() == kPendingRun) CreatePending();
    return;
  }
  // A name to unescape is read at once, so that a bad escape is reported
  // where it is; the objects before it come first.
  Settle();
  if (Failed()) return;
  VXString name;
  AppendFromUtf16(name, nameText);
  if (bEsc && !Unescape(name)) return;
  link.at = Here();
  m_pObject = Create(id, std::move(name), link);
  if (!m_pObject) Fail("duplicate object id " + Quote(Narrow(idText)));
}

ARpObject* Handler::Create(const VoidID& id, VXString&& name, ParentLink link) {
  // A parent already loaded takes the child now, unless the child has a
  // place of its own among the children or may not live there (the end
  // reports that, in file order).
  ARpObject* parentNow = nullptr;
  if (m_bLinkAtOnce && !link.parent.IsNull() && link.pos < 0) {
    parentNow = FindParent(link.parent);
    if (parentNow && !MayLiveUnder(id.m_interfaceTypeID, parentNow->GetTypeID())) parentNow = nullptr;
  }
  // The gateway refuses an id already taken; asking it first would cost a
  // second lookup per object.
  ARpObject* obj = m_rp.CreateObjectWithID(id, std::move(name), parentNow);
  if (obj && !link.parent.IsNull() && !parentNow) {
    link.child = obj;
    m_links.push_back(link);
  }
  return obj;
}

void Handler::CreatePending() {
  std::vector<Pending> run;
  run.swap(m_pending);
  const std::u16string_view names(m_pendingNames);
  for (const Pending& p : run) {
    VXString name;
    AppendFromUtf16(name, names.substr(p.nameAt, p.nameLength));
    m_pObject = Create(p.id, std::move(name), ParentLink{nullptr, p.parent, p.pos, Pos{}});
    if (!m_pObject) {
      m_bUnplaced = true;
      Fail(Pos{}, "duplicate object id");
      return;
    }
  }
  run.clear();
  m_pending.swap(run);
  m_pendingNames.clear();
}

bool Handler::MayLiveUnder(TypeID child, TypeID parent) {
  if (!m_allowed || m_allowedFor != child) {
    m_allowedFor = child;
    m_allowed = &GetParentTypeIDs(child);
  }
  return std::find(m_allowed->begin(), m_allowed->end(), parent) != m_allowed->end();
}

void Handler::StartProp(const AttrList& attrs, bool bEsc) {
  m_propAt = Here();
  const XMLCh* key = attrs.Value(u"key");
  if (!key) {
    Fail("<prop> without key");
    return;
  }
  const std::string keyName = Narrow(key);
  if (!RpPropFromName(keyName, m_propKey)) {
    Fail("unknown property " + Quote(keyName));
    return;
  }
  if (m_pObject->HasProperty(m_propKey)) {
    Fail("property " + Quote(keyName) + " is given twice");
    return;
  }
  m_propType = PropType::kString;
  if (const XMLCh* type = attrs.Value(u"type")) {
    bool bKnown = false;
    for (const PropTypeName& t : kPropTypes) {
      if (Equals(type, t.name)) {
        m_propType = t.type;
        bKnown = true;
        break;
      }
    }
    if (!bKnown) {
      Fail("unknown property type " + Quote(Narrow(type)) +
           " (string, bool, int, bytes, id, strings, map, expr, multiplicity, source, null)");
      return;
    }
  }
  if (const PropType* expected = ExpectedPropType(m_propKey);
      expected && *expected != m_propType && m_propType != PropType::kNull) {
    const std::string want = PropTypeText(*expected);
    Fail("property " + Quote(keyName) + " takes a value of type " + want + ", not " + PropTypeText(m_propType) +
         (*expected == PropType::kString ? " (write it without a type attribute)"
                                         : " (write it with type=\"" + want + "\")"));
    return;
  }
  switch (m_propType) {
    case PropType::kStrings:
      m_strings.clear();
      break;
    case PropType::kMap:
      m_map.clear();
      break;
    case PropType::kSource: {
      m_sourceDefn = std::make_shared<RpSourceDefinition>();
      const XMLCh* d = attrs.Value(u"distinct");
      m_sourceDefn->m_bDistinct = d && Equals(d, u"true");
      const XMLCh* n = attrs.Value(u"null");
      m_bNullSource = n && Equals(n, u"true");
      break;
    }
    case PropType::kMultiplicity: {
      const char16_t* names[] = {u"start", u"end", u"lower", u"upper"};
      std::int64_t v[4] = {0, 2, 0, 0};
      for (int i = 0; i < 4; ++i) {
        VXString t;
        if (!GetString(attrs, names[i], false, t, false)) return;
        if (!t.empty() && (!ParseInt(t, v[i]) || v[i] < 0 || (i < 2 && v[i] > 3) || v[i] > INT32_MAX)) {
          Fail("bad multiplicity " +
               ToNarrow(VXString(names[i], names[i] + std::char_traits<char16_t>::length(names[i]))) + " " +
               Quote(ToNarrow(t)) + " (start and end: 0 zero, 1 one, 2 many, 3 unknown)");
          return;
        }
      }
      m_multiplicity = Multiplicity{static_cast<MultiplicityTypes::Cardinality>(v[0]),
                                    static_cast<MultiplicityTypes::Cardinality>(v[1]), static_cast<int>(v[2]),
                                    static_cast<int>(v[3])};
      break;
    }
    case PropType::kExpr:
      if (!GetString(attrs, u"format", bEsc, m_propFormat, false)) return;
      m_bCollectText = true;
      break;
    case PropType::kNull:
      break;
    default:
      m_bCollectText = true;
  }
}

void Handler::EndProp() {
  RpPropValue value;
  if (m_propType == PropType::kStrings) {
    value = std::move(m_strings);
    m_strings = VXStringVector();
  } else if (m_propType == PropType::kMap) {
    value = std::move(m_map);
    m_map = VXStringStringMap();
  } else if (m_propType == PropType::kSource) {
    value = m_bNullSource ? std::shared_ptr<const RpSourceDefinition>()
                          : std::shared_ptr<const RpSourceDefinition>(std::move(m_sourceDefn));
  } else if (m_propType == PropType::kMultiplicity) {
    value = m_multiplicity;
  } else if (m_propType == PropType::kNull) {
    value = std::monostate();
  } else {
    VXString text = TakeText();
    if (m_stack.back().bEsc && !Unescape(text)) return;
    switch (m_propType) {
      case PropType::kString:
        value = std::move(text);
        break;
      case PropType::kBool:
        if (text != U"true" && text != U"false") {
          Fail(m_propAt, "bad bool " + Quote(ToNarrow(text)) + " (true or false)");
          return;
        }
        value = text == U"true";
        break;
      case PropType::kInt: {
        std::int64_t v = 0;
        if (!ParseInt(text, v)) {
          Fail(m_propAt, "bad int " + Quote(ToNarrow(text)));
          return;
        }
        value = v;
        break;
      }
      case PropType::kBytes: {
        ByteVector b;
        if (!ParseHex(text, b)) {
          Fail(m_propAt, "bad bytes " + Quote(ToNarrow(text)) + " (pairs of hex digits)");
          return;
        }
        value = std::move(b);
        break;
      }
      case PropType::kID: {
        VoidID id;
        if (!ParseIDText(text, id)) {
          Fail(m_propAt, "bad id " + Quote(ToNarrow(text)) + " (expected TYPE:NUMBER)");
          return;
        }
        value = id;
        break;
      }
      case PropType::kExpr: {
        Expr e;
        if (!ParseExpr(text, m_propAt, e)) return;
        e.SetFormatStr(m_propFormat);
        value = std::move(e);
        break;
      }
      default:
        break;
    }
  }
  m_pObject->SetProperty(m_propKey, std::move(value));
}

void Handler::StartTuple(const AttrList& attrs) {
  // One pass over the attributes, as for objects.
  const XMLCh* relText = nullptr;
  const XMLCh* argsText = nullptr;
  for (XMLSize_t i = 0, n = attrs.Length(); i < n; ++i) {
    const XMLCh* q = attrs.QName(i);
    if (Equals(q, u"rel")) {
      relText = attrs.Value(i);
    } else if (Equals(q, u"args")) {
      argsText = attrs.Value(i);
    }
  }
  if (!relText || !argsText) {
    Fail("<tuple> needs rel and args");
    return;
  }
  std::int64_t rel = 0;
  if (!ParseDecimal(std::u16string_view(relText), rel) || rel < INT32_MIN || rel > INT32_MAX) {
    Fail("bad relation number " + Quote(Narrow(relText)));
    return;
  }
  const RpRel::RelationInfo* info = RpRel::GetRelationInfo(RelID(static_cast<std::int32_t>(rel)));
  if (!info) {
    Fail("unknown relation " + std::to_string(rel));
    return;
  }
  if (rel == RpRel::kContainment.m_systemID) {
    Fail("relation 1 is containment: give the child a parent attribute instead");
    return;
  }
  ARpGateway::RelTuple tuple{RelID(static_cast<std::int32_t>(rel)), {}};
  // The ids are read where the parser left them.
  const std::u16string_view args(argsText);
  tuple.m_args.reserve(static_cast<std::size_t>(info->m_arity));
  std::size_t i = 0;
  while (i < args.size()) {
    while (i < args.size() && args[i] == u' ') ++i;
    const std::size_t start = i;
    while (i < args.size() && args[i] != u' ') ++i;
    if (i == start) break;
    VoidID id;
    const std::u16string_view one = args.substr(start, i - start);
    if (!VoidIDText::Parse(one, id) || id.IsNull()) {
      Fail("bad id " + Quote(Narrow(std::u16string(one).c_str())) + " in tuple args (expected TYPE:NUMBER)");
      return;
    }
    tuple.m_args.push_back(id);
  }
  if (static_cast<int>(tuple.m_args.size()) != info->m_arity) {
    Fail("relation " + std::to_string(rel) + " (" + info->m_name + ") takes " + std::to_string(info->m_arity) +
         " ids, this tuple has " + std::to_string(tuple.m_args.size()));
    return;
  }
  m_tuples.push_back(std::move(tuple));
  // Linking at once, a fault at the end has the file read again in file
  // order (see m_bLinkAtOnce): only that reading places tuples.
  if (!m_bLinkAtOnce) m_tupleAt.push_back(Here());
}

void Handler::EndElement() {
  if (Failed()) throw Stop{};
  if (m_stack.empty()) return;
  const Frame frame = m_stack.back();
  switch (frame.el) {
    case El::kBlob: {
      ByteVector b;
      const VXString text = TakeText();
      if (!ParseHex(text, b)) {
        Fail(frame.at, "bad blob bytes (pairs of hex digits)");
        return;
      }
      m_rp.SetDataBlob(m_blobNumber, b);
      break;
    }
    case El::kAlias: {
      VXString alias = TakeText();
      if (frame.bEsc && !Unescape(alias)) return;
      if (!m_rp.AddAlias(m_pObject->GetID(), alias)) {
        Fail(frame.at, "alias " + Quote(ToNarrow(alias)) + " is empty or given twice");
        return;
      }
      break;
    }
    case El::kProp:
      EndProp();
      break;
    case El::kS: {
      VXString s = TakeText();
      if (frame.bEsc && !Unescape(s)) return;
      m_strings.push_back(std::move(s));
      break;
    }
    case El::kEntry: {
      VXString s = TakeText();
      if (frame.bEsc && !Unescape(s)) return;
      m_map.emplace(std::move(m_entryKey), std::move(s));
      break;
    }
    case El::kLogical:
    case El::kPhysical:
    case El::kWhere: {
      VXString s = TakeText();
      if (frame.bEsc && !Unescape(s)) return;
      Expr e;
      if (!ParseExpr(s, frame.at, e)) return;
      e.SetFormatStr(m_propFormat);
      if (frame.el == El::kWhere) {
        m_sourceDefn->m_whereClause = std::move(e);
      } else if (frame.el == El::kLogical) {
        if (m_logical || m_bMapDone) {
          Fail(frame.at, "a <map> holds one <logical> and then one <physical>");
          return;
        }
        m_logical = std::move(e);
      } else {
        if (!m_logical) {
          Fail(frame.at, "a <map> holds one <logical> and then one <physical>");
          return;
        }
        m_sourceDefn->m_logicalToPhysical.emplace_back(std::move(*m_logical), std::move(e));
        m_logical.reset();
        m_bMapDone = true;
      }
      break;
    }
    case El::kMap:
      if (!m_bMapDone) {
        Fail(frame.at, "<map> without <physical>");
        return;
      }
      break;
    case El::kObject:
      m_pObject = nullptr;
      break;
    default:
      break;
  }
  m_stack.pop_back();
}

void Handler::Finish() {
  if (Failed()) return;
  // Children with a pos attribute: each parent's must be 0..n-1, all given.
  std::vector<const ParentLink*> placed;
  for (const ParentLink& l : m_links) {
    if (l.pos >= 0) placed.push_back(&l);
  }
  if (!placed.empty()) {
    std::unordered_map<VoidID, std::size_t, VoidIDHash> childCount;
    for (const ParentLink& l : m_links) ++childCount[l.parent];
    // Children linked at once have no pos; they count among the others.
    if (m_bLinkAtOnce) {
      for (auto& [parentID, count] : childCount) {
        if (const ARpObject* p = m_rp.GetObject(parentID).Get()) count += p->GetChildPointers().size();
      }
    }
    std::sort(placed.begin(), placed.end(), [](const ParentLink* a, const ParentLink* b) {
      return a->parent != b->parent ? a->parent < b->parent : a->pos < b->pos;
    });
    for (std::size_t i = 0; i < placed.size(); ++i) {
      const bool bFirst = i == 0 || placed[i - 1]->parent != placed[i]->parent;
      const std::int64_t expected = bFirst ? 0 : placed[i - 1]->pos + 1;
      if (placed[i]->pos != expected) {
        Fail(placed[i]->at, "pos " + std::to_string(placed[i]->pos) + " among the children of " +
                                ToNarrow(placed[i]->parent.ToString()) + " (expected " + std::to_string(expected) +
                                ": places run 0, 1, ... without gaps or repeats)");
        return;
      }
      const bool bLast = i + 1 == placed.size() || placed[i + 1]->parent != placed[i]->parent;
      if (bLast && static_cast<std::size_t>(placed[i]->pos) + 1 != childCount[placed[i]->parent]) {
        Fail(placed[i]->at, "some children of " + ToNarrow(placed[i]->parent.ToString()) +
                                " have a pos and others not (give every child of that parent a pos, or none)");
        return;
      }
    }
  }
  std::vector<const ParentLink*> order;
  order.reserve(m_links.size());
  for (const ParentLink& l : m_links) order.push_back(&l);
  if (!placed.empty()) {
    // Only the order among one parent's children matters: the slots that
    // its placed children take in file order receive them in pos order.
    std::unordered_map<VoidID, std::vector<const ParentLink*>, VoidIDHash> byParent;
    for (const ParentLink* l : placed) byParent[l->parent].push_back(l);
    std::unordered_map<VoidID, std::size_t, VoidIDHash> next;
    for (const ParentLink*& l : order) {
      if (l->pos < 0) continue;
      l = byParent[l->parent][next[l->parent]++];
    }
  }
  if (m_bLinkAtOnce) {
    LinkDeferredAfterOthers(order);
  } else {
    LinkDeferred(order);
  }
  if (Failed()) return;
  const std::size_t done = m_rp.InsertTuples(m_tuples);
  if (done == m_tuples.size()) return;
  const ARpGateway::RelTuple& t = m_tuples[done];
  const Pos at = done < m_tupleAt.size() ? m_tupleAt[done] : Pos{};
  for (const VoidID& a : t.m_args) {
    if (m_rp.GetObject(a).IsNull()) {
      Fail(at, "dangling reference: tuple argument " + ToNarrow(a.ToString()) + " is not in the file");
      return;
    }
  }
  Fail(at, "the model refuses this tuple of relation " + std::to_string(t.m_rel.m_systemID));
}

void Handler::LinkDeferred(const std::vector<const ParentLink*>& order) {
  for (const ParentLink* l : order) {
    ARpObject* parent = FindParent(l->parent);
    if (!parent) {
      Fail(l->at, "dangling reference: parent " + ToNarrow(l->parent.ToString()) + " of " +
                      ToNarrow(l->child->GetID().ToString()) + " is not in the file");
      return;
    }
    if (!MayLiveUnder(l->child->GetTypeID(), parent->GetTypeID())) {
      Fail(l->at, std::string("an object of type ") + std::to_string(l->child->GetTypeID()) + " (" +
                      l->child->GetMetaClass()->GetClassName() + ") cannot live under " +
                      ToNarrow(l->parent.ToString()) + " (" + parent->GetMetaClass()->GetClassName() + ")");
      return;
    }
    try {
      m_rp.SetObjectParent(l->child, parent);
    } catch (const VXAssertException&) {
      Fail(l->at, "parent " + ToNarrow(l->parent.ToString()) + " of " + ToNarrow(l->child->GetID().ToString()) +
                      " is one of its own descendants (a cycle of parents)");
      return;
    }
  }
}

void Handler::LinkDeferredAfterOthers(const std::vector<const ParentLink*>& order) {
  // A link that waited was listed before its parent, so it comes before
  // every child that parent took at once: those step aside while the
  // waiting ones are linked, and come back after them. A fault here is only
  // flagged: Parse then loads the file again with every link in file order
  // (LinkDeferred), so that the error names the link that order reaches
  // first, whichever way the links were made.
  constexpr const char* kRedo = "parent links to be applied in file order";
  std::vector<ARpObject*> parents;
  parents.reserve(order.size());
  std::vector<std::pair<ARpObject*, std::vector<ARpObject*>>> stepAside;
  for (const ParentLink* l : order) {
    ARpObject* const lastParent = FindParent(l->parent);
    if (!lastParent || !MayLiveUnder(l->child->GetTypeID(), lastParent->GetTypeID())) {
      Fail(l->at, kRedo);
      return;
    }
    parents.push_back(lastParent);
    // Before any waiting link is made, a parent's children are those it
    // took at once; once they stepped aside it has none.
    const ChildPointers now = lastParent->GetChildPointers();
    if (!now.empty()) {
      std::vector<ARpObject*> kids(now.begin(), now.end());
      // Last first, so that each leaves from the end of the slots.
      for (auto it = kids.rbegin(); it != kids.rend(); ++it) m_rp.SetObjectParent(*it, nullptr);
      stepAside.emplace_back(lastParent, std::move(kids));
    }
  }
  try {
    for (std::size_t i = 0; i < order.size(); ++i) m_rp.SetObjectParent(order[i]->child, parents[i]);
    for (const auto& [parent, kids] : stepAside) {
      for (ARpObject* child : kids) m_rp.SetObjectParent(child, parent);
    }
  } catch (const VXAssertException&) {
    Fail(order.empty() ? Pos{} : order.front()->at, kRedo);
  }
}

// A file that a parse refused may hold a byte that is no UTF-8 or a NUL,
// which the parser reports as something else (or nowhere): the first such
// byte, with its line and column (in characters), said plainly. Only for
// files read as UTF-8: without a byte-order mark or another declared encoding.
struct BadByte {
  Pos at;
  std::string message;
};

std::optional<BadByte> FindBadByte(const char* data, std::size_t size) {
  const std::string_view text(data, size);
  if (text.starts_with("\xFE\xFF") || text.starts_with("\xFF\xFE")) return std::nullopt;
  if (text.starts_with("<?xml")) {
    const std::string_view decl = text.substr(0, text.find("?>"));
    const std::size_t enc = decl.find("encoding");
    if (enc != std::string_view::npos) {
      std::string name;
      for (std::size_t i = decl.find_first_of("\"'", enc) + 1;
           i > 0 && i < decl.size() && decl[i] != '"' && decl[i] != '\''; ++i) {
        name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(decl[i]))));
      }
      if (name != "utf-8" && name != "utf8") return std::nullopt;
    }
  }
  const auto* bytes = reinterpret_cast<const uint8_t*>(data);
  const auto length = static_cast<int32_t>(std::min<std::size_t>(size, INT32_MAX));
  Pos at{1, 1};
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", bytes[start]);
      return BadByte{
          at, std::string("the byte ") + hex + " is not valid UTF-8 (the file must be UTF-8, or declare its encoding)"};
    }
    if (c == 0)
      return BadByte{at, "a NUL byte, which no XML text may hold (write the character as \\u{0} with esc=\"1\")"};
    if (c == '\n') {
      ++at.line;
      at.column = 1;
    } else {
      ++at.column;
    }
  }
  return std::nullopt;
}

// Whether a comes before b or is the same place; an unknown place (line 0)
// comes after every known one.
bool NotAfter(const Pos& a, const Pos& b) {
  if (b.line == 0) return true;
  return a.line < b.line || (a.line == b.line && a.column <= b.column);
}

// The error for a parse that failed at failed: the bad byte in front of it
// when there is one, else message.
RpFileError ParseError(const char* data, std::size_t size, const std::string& sourceName, const Pos& failed,
                       const std::string& message) {
  if (const std::optional<BadByte> bad = FindBadByte(data, size); bad && NotAfter(bad->at, failed)) {
    return RpFileError(sourceName, bad->at.line, bad->at.column, bad->message);
  }
  return RpFileError(sourceName, failed.line, failed.column, message);
}

// Thrown when the links made at once meet a fault: the file is loaded
// again linking in file order, for the error that order finds first.
struct RedoInFileOrder {};

// Thrown when a file parsed in one call is not well-formed. The parser
// decodes the input some way ahead of where it reads, so a byte it cannot
// decode would be reported where the reading had got to; read token by
// token, the decoder's own error comes out and the bad byte is named where
// it is.
struct RedoTokenByToken {};

std::unique_ptr<ARpGateway> ParseOnce(const char* data, std::size_t size, const std::string& sourceName,
                                      bool bLinkAtOnce, bool bOneCall) {
  SUGDOM::Initialize();
  auto rp = std::make_unique<ARpGateway>();
  Handler handler(*rp, sourceName, bLinkAtOnce);
  // A written object takes some 70 bytes. Most objects have a parent, and
  // without linking at once every link waits.
  if (!bLinkAtOnce) handler.ReserveLinks(size / 70);
  rp->Reserve(size / 70);
  // Links that wait are made once every object exists; the name indexes
  // are built once at the end rather than kept through a million moves.
  ARpGateway::BulkLoad bulkLoad(*rp);
  // A malformed file is read again token by token, and then with the full
  // scanner, so that its error reads the same whichever scanner met it.
  SUGDOM::UntrustedScanner scanner(bOneCall ? SUGDOM::ScannerFor(std::string_view(data, size)) : XMLUni::fgIGXMLScanner,
                                   handler, handler);
  handler.SetLocator(scanner.Get().getLocator());
  MemBufInputSource input(reinterpret_cast<const XMLByte*>(data), size, sourceName.c_str(), false);
  // The bytes outlive the parse, so the reader reads them in place rather
  // than from a copy of the whole file.
  input.setCopyBufToStream(false);
  // A fault the parser throws rather than reports to the handler.
  std::optional<std::string> xmlThrow;
  try {
    if (bOneCall) {
      scanner.Get().scanDocument(input);
    } else {
      XMLPScanToken token;
      bool bMore = scanner.Get().scanFirst(input, token);
      while (bMore && !handler.Failed()) bMore = scanner.Get().scanNext(token);
      scanner.Get().scanReset(token);
    }
  } catch (const Handler::Stop&) {
    // The handler's fault is reported below.
  } catch (const XMLException& e) {
    // The scanner's locator is not to be asked once it has thrown.
    xmlThrow = "malformed XML: " + Narrow(e.getMessage());
  }
  // The objects read and not created yet come before any fault met after
  // them.
  handler.Settle();
  if (handler.FailedUnplaced()) throw RedoInFileOrder{};
  if (xmlThrow) {
    if (bOneCall) throw RedoTokenByToken{};
    // A scanner that met a fault it did not report refuses the next token
    // in words about itself; what the file lacks is what to say.
    if (handler.Failed()) {
      // The decoder reads ahead of the scanner: a byte it cannot decode is
      // named where it is, not where the reading had got to.
      if (const std::optional<BadByte> bad = FindBadByte(data, size)) {
        throw RpFileError(sourceName, bad->at.line, bad->at.column, bad->message);
      }
      const LoadFailure& f = handler.Failure();
      throw ParseError(data, size, sourceName, f.pos, f.message);
    }
    if (!handler.SawRoot()) {
      // Where the text that is not markup begins.
      Pos first{1, 1};
      for (std::size_t i = 0; i < size && std::isspace(static_cast<unsigned char>(data[i])); ++i) {
        first = data[i] == '\n' ? Pos{first.line + 1, 1} : Pos{first.line, first.column + 1};
      }
      throw ParseError(data, size, sourceName, first, "not an XML document (no <repository> element)");
    }
    throw ParseError(data, size, sourceName, Pos{}, *xmlThrow);
  }
  if (!handler.Failed() && !handler.SawRoot()) {
    throw ParseError(data, size, sourceName, Pos{1, 1}, "no <repository> element (empty file?)");
  }
  if (handler.Failed()) {
    if (bOneCall && handler.FailedOnXml()) throw RedoTokenByToken{};
    const LoadFailure& f = handler.Failure();
    throw ParseError(data, size, sourceName, f.pos, f.message);
  }
  handler.Finish();
  if (handler.Failed()) {
    if (bLinkAtOnce) throw RedoInFileOrder{};
    const LoadFailure& f = handler.Failure();
    throw RpFileError(sourceName, f.pos.line, f.pos.column, f.message);
  }
  return rp;
}

std::unique_ptr<ARpGateway> Parse(const char* data, std::size_t size, const std::string& sourceName, bool bOneCall) {
  try {
    return ParseOnce(data, size, sourceName, true, bOneCall);
  } catch (const RedoInFileOrder&) {
    return ParseOnce(data, size, sourceName, false, bOneCall);
  }
}

std::unique_ptr<ARpGateway> Parse(const char* data, std::size_t size, const std::string& sourceName) {
  try {
    return Parse(data, size, sourceName, true);
  } catch (const RedoTokenByToken&) {
    return Parse(data, size, sourceName, false);
  }
}

}  // namespace

namespace RpFile {

std::unique_ptr<ARpGateway> LoadFromMemory(const char* data, std::size_t size, const std::string& sourceName) {
  return Parse(data, size, sourceName);
}

std::unique_ptr<ARpGateway> Load(const std::string& path) {
  // Mapped rather than read: a large file is parsed straight from the page
  // cache, without a copy.
  std::optional<SUFileUtility::MappedFile> map;
  try {
    map.emplace(path, "repository file");
  } catch (const SUFileUtility::SUFileError& e) {
    throw RpFileError(path, 0, 0, "cannot open the repository file: " + e.GetReason());
  }
  if (map->Size() == 0) throw RpFileError(path, 1, 1, "the file is empty (no <repository> element)");
  return Parse(map->Data(), map->Size(), path);
}

}  // namespace RpFile
