#include "Utility/SUGDOM.h"

#include <cctype>
#include <mutex>
#include <stdexcept>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/internal/XMLScannerResolver.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/validators/common/Grammar.hpp>
#include <xercesc/validators/common/GrammarResolver.hpp>

#include "Utility/BaseStringUtil.h"
#include "Utility/SUFileUtility.h"

using namespace xercesc;

namespace {
// Entity expansions allowed per document: enough for any real configuration
// file, far too few for an expansion bomb.
constexpr XMLSize_t kEntityExpansionLimit = 10000;

SUGDomError FromException(SUGDomError::Severity severity, const SAXParseException& e) {
  return {severity, SUGDOM::ToVXString(e.getSystemId()), static_cast<std::uint64_t>(e.getLineNumber()),
          static_cast<std::uint64_t>(e.getColumnNumber()), SUGDOM::ToVXString(e.getMessage())};
}

// The parser's form of a file path or name, or false with the reason in
// reporter when the text has none (a NUL, a surrogate, a value beyond
// Unicode): a shortened path must never name another file.
bool ToParserText(const VXString& text, std::u16string& out, SUGDomErrorReporter& reporter) {
  try {
    out = SUGDOM::ToXMLString(text);
    return true;
  } catch (const UnencodableTextError& e) {
    reporter.Report(SUGDomError::Severity::kFatal, text, ToVXString(e.what()));
    return false;
  }
}

const char32_t* SeverityText(SUGDomError::Severity s) {
  switch (s) {
    case SUGDomError::Severity::kWarning:
      return U"warning";
    case SUGDomError::Severity::kError:
      return U"error";
    case SUGDomError::Severity::kFatal:
      return U"fatal error";
  }
  return U"error";
}
}  // namespace

struct SUGDOMDocument::Impl {
  SecurityManager security;
  XercesDOMParser parser;
};

struct SUGDOMAccess {
  static std::unique_ptr<SUGDOMDocument> Make(std::unique_ptr<SUGDOMDocument::Impl> impl) {
    return std::unique_ptr<SUGDOMDocument>(new SUGDOMDocument(std::move(impl)));
  }

  // Sets up, runs and checks one parse; `parse` is handed the parser.
  template <class ParseFn>
  static std::unique_ptr<SUGDOMDocument> Run(const VXString& sourceName, const VXString& schemaFile,
                                             const VXString& schemaNamespace, SUGDomErrorReporter& reporter,
                                             ParseFn parse) {
    SUGDOM::Initialize();
    auto impl = std::make_unique<SUGDOMDocument::Impl>();
    XercesDOMParser& p = impl->parser;
    impl->security.setEntityExpansionLimit(kEntityExpansionLimit);
    p.setSecurityManager(&impl->security);
    p.setLoadExternalDTD(false);
    p.setCreateEntityReferenceNodes(false);
    p.setErrorHandler(&reporter);
    if (schemaFile.empty()) {
      p.setValidationScheme(XercesDOMParser::Val_Never);
      p.setDisableDefaultEntityResolution(true);
    } else {
      std::u16string schema;
      if (!ToParserText(schemaFile, schema, reporter)) return nullptr;
      if (!SUFileUtility::FileExists(schemaFile)) {
        reporter.Report(SUGDomError::Severity::kFatal, schemaFile, U"the schema file does not exist");
        return nullptr;
      }
      p.setDoNamespaces(true);
      p.setDoSchema(true);
      p.setValidationScheme(XercesDOMParser::Val_Always);
      p.setValidationSchemaFullChecking(true);
      p.setValidationConstraintFatal(false);
      if (schemaNamespace.empty()) {
        p.setExternalNoNamespaceSchemaLocation(schema.c_str());
      } else {
        // The grammar is loaded from our file before the document is read and
        // schema hints inside the document are ignored, so a file from
        // elsewhere can neither swap the schema nor make the parser fetch one.
        std::u16string ns;
        if (!ToParserText(schemaNamespace, ns, reporter)) return nullptr;
        try {
          if (!p.loadGrammar(schema.c_str(), Grammar::SchemaGrammarType, true) || reporter.HasErrors()) {
            if (!reporter.HasErrors()) {
              reporter.Report(SUGDomError::Severity::kFatal, schemaFile, U"the schema cannot be loaded");
            }
            return nullptr;
          }
        } catch (const XMLException& e) {
          reporter.Report(SUGDomError::Severity::kFatal, schemaFile, SUGDOM::ToVXString(e.getMessage()));
          return nullptr;
        }
        p.useCachedGrammarInParse(true);
        p.setLoadSchema(false);
      }
    }
    try {
      parse(p);
    } catch (const XMLException& e) {
      reporter.Report(SUGDomError::Severity::kFatal, sourceName, SUGDOM::ToVXString(e.getMessage()));
    } catch (const DOMException& e) {
      reporter.Report(SUGDomError::Severity::kFatal, sourceName, SUGDOM::ToVXString(e.getMessage()));
    } catch (const OutOfMemoryException&) {
      reporter.Report(SUGDomError::Severity::kFatal, sourceName, U"out of memory while parsing");
    }
    if (reporter.HasErrors() || !p.getDocument() || !p.getDocument()->getDocumentElement()) {
      if (!reporter.HasErrors()) reporter.Report(SUGDomError::Severity::kFatal, sourceName, U"the document is empty");
      return nullptr;
    }
    if (!schemaNamespace.empty() &&
        SUGDOM::ToVXString(p.getDocument()->getDocumentElement()->getNamespaceURI()) != schemaNamespace) {
      reporter.Report(SUGDomError::Severity::kFatal, sourceName,
                      U"the document element is not in the namespace " + schemaNamespace);
      return nullptr;
    }
    return Make(std::move(impl));
  }
};

