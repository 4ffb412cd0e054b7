// The repository-file reader's first step: XML events in, flat records out
// (see RpFileRecorder.h). Checks that need only the element at hand are made
// here, with the element's place; the rest wait for the build.
#include "RpFileRecorder.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <xercesc/framework/XMLAttr.hpp>
#include <xercesc/framework/XMLElementDecl.hpp>

#include "Expr/ToStringVisitor.h"
#include "Utility/Hex.h"
#include "Utility/SUGDOM.h"
#include "Utility/Utf16Widen.h"
#include "Utility/VoidIDText.h"
#include "objectmodel/ObjectParent.h"

using namespace xercesc;

namespace RpFileLoad {

enum class Recorder::El : std::uint8_t {
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

enum class Recorder::PropType : std::uint8_t {
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

using El = Recorder::El;
using PropType = Recorder::PropType;

namespace {

struct ElementName {
  const char16_t* name;
  Recorder::El el;
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

struct PropTypeName {
  const char16_t* name;
  Recorder::PropType type;
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
  Recorder::PropType type;
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

bool ParseInt(const VXString& text, std::int64_t& v) { return ParseDecimal(std::u32string_view(text), v); }

// Read straight from the parser's UTF-16, up to the NUL that ends an attribute.
bool ParseID(const XMLCh* text, VoidID& id) {
  return VoidIDText::ParseFrom(
      text, [](const XMLCh* p) { return *p == 0; }, id);
}

std::uint64_t PropBit(RpProp key) { return std::uint64_t{1} << static_cast<unsigned>(key); }
static_assert(static_cast<unsigned>(RpProp::kCount) <= 64, "an object's given properties are one 64-bit mask");

}  // namespace

// An element's attributes as the scanner hands them over. Namespaces are
// off, so an attribute's qualified name is its whole name.
class Recorder::AttrList {
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

void Recorder::startElement(const XMLElementDecl& decl, const unsigned int, const XMLCh* const,
                            const RefVectorOf<XMLAttr>& attrs, const XMLSize_t count, const bool bEmpty, const bool) {
  if (Failed()) return;
  StartElement(decl.getFullName(), AttrList(attrs, count));
  if (bEmpty) EndElement();
}

void Recorder::error(const unsigned int, const XMLCh* const domain, const XMLErrorReporter::ErrTypes type,
                     const XMLCh* const text, const XMLCh* const, const XMLCh* const, const XMLFileLoc line,
                     const XMLFileLoc column) {
  if (type == XMLErrorReporter::ErrType_Warning || Failed()) return;
  // What the reader refused to open is no malformed XML.
  if (domain == SUGDOM::RefusalDomain()) {
    Fail(At::Of(line, column), Narrow(text));
  } else {
    m_bXmlFault = true;
    Fail(At::Of(line, column), "malformed XML: " + Narrow(text));
  }
}

At Recorder::Here() const {
  return m_locator ? At::Of(m_locator->getLineNumber(), m_locator->getColumnNumber()) : At{};
}

void Recorder::Fail(const At& at, std::string message) {
  if (!m_failure) m_failure = Fault{at, std::move(message)};
}

void Recorder::Fail(std::string message) { Fail(Here(), std::move(message)); }

bool Recorder::Unescape(VXString& s) {
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
      const bool bClosed = j < s.size() && s[j] == U'}' && digits > 0 && digits <= 8;
      if (bClosed && v > 0x10FFFF) {
        Fail("bad escape \\u{" + ToNarrow(s.substr(i + 3, digits)) + "}: beyond the last code point U+10FFFF");
        return false;
      }
      if (bClosed) {
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

bool Recorder::GetString(const AttrList& attrs, const char16_t* name, bool bEsc, VXString& out, bool bRequired) {
  const XMLCh* v = attrs.Value(name);
  out.clear();
  if (!v) {
    if (bRequired) Fail("attribute " + Narrow(name) + " is missing");
    return !bRequired;
  }
  AppendFromUtf16(out, v);
  return !bEsc || Unescape(out);
}

bool Recorder::ParseExpr(const VXString& text, const At& at, Expr& expr) {
  try {
    expr = ToStringVisitor::ExprFrom(text);
    return true;
  } catch (const ExprTextError& e) {
    // Place the error in the file: count the lines of the text before it.
    std::uint64_t line = at.line;
    std::uint64_t column = at.column;
    const std::size_t upto = std::min(e.GetPosition(), text.size());
    for (std::size_t i = 0; i < upto; ++i) {
      if (text[i] == U'\n') {
        ++line;
        column = 1;
      } else {
        ++column;
      }
    }
    Fail(At::Of(line, column),
         std::string("bad expression text at character ") + std::to_string(e.GetPosition()) + ": " + e.what());
    return false;
  }
}

VXString Recorder::TakeText() {
  VXString t;
  AppendFromUtf16(t, m_text);
  m_text.clear();
  m_bCollectText = false;
  return t;
}

void Recorder::docCharacters(const XMLCh* const chars, const XMLSize_t length, const bool) {
  if (Failed()) return;
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

void Recorder::StartElement(const XMLCh* localname, const AttrList& attrs) {
  // Namespaces are off, so the qualified name is the element's name.
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
  // An object reads esc in its own pass over the attributes, and a tuple
  // has no text to unescape; the place of their content is never asked for.
  const bool bBare = el == El::kObject || el == El::kTuple;
  const XMLCh* esc = bBare ? nullptr : attrs.Value(u"esc");
  const bool bEsc = esc && Equals(esc, u"1");
  m_stack.push_back(Frame{el, bEsc, bBare ? At{} : Here()});

  switch (el) {
    case El::kRepository: {
      m_bSawRoot = true;
      const XMLCh* fmt = attrs.Value(u"format");
      if (!fmt || !Equals(fmt, u"1")) {
        Fail("unsupported repository file format " + Quote(Narrow(fmt)) + " (this reader knows format=\"1\")");
        return;
      }
      m_records.bHasLogicalName = GetString(attrs, u"name", bEsc, m_records.logicalName, false);
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
      m_records.blobs.push_back(Records::Blob{static_cast<int>(number), {}});
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

void Recorder::StartObject(const AttrList& attrs) {
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
  Records::Object o;
  if (!idText) {
    Fail("<object> without id (write id=\"TYPE:NUMBER\")");
    return;
  }
  if (!ParseID(idText, o.id) || o.id.IsNull()) {
    Fail("bad object id " + Quote(Narrow(idText)) + " (expected TYPE:NUMBER, e.g. 3001:7)");
    return;
  }
  if (!m_bKnownType || m_knownType != o.id.m_interfaceTypeID) {
    if (!AMetaClass::FromTypeID(o.id.m_interfaceTypeID)) {
      Fail("unknown type " + std::to_string(o.id.m_interfaceTypeID) + " in object id " + Quote(Narrow(idText)));
      return;
    }
    m_knownType = o.id.m_interfaceTypeID;
    m_bKnownType = true;
  }
  if (!nameText) {
    Fail("attribute name is missing");
    return;
  }
  if (parent && (!ParseID(parent, o.parent) || o.parent.IsNull())) {
    Fail("bad parent id " + Quote(Narrow(parent)) + " (expected TYPE:NUMBER)");
    return;
  }
  if (pos && (o.parent.IsNull() || !ParseDecimal(std::u16string_view(pos), o.pos) || o.pos < 0)) {
    Fail("bad pos " + Quote(Narrow(pos)) + " (a place among the parent's children: 0, 1, ...; needs parent)");
    return;
  }
  const std::u16string_view utf16(nameText);
  VXString name(utf16.size(), U'\0');
  name.resize(WidenUtf16(utf16, name.data()));
  if (bEsc && !Unescape(name)) return;
  if (m_records.objects.size() >= UINT32_MAX) {
    Fail("too large: a repository file holds up to 4294967295 objects");
    return;
  }
  o.at = Here();
  m_object = static_cast<std::uint32_t>(m_records.objects.size());
  m_propsGiven = 0;
  m_records.objects.push_back(o);
  m_records.names.push_back(std::move(name));
}

void Recorder::StartProp(const AttrList& attrs, bool bEsc) {
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
  if (m_propsGiven & PropBit(m_propKey)) {
    Fail("property " + Quote(keyName) + " is given twice");
    return;
  }
  m_propsGiven |= PropBit(m_propKey);
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
          Fail("bad multiplicity " + Narrow(names[i]) + " " + Quote(ToNarrow(t)) +
               " (start and end: 0 zero, 1 one, 2 many, 3 unknown)");
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

void Recorder::EndProp() {
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
        if (!Hex::DecodeBytes(std::u32string_view(text), b)) {
          Fail(m_propAt, "bad bytes " + Quote(ToNarrow(text)) + " (pairs of hex digits)");
          return;
        }
        value = std::move(b);
        break;
      }
      case PropType::kID: {
        VoidID id;
        if (!VoidIDText::Parse(std::u32string_view(text), id)) {
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
  m_records.properties.push_back(Records::Property{m_object, m_propKey, std::move(value)});
}

void Recorder::StartTuple(const AttrList& attrs) {
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
  m_records.tuples.push_back(std::move(tuple));
  m_records.tupleAt.push_back(Here());
}

void Recorder::EndElement() {
  if (Failed() || m_stack.empty()) return;
  const Frame frame = m_stack.back();
  switch (frame.el) {
    case El::kBlob: {
      const VXString text = TakeText();
      if (!Hex::DecodeBytes(std::u32string_view(text), m_records.blobs.back().bytes)) {
        Fail(frame.at, "bad blob bytes (pairs of hex digits)");
        return;
      }
      break;
    }
    case El::kAlias: {
      VXString alias = TakeText();
      if (frame.bEsc && !Unescape(alias)) return;
      if (alias.empty()) {
        Fail(frame.at, "alias '' is empty or given twice");
        return;
      }
      m_records.aliases.push_back(Records::Alias{m_object, frame.at, std::move(alias)});
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
    default:
      break;
  }
  m_stack.pop_back();
}

}  // namespace RpFileLoad
