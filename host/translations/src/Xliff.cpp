// Translation units as an XLIFF 2.0 document, written with the Xerces-C DOM
// and read back with Xerces-C's SAX2 reader. A unit is
//
//   <unit id="CN_Ledger" name="VX_SESSION.CN_Ledger" type="smutil:displayName">
//     <notes>
//       <note category="smutil:label">Subject Area "Ledger"</note>
//       <note category="smutil:translationKey">LEDGER</note>
//       <note category="smutil:object">&lt;Object&gt;...&lt;/Object&gt;</note>
//     </notes>
//     <segment><source>Ledger</source><target>Grand livre</target></segment>
//   </unit>
//
// The id is made from the bundle key the unit translates, the name carries
// the session variable, the notes what a translator needs to see. A 2.0
// document is validated against the core schema; an XLIFF 1.2 (or 1.1)
// document, as many translation tools write it, is read as
//
//   <xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">
//     <file original="..." source-language="en" target-language="fr" datatype="plaintext"><body>
//       <trans-unit id="CN_Ledger" resname="VX_SESSION.CN_Ledger">
//         <source>Ledger</source><target>Grand livre</target>
//       </trans-unit>
//     </body></file>
//   </xliff>
//
// without a schema (none ships for it): well-formed, in its namespace, with
// an id on every trans-unit. A PO round trip (PO to XLIFF converters) gives
// units new ids and keeps the old one as the unit's location reference,
// <context-group purpose="location"><context context-type="sourcefile">;
// those are kept as further ids, and the PO header's unit is skipped.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "Translations/Translations.h"
#include "Utility/BaseStringUtil.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUGDOM.h"
#include "Utility/SUInstallDir.h"

using namespace xercesc;

namespace smutil_translations {
namespace {

constexpr char32_t kLabelNote[] = U"smutil:label";
constexpr char32_t kTranslationKeyNote[] = U"smutil:translationKey";
constexpr char32_t kLogicalColumnNote[] = U"smutil:logicalColumn";
constexpr char32_t kObjectNote[] = U"smutil:object";

// Text as the parser takes it: characters XML 1.0 cannot carry become
// U+FFFD, so one odd name never makes the whole document unwritable.
std::u16string XmlText(const VXString& text) {
  VXString safe = text;
  for (char32_t& c : safe) {
    const bool bAllowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                          (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
    if (!bAllowed) c = 0xFFFD;
  }
  return SUGDOM::ToXMLString(safe);
}

struct DocumentWriter {
  DOMDocument* doc;
  std::u16string ns;

  DOMElement* Element(DOMNode* parent, const char16_t* name) {
    DOMElement* e = doc->createElementNS(ns.c_str(), name);
    parent->appendChild(e);
    return e;
  }
  DOMElement* TextElement(DOMNode* parent, const char16_t* name, const VXString& text) {
    DOMElement* e = Element(parent, name);
    e->appendChild(doc->createTextNode(XmlText(text).c_str()));
    return e;
  }
  void Note(DOMElement* notes, const char32_t* category, const VXString& text) {
    if (text.empty()) return;
    TextElement(notes, u"note", text)->setAttribute(u"category", XmlText(category).c_str());
  }
};

struct ReleaseDocument {
  void operator()(DOMDocument* d) const { d->release(); }
};
struct ReleaseSerializer {
  void operator()(DOMLSSerializer* s) const { s->release(); }
};
struct ReleaseOutput {
  void operator()(DOMLSOutput* o) const { o->release(); }
};

// A character that XML 1.0 cannot carry: a control character other than
// tab, line feed and carriage return, which only an XML 1.1 document can
// bring in (as a character reference). A bundle text holding one would be
// unwritable the next time it is exported.
std::size_t FindControlCharacter(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x20 && c != 0x9 && c != 0xA && c != 0xD) return i;
  }
  return std::u16string_view::npos;
}

std::string CodePoint(char16_t c) {
  char text[8];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
  return text;
}

// Reads units as the parser streams them: a document of 10^5 units stays
// out of memory, and the DOM's text buffers would grow quadratically. A
// fault of the document's own (too deep, a unit twice, a control character)
// is reported with its line and stops the parse.
class UnitReader : public DefaultHandler {
 public:
  explicit UnitReader(SUGDomErrorReporter& errors, const VXString& file) : m_errors(errors), m_file(file) {}

  std::vector<TranslationUnit> units;
  VXString version, targetLanguage, rootNamespace;
  // Thrown out of the parser after a fault is reported.
  struct Stop {};

  void setDocumentLocator(const Locator* const locator) override { m_locator = locator; }