SUGDOMDocument::SUGDOMDocument(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
SUGDOMDocument::~SUGDOMDocument() = default;
DOMDocument* SUGDOMDocument::GetDocument() const { return m_impl->parser.getDocument(); }
DOMElement* SUGDOMDocument::GetDocumentElement() const { return GetDocument()->getDocumentElement(); }

void SUGDomErrorReporter::warning(const SAXParseException& e) {
  m_errors.push_back(FromException(SUGDomError::Severity::kWarning, e));
}
void SUGDomErrorReporter::error(const SAXParseException& e) {
  m_errors.push_back(FromException(SUGDomError::Severity::kError, e));
}
void SUGDomErrorReporter::fatalError(const SAXParseException& e) {
  m_errors.push_back(FromException(SUGDomError::Severity::kFatal, e));
}

void SUGDomErrorReporter::Report(SUGDomError::Severity severity, const VXString& file, const VXString& message) {
  m_errors.push_back({severity, file, 0, 0, message});
}

bool SUGDomErrorReporter::HasErrors() const {
  for (const SUGDomError& e : m_errors) {
    if (e.severity != SUGDomError::Severity::kWarning) return true;
  }
  return false;
}

VXString SUGDomErrorReporter::GetErrorText() const {
  VXString out;
  for (const SUGDomError& e : m_errors) {
    if (!out.empty()) out += U"\n";
    out += e.file;
    if (e.line) out += U":" + BaseStringUtil::StringFrom(static_cast<unsigned long long>(e.line));
    if (e.column) out += U":" + BaseStringUtil::StringFrom(static_cast<unsigned long long>(e.column));
    out += U": " + VXString(SeverityText(e.severity)) + U": " + e.message;
  }
  return out;
}

namespace SUGDOM {
void Initialize() {
  static std::once_flag once;
  std::call_once(once, [] {
    try {
      XMLPlatformUtils::Initialize();
    } catch (const XMLException& e) {
      throw std::runtime_error("cannot initialise the XML parser: " + ToNarrow(ToVXString(e.getMessage())));
    }
  });
}

std::unique_ptr<SUGDOMDocument> ValidatedParseFileDocument(const VXString& file, const VXString& schemaFile,
                                                           SUGDomErrorReporter& reporter) {
  return ValidatedParseFileDocument(file, schemaFile, VXString(), reporter);
}

std::unique_ptr<SUGDOMDocument> ValidatedParseFileDocument(const VXString& file, const VXString& schemaFile,
                                                           const VXString& schemaNamespace,
                                                           SUGDomErrorReporter& reporter) {
  std::u16string path;
  if (!ToParserText(file, path, reporter)) return nullptr;
  if (!SUFileUtility::FileExists(file)) {
    reporter.Report(SUGDomError::Severity::kFatal, file, U"the file does not exist");
    return nullptr;
  }
  return SUGDOMAccess::Run(file, schemaFile, schemaNamespace, reporter,
                           [&](XercesDOMParser& p) { p.parse(path.c_str()); });
}

std::unique_ptr<SUGDOMDocument> ParseMemoryDocument(std::string_view xml, const VXString& bufferName,
                                                    const VXString& schemaFile, SUGDomErrorReporter& reporter) {
  std::u16string name;
  if (!ToParserText(bufferName, name, reporter)) return nullptr;
  return SUGDOMAccess::Run(bufferName, schemaFile, U"", reporter, [&](XercesDOMParser& p) {
    MemBufInputSource source(reinterpret_cast<const XMLByte*>(xml.data()), xml.size(), name.c_str(), false);
    source.setCopyBufToStream(false);  // xml outlives the parse
    p.parse(source);
  });
}

VXString ToVXString(const XMLCh* text) { return text ? FromUtf16(std::u16string_view(text)) : VXString(); }

std::u16string ToXMLString(const VXString& text) {
  const std::size_t nul = text.find(U'\0');
  if (nul != VXString::npos) throw UnencodableTextError(nul, 0, "would end the text early for the XML parser");
  return ToUtf16(text);
}

VXString GetElementName(const DOMElement* element) { return element ? ToVXString(element->getTagName()) : VXString(); }

VXString GetAttribute(const DOMElement* element, const VXString& name) {
  // No attribute can bear a name without a parser form, so such a name is absent.
  if (!element || name.find(U'\0') != VXString::npos || FindNonScalarValue(name) != VXString::npos) return {};
  const std::u16string n = ToXMLString(name);
  return ToVXString(element->getAttribute(n.c_str()));
}

std::vector<DOMElement*> GetChildElements(const DOMElement* element) {
  std::vector<DOMElement*> out;
  if (!element) return out;
  for (DOMElement* e = element->getFirstElementChild(); e; e = e->getNextElementSibling()) out.push_back(e);
  return out;
}

VXString GetTextContent(const DOMNode* node) { return node ? ToVXString(node->getTextContent()) : VXString(); }
}  // namespace SUGDOM

namespace {
// Streamed files are large and flat; a handful of entities is all they
// could ever need.
std::unique_ptr<SecurityManager> NewStreamSecurity() {
  constexpr XMLSize_t kStreamEntityExpansionLimit = 1000;
  auto security = std::make_unique<SecurityManager>();
  security->setEntityExpansionLimit(kStreamEntityExpansionLimit);
  return security;
}
}  // namespace

SUGDOM::UntrustedSAX2Reader SUGDOM::NewUntrustedSAX2Reader() {
  Initialize();
  UntrustedSAX2Reader out;
  out.security = NewStreamSecurity();
  out.reader.reset(XMLReaderFactory::createXMLReader());
  out.reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, false);
  out.reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
  out.reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  out.reader->setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  out.reader->setProperty(XMLUni::fgXercesSecurityManager, out.security.get());
  return out;
}