  void startElement(const XMLCh* const uri, const XMLCh* const localname, const XMLCh* const,
                    const Attributes& attrs) override {
    if (++m_depth > static_cast<int>(SUGDOM::kMaxElementDepth)) {
      Fail("elements nest deeper than " + std::to_string(SUGDOM::kMaxElementDepth) + " levels");
    }
    const std::u16string_view name(localname);
    if (m_depth == 1) {
      rootNamespace = SUGDOM::ToVXString(uri);
      version = Attribute(attrs, u"version");
      targetLanguage = Attribute(attrs, u"trgLang");
    }
    if (m_pText) return;  // inline codes inside a source, target or note
    if (name == u"file") {
      m_unitLines.clear();
      if (targetLanguage.empty()) targetLanguage = Attribute(attrs, u"target-language");
    } else if (name == u"unit" || name == u"trans-unit") {
      const bool bTransUnit = name == u"trans-unit";
      // A PO file's header, as PO converters write it into XLIFF 1.x, is no
      // text of ours.
      if (bTransUnit && Attribute(attrs, u"restype") == U"x-gettext-domain-header") return;
      const VXString id = Attribute(attrs, u"id");
      if (bTransUnit && id.empty()) Fail("a trans-unit without an id");
      const auto [first, bNew] = m_unitLines.emplace(id, Line());
      if (!bNew) {
        Fail("the unit id '" + ToNarrow(id) + "' is used again (first at line " + std::to_string(first->second) +
             "); each unit of a file needs an id of its own");
      }
      m_pUnit = &units.emplace_back();
      m_pUnit->id = id;
      m_pUnit->variable = Attribute(attrs, u"name");
      if (bTransUnit) {
        const VXString resname = Attribute(attrs, u"resname");
        if (!resname.empty()) m_pUnit->variable = resname;
      }
      m_pUnit->key = BundleKeyOfVariable(m_pUnit->variable);
      m_pUnit->bDescription = Attribute(attrs, bTransUnit ? u"restype" : u"type") == kDescriptionUnit;
      m_pUnit->line = Line();
      m_unitID = id;
      m_lines.push_back(Line());
    } else if (m_pUnit && (name == u"source" || name == u"target")) {
      Capture(name == u"source" ? m_pUnit->source : m_pUnit->target);
    } else if (m_pUnit && name == u"context-group") {
      m_bLocationGroup = Attribute(attrs, u"purpose") == U"location";
    } else if (m_pUnit && m_bLocationGroup && name == u"context" &&
               Attribute(attrs, u"context-type") == U"sourcefile") {
      // Where a PO round trip keeps the unit's id: its reference.
      Capture(m_pUnit->locations.emplace_back());
    } else if (m_pUnit && name == u"note") {
      const VXString category = Attribute(attrs, u"category");
      VXString* field = category == kLabelNote            ? &m_pUnit->label
                        : category == kTranslationKeyNote ? &m_pUnit->translationKey
                        : category == kLogicalColumnNote  ? &m_pUnit->logicalColumn
                        : category == kObjectNote         ? &m_pUnit->objectXml
                                                          : nullptr;
      if (field) Capture(*field);
    }
  }
  void endElement(const XMLCh* const, const XMLCh* const localname, const XMLCh* const) override {
    if (m_pText && m_depth == m_textDepth) m_pText = nullptr;
    const std::u16string_view name(localname);
    if (!m_pText && (name == u"unit" || name == u"trans-unit")) m_pUnit = nullptr;
    if (!m_pText && name == u"context-group") m_bLocationGroup = false;
    --m_depth;
  }
  void characters(const XMLCh* const chars, const XMLSize_t length) override {
    if (!m_pText) return;
    const std::u16string_view text(chars, length);
    if (const std::size_t at = FindControlCharacter(text); at != std::u16string_view::npos) {
      Fail("unit '" + ToNarrow(m_unitID) + "' holds the control character " + CodePoint(text[at]) +
           ", which XML 1.0 cannot carry and no bundle text may hold");
    }
    m_pText->append(SUGDOM::ToVXString(std::u16string(text).c_str()));
  }

  // Two units that give one bundle key and kind different translations:
  // importing both would keep one of them without a word.
  void CheckConflicts() {
    std::map<std::pair<VXString, bool>, std::size_t> byKey;
    for (std::size_t i = 0; i < units.size(); ++i) {
      const TranslationUnit& u = units[i];
      // A unit known by its id alone gets its key at the import.
      if (u.target.empty() || u.key.empty()) continue;
      const auto [first, bNew] = byKey.emplace(std::make_pair(u.key, u.bDescription), i);
      if (bNew || units[first->second].target == u.target) continue;
      m_errors.Report(SUGDomError::Severity::kFatal, m_file, m_lines[i], 0,
                      U"the unit for " + u.variable + U" translates it again, differently from the unit at line " +
                          ToVXString(std::to_string(m_lines[first->second])));
      return;
    }
  }

 private:
  static VXString Attribute(const Attributes& attrs, const char16_t* name) {
    return SUGDOM::ToVXString(attrs.getValue(name));
  }
  std::uint64_t Line() const { return m_locator ? static_cast<std::uint64_t>(m_locator->getLineNumber()) : 0; }
  [[noreturn]] void Fail(const std::string& message) {
    m_errors.Report(SUGDomError::Severity::kFatal, m_file, Line(),
                    m_locator ? static_cast<std::uint64_t>(m_locator->getColumnNumber()) : 0, ToVXString(message));
    throw Stop{};
  }
  void Capture(VXString& field) {
    m_pText = &field;
    m_textDepth = m_depth;
  }

  SUGDomErrorReporter& m_errors;
  VXString m_file;
  const Locator* m_locator = nullptr;
  TranslationUnit* m_pUnit = nullptr;
  VXString m_unitID;
  VXString* m_pText = nullptr;
  int m_depth = 0;
  int m_textDepth = 0;
  bool m_bLocationGroup = false;
  std::map<VXString, std::uint64_t> m_unitLines;  // of the file being read
  std::vector<std::uint64_t> m_lines;             // of each unit
};

}  // namespace

std::string XliffSchemaFile() { return SUInstallDir::DataFile("xliff/xliff_core_2.0.xsd"); }

std::string XliffDocument(const std::vector<TranslationUnit>& units, const std::string& sourceLanguage,
                          const std::string& targetLanguage, const std::string& original) {
  // A file element needs at least one unit to be valid XLIFF.
  if (units.empty()) throw TranslationError("nothing to export: no presentation object has an externalized text");
  SUGDOM::Initialize();
  DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"LS");
  DocumentWriter w{nullptr, SUGDOM::ToXMLString(kXliffNamespace)};
  try {
    std::unique_ptr<DOMDocument, ReleaseDocument> doc(impl->createDocument(w.ns.c_str(), u"xliff", nullptr));
    w.doc = doc.get();
    DOMElement* root = doc->getDocumentElement();
    root->setAttribute(u"version", u"2.0");
    root->setAttribute(u"srcLang", XmlText(ToVXString(sourceLanguage)).c_str());
    if (!targetLanguage.empty()) root->setAttribute(u"trgLang", XmlText(ToVXString(targetLanguage)).c_str());
    DOMElement* file = w.Element(root, u"file");
    file->setAttribute(u"id", u"f1");
    file->setAttribute(u"original", XmlText(ToVXString(original)).c_str());
    for (const TranslationUnit& u : units) {
      DOMElement* unit = w.Element(file, u"unit");
      unit->setAttribute(u"id", XmlText(u.id).c_str());
      unit->setAttribute(u"name", XmlText(u.variable).c_str());
      unit->setAttribute(u"type", XmlText(u.bDescription ? kDescriptionUnit : kDisplayNameUnit).c_str());
      DOMElement* notes = w.Element(unit, u"notes");
      w.Note(notes, kLabelNote, u.label);
      w.Note(notes, kTranslationKeyNote, u.translationKey);
      w.Note(notes, kLogicalColumnNote, u.logicalColumn);
      w.Note(notes, kObjectNote, u.objectXml);
      DOMElement* segment = w.Element(unit, u"segment");
      w.TextElement(segment, u"source", u.source);
      if (!u.target.empty()) w.TextElement(segment, u"target", u.target);
    }
    std::unique_ptr<DOMLSSerializer, ReleaseSerializer> serializer(impl->createLSSerializer());
    serializer->getDomConfig()->setParameter(XMLUni::fgDOMWRTFormatPrettyPrint, true);
    std::unique_ptr<DOMLSOutput, ReleaseOutput> output(impl->createLSOutput());
    MemBufFormatTarget target;
    output->setByteStream(&target);
    output->setEncoding(u"UTF-8");
    if (!serializer->write(doc.get(), output.get())) throw TranslationError("cannot write the XLIFF document");
    return std::string(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
  } catch (const XMLException& e) {
    throw TranslationError("cannot write the XLIFF document: " + ToNarrow(SUGDOM::ToVXString(e.getMessage())));
  } catch (const DOMException& e) {
    throw TranslationError("cannot write the XLIFF document: " + ToNarrow(SUGDOM::ToVXString(e.getMessage())));
  }
}

void WriteXliff(const std::vector<TranslationUnit>& units, const std::string& sourceLanguage,
                const std::string& targetLanguage, const std::string& original, const std::string& outFile) {
  const std::string document = XliffDocument(units, sourceLanguage, targetLanguage, original);
  try {
    SUFileUtility::ReplaceFile(outFile, "XLIFF file", document);
  } catch (const SUFileUtility::SUFileError& e) {
    throw TranslationError(e.what());
  }
}