bool SUGDOM::HasPlainProlog(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  // Anything not understood here (another encoding, a declaration, text)
  // answers no, which only costs the faster scanner.
  for (std::size_t i = 0; i < bytes.size();) {
    const char c = bytes[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '<' || i + 1 >= bytes.size()) return false;
    std::string_view end;
    if (bytes.substr(i).starts_with("<?")) {
      end = "?>";
    } else if (bytes.substr(i).starts_with("<!--")) {
      end = "-->";
    } else {
      // A document type declaration, or anything else with "<!", says no;
      // a name opens the document element.
      const auto n = static_cast<unsigned char>(bytes[i + 1]);
      return std::isalpha(n) || n == '_' || n == ':' || n >= 0x80;
    }
    const std::size_t close = bytes.find(end, i + 2);
    if (close == std::string_view::npos) return false;
    i = close + end.size();
  }
  return false;
}

const XMLCh* SUGDOM::ScannerFor(std::string_view bytes) {
  return HasPlainProlog(bytes) ? XMLUni::fgWFXMLScanner : XMLUni::fgIGXMLScanner;
}

void SUGDOM::ChooseScanner(SAX2XMLReader& reader, std::string_view bytes) {
  reader.setProperty(XMLUni::fgXercesScannerName, const_cast<XMLCh*>(ScannerFor(bytes)));
}

SUGDOM::UntrustedScanner::UntrustedScanner(const XMLCh* scannerName, XMLDocumentHandler& handler,
                                           XMLErrorReporter& errors) {
  Initialize();
  // What NewUntrustedSAX2Reader's features set on the scanner beneath it.
  m_security = NewStreamSecurity();
  m_resolver = std::make_unique<GrammarResolver>(nullptr);
  m_scanner.reset(
      XMLScannerResolver::resolveScanner(scannerName, &handler, nullptr, nullptr, &errors, nullptr, m_resolver.get()));
  if (!m_scanner) throw std::invalid_argument("unknown XML scanner");
  m_scanner->setURIStringPool(m_resolver->getStringPool());
  m_scanner->setDoNamespaces(false);
  m_scanner->setValidationScheme(XMLScanner::Val_Never);
  m_scanner->setLoadExternalDTD(false);
  m_scanner->setDisableDefaultEntityResolution(true);
  m_scanner->setSecurityManager(m_security.get());
}

SUGDOM::UntrustedScanner::~UntrustedScanner() = default;