namespace {
// Whether a document names the XLIFF 1.x namespace near its start: it is
// then read without a schema (none ships for 1.x).
bool NamesXliff1(const std::string& document) {
  const std::string_view head = std::string_view(document).substr(0, 4096);
  return head.find(ToNarrow(kXliff1Namespace)) != std::string_view::npos ||
         head.find(ToNarrow(kXliff11Namespace)) != std::string_view::npos;
}
}  // namespace

std::vector<TranslationUnit> ReadXliff(const std::string& inFile, std::string& targetLanguage) {
  std::string document;
  try {
    // Refuses a pipe or device before reading, and bounds the read.
    document = SUFileUtility::ReadRegularFile(inFile, "XLIFF file");
  } catch (const SUFileUtility::SUFileError& e) {
    throw TranslationError(e.what());
  }
  return ReadXliffDocument(document, inFile, targetLanguage);
}

std::vector<TranslationUnit> ReadXliffDocument(const std::string& document, const std::string& inFile,
                                               std::string& targetLanguage) {
  SUGDomErrorReporter errors;
  UnitReader handler(errors, ToVXString(inFile));
  bool bVersion1 = false;
  {
    bVersion1 = NamesXliff1(document);
    // Our own copy of the schema, loaded first; schema locations, DTDs and
    // external entities named in the document are not followed.
    SUGDOM::UntrustedSAX2Reader sax =
        bVersion1 ? SUGDOM::NewUntrustedSAX2Reader() : SUGDOM::NewValidatingSAX2Reader(XliffSchemaFile(), errors);
    if (sax.reader && bVersion1) {
      sax.reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
      sax.reader->setFeature(XMLUni::fgXercesSchema, false);
      sax.reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
      sax.reader->setErrorHandler(&errors);
    }
    if (sax.reader) {
      sax.reader->setContentHandler(&handler);
      try {
        const std::u16string systemId = SUGDOM::ToXMLString(ToVXString(inFile));
        MemBufInputSource source(reinterpret_cast<const XMLByte*>(document.data()), document.size(),
                                 reinterpret_cast<const XMLCh*>(systemId.c_str()));
        sax.reader->parse(source);
      } catch (const UnitReader::Stop&) {
        // Reported by the handler.
      } catch (const XMLException& e) {
        errors.Report(SUGDomError::Severity::kFatal, ToVXString(inFile), SUGDOM::ToVXString(e.getMessage()));
      } catch (const SAXException& e) {
        errors.Report(SUGDomError::Severity::kFatal, ToVXString(inFile), SUGDOM::ToVXString(e.getMessage()));
      }
    }
    if (!errors.HasErrors()) handler.CheckConflicts();
    const bool bInNamespace =
        bVersion1 ? handler.rootNamespace == kXliff1Namespace || handler.rootNamespace == kXliff11Namespace
                  : handler.rootNamespace == kXliffNamespace;
    if (!errors.HasErrors() && !bInNamespace) {
      errors.Report(
          SUGDomError::Severity::kFatal, ToVXString(inFile),
          U"the document element is not in the namespace " + VXString(bVersion1 ? kXliff1Namespace : kXliffNamespace));
    }
  }
  const char* what = bVersion1 ? "XLIFF 1.2" : "XLIFF 2.0";
  if (errors.HasErrors()) {
    // The first problem is the fault, placed as an editor finds it; a few
    // more follow, since a file of another kind would otherwise give one
    // line per element.
    constexpr std::size_t kShown = 5;
    const std::vector<SUGDomError>& all = errors.GetErrors();
    std::string text = std::string("not a valid ") + what + " document: " + ToNarrow(all[0].message);
    for (std::size_t i = 1; i < all.size() && i < kShown; ++i) {
      text += "\n  " + SourceError::Format(inFile, all[i].line, all[i].column, ToNarrow(all[i].message));
    }
    if (all.size() > kShown) text += "\n  ... and " + std::to_string(all.size() - kShown) + " more";
    throw TranslationError(inFile, all[0].line, all[0].column, text);
  }
  const bool bKnownVersion =
      bVersion1 ? handler.version == U"1.2" || handler.version == U"1.1" : handler.version == U"2.0";
  if (!bKnownVersion) {
    throw TranslationError(
        inFile, 0, 0, "XLIFF version " + ToNarrow(handler.version) + ", not " + (bVersion1 ? "1.2 or 1.1" : "2.0"));
  }
  targetLanguage = ToNarrow(handler.targetLanguage);
  return std::move(handler.units);
}

}  // namespace smutil_translations
