#include "Utility/SUGDOM.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLEntityHandler.hpp>
#include <xercesc/framework/XMLErrorReporter.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/internal/XMLScannerResolver.hpp>
#include <xercesc/parsers/SAX2XMLReaderImpl.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLResourceIdentifier.hpp>
#include <xercesc/util/XMLUni.hpp>
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
  SUGEntityGuard guard;
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
    p.setErrorHandler(&reporter);
    SUGDOM::Secure(p, impl->guard, impl->security);
    if (schemaFile.empty()) {
      p.setValidationScheme(XercesDOMParser::Val_Never);
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
      // The grammar is loaded from our file before the document is read and
      // schema hints inside the document are ignored, so a file from
      // elsewhere can neither swap the schema nor make the parser fetch one.
      impl->guard.AllowSchemaFolder(std::filesystem::path(ToNarrow(schemaFile)).parent_path().string());
      try {
        const LocalFileInputSource source(schema.c_str());
        if (!p.loadGrammar(source, Grammar::SchemaGrammarType, true) || reporter.HasErrors()) {
          if (!reporter.HasErrors()) {
            reporter.Report(SUGDomError::Severity::kFatal, schemaFile, U"the schema cannot be loaded");
          }
          return nullptr;
        }
      } catch (const XMLException& e) {
        reporter.Report(SUGDomError::Severity::kFatal, schemaFile, SUGDOM::ToVXString(e.getMessage()));
        return nullptr;
      }
      impl->guard.AllowSchemaFolder(std::string());
      p.useCachedGrammarInParse(true);
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

void SUGDomErrorReporter::Report(SUGDomError::Severity severity, const VXString& file, std::uint64_t line,
                                 std::uint64_t column, const VXString& message) {
  m_errors.push_back({severity, file, line, column, message});
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
std::u16string Utf16(const VXString& text) { return ToUtf16(text); }

// A system id or base URI as a path: "file://" taken off and %XX decoded.
std::string PathOf(const XMLCh* id) {
  std::string text = id ? ToNarrow(SUGDOM::ToVXString(id)) : std::string();
  if (text.starts_with("file://")) text.erase(0, 7);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool IsSchemaResource(const XMLResourceIdentifier& r) {
  switch (r.getResourceIdentifierType()) {
    case XMLResourceIdentifier::SchemaGrammar:
    case XMLResourceIdentifier::SchemaImport:
    case XMLResourceIdentifier::SchemaInclude:
    case XMLResourceIdentifier::SchemaRedefine:
      return true;
    default:
      return false;
  }
}

// Sends a refusal to the error handler a parser has at the time.
SUGEntityGuard::RefusalSink ToErrorHandler(std::function<ErrorHandler*()> handler) {
  return [handler](const XMLCh* message, const XMLCh* systemId, std::uint64_t line, std::uint64_t column) {
    if (ErrorHandler* h = handler()) h->fatalError(SAXParseException(message, u"", systemId, line, column));
  };
}

// The guard as the raw scanner's entity handler.
class GuardEntityHandler : public XMLEntityHandler {
 public:
  explicit GuardEntityHandler(SUGEntityGuard& guard) : m_guard(guard) {}
  void endInputSource(const InputSource&) override {}
  bool expandSystemId(const XMLCh* const, XMLBuffer&) override { return false; }
  void resetEntities() override {}
  InputSource* resolveEntity(XMLResourceIdentifier* resource) override { return m_guard.resolveEntity(resource); }
  void startInputSource(const InputSource&) override {}

 private:
  SUGEntityGuard& m_guard;
};

const XMLCh kRefusalDomain[] = u"http://smutil/refused-resource";
}  // namespace

void SUGEntityGuard::AllowSchemaFolder(const std::string& folder) {
  std::error_code ec;
  m_schemaFolder = folder.empty() ? std::string() : std::filesystem::weakly_canonical(folder, ec).string();
  if (ec) m_schemaFolder.clear();
}

InputSource* SUGEntityGuard::resolveEntity(XMLResourceIdentifier* resource) {
  namespace fs = std::filesystem;
  const XMLCh* systemId = resource->getSystemId() ? resource->getSystemId() : u"";
  if (!m_schemaFolder.empty() && IsSchemaResource(*resource)) {
    fs::path path = PathOf(systemId);
    if (path.is_relative()) path = fs::path(PathOf(resource->getBaseURI())).parent_path() / path;
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    if (!ec && canonical.parent_path() == fs::path(m_schemaFolder) && fs::is_regular_file(canonical, ec)) {
      const std::u16string file = Utf16(::ToVXString(canonical.string()));
      return new LocalFileInputSource(file.c_str());
    }
  }
  ++m_refusals;
  const std::u16string message = u"'" + std::u16string(systemId) +
                                 u"', which the document names, is not read: no external entity, DTD or schema "
                                 u"that a document names is ever opened";
  if (m_sink) {
    const Locator* at = resource->getLocator();
    m_sink(message.c_str(), at && at->getSystemId() ? at->getSystemId() : resource->getBaseURI(),
           at ? static_cast<std::uint64_t>(at->getLineNumber()) : 0,
           at ? static_cast<std::uint64_t>(at->getColumnNumber()) : 0);
  }
  // No source at all: with default resolution off the parser opens nothing
  // and adds its own "unable to open" after the refusal above. An empty
  // source instead would be read, and the scanner leaks the entity it makes
  // for an external DTD subset it then reads under validation.
  return nullptr;
}

void SUGDOM::Secure(XercesDOMParser& parser, SUGEntityGuard& guard, SecurityManager& security) {
  parser.setSecurityManager(&security);
  parser.setLoadExternalDTD(false);
  parser.setDisableDefaultEntityResolution(true);
  parser.setLoadSchema(false);
  parser.setSkipDTDValidation(true);
  parser.setCreateEntityReferenceNodes(false);
  parser.setXMLEntityResolver(&guard);
  guard.SetSink(ToErrorHandler([&parser] { return parser.getErrorHandler(); }));
}

void SUGDOM::Secure(SAX2XMLReader& reader, SUGEntityGuard& guard, SecurityManager& security) {
  reader.setFeature(XMLUni::fgXercesLoadExternalDTD, false);
  reader.setFeature(XMLUni::fgXercesDisableDefaultEntityResolution, true);
  reader.setFeature(XMLUni::fgXercesLoadSchema, false);
  reader.setFeature(XMLUni::fgXercesSkipDTDValidation, true);
  reader.setProperty(XMLUni::fgXercesSecurityManager, &security);
  // The factory's reader is the implementation, the one kind that takes an
  // entity resolver with the resource's kind and place.
  if (auto* impl = dynamic_cast<SAX2XMLReaderImpl*>(&reader)) {
    impl->setXMLEntityResolver(&guard);
  } else {
    throw std::logic_error("the SAX2 reader takes no entity resolver");
  }
  guard.SetSink(ToErrorHandler([&reader] { return reader.getErrorHandler(); }));
}

const XMLCh* SUGDOM::RefusalDomain() { return kRefusalDomain; }

namespace {
// Streamed files are large and flat; a handful of entities is all they
// could ever need.
std::unique_ptr<SecurityManager> NewStreamSecurity() {
  constexpr XMLSize_t kStreamEntityExpansionLimit = 1000;
  auto security = std::make_unique<SecurityManager>();
  security->setEntityExpansionLimit(kStreamEntityExpansionLimit);
  return security;
}

SUGDOM::UntrustedSAX2Reader NewStreamReader(bool bNamespaces) {
  SUGDOM::Initialize();
  SUGDOM::UntrustedSAX2Reader out;
  out.security = NewStreamSecurity();
  out.guard = std::make_unique<SUGEntityGuard>();
  out.reader.reset(XMLReaderFactory::createXMLReader());
  out.reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, bNamespaces);
  out.reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
  SUGDOM::Secure(*out.reader, *out.guard, *out.security);
  return out;
}
}  // namespace

SUGDOM::UntrustedSAX2Reader SUGDOM::NewUntrustedSAX2Reader() { return NewStreamReader(false); }

SUGDOM::UntrustedSAX2Reader SUGDOM::NewValidatingSAX2Reader(const std::string& schemaFile,
                                                            SUGDomErrorReporter& errors) {
  UntrustedSAX2Reader out = NewStreamReader(true);
  SAX2XMLReader& reader = *out.reader;
  reader.setErrorHandler(&errors);
  reader.setFeature(XMLUni::fgSAX2CoreValidation, true);
  reader.setFeature(XMLUni::fgXercesDynamic, false);
  reader.setFeature(XMLUni::fgXercesSchema, true);
  reader.setFeature(XMLUni::fgXercesUseCachedGrammarInParse, true);
  const VXString schemaName = ::ToVXString(schemaFile);
  if (!std::filesystem::is_regular_file(schemaFile)) {
    errors.Report(SUGDomError::Severity::kFatal, schemaName, U"the schema file does not exist");
    out.reader.reset();
    return out;
  }
  out.guard->AllowSchemaFolder(std::filesystem::path(schemaFile).parent_path().string());
  try {
    const std::u16string schema = ToXMLString(schemaName);
    const LocalFileInputSource source(schema.c_str());
    if (!reader.loadGrammar(source, Grammar::SchemaGrammarType, true) && !errors.HasErrors()) {
      errors.Report(SUGDomError::Severity::kFatal, schemaName, U"the schema cannot be loaded");
    }
  } catch (const XMLException& e) {
    errors.Report(SUGDomError::Severity::kFatal, schemaName, ToVXString(e.getMessage()));
  } catch (const SAXException& e) {
    errors.Report(SUGDomError::Severity::kFatal, schemaName, ToVXString(e.getMessage()));
  }
  out.guard->AllowSchemaFolder(std::string());
  if (errors.HasErrors()) out.reader.reset();
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

namespace {
// Whether some run of bytes between two "<" holds more than limit "=": the
// bound on a start tag's attributes. Branch-free, so that the pass costs
// little beside the parse.
bool MayHoldManyAttributes(std::string_view bytes, std::size_t limit) {
  std::size_t run = 0;
  std::size_t most = 0;
  for (const char c : bytes) {
    run = (c == '<') ? 0 : run + (c == '=');
    most = std::max(most, run);
  }
  return most > limit;
}
}  // namespace

const XMLCh* SUGDOM::ScannerFor(std::string_view bytes) {
  return HasPlainProlog(bytes) && !MayHoldManyAttributes(bytes, kWellFormedScannerAttributes) ? XMLUni::fgWFXMLScanner
                                                                                              : XMLUni::fgIGXMLScanner;
}

void SUGDOM::ChooseScanner(SAX2XMLReader& reader, std::string_view bytes) {
  reader.setProperty(XMLUni::fgXercesScannerName, const_cast<XMLCh*>(ScannerFor(bytes)));
}

SUGDOM::UntrustedScanner::UntrustedScanner(const XMLCh* scannerName, XMLDocumentHandler& handler,
                                           XMLErrorReporter& errors) {
  Initialize();
  // What Secure sets on a SAX2 reader, set on the scanner beneath it.
  m_security = NewStreamSecurity();
  m_guard = std::make_unique<SUGEntityGuard>(
      [&errors](const XMLCh* message, const XMLCh* systemId, std::uint64_t line, std::uint64_t column) {
        errors.error(0, kRefusalDomain, XMLErrorReporter::ErrType_Fatal, message, systemId, u"", line, column);
      });
  m_entities = std::make_unique<GuardEntityHandler>(*m_guard);
  m_resolver = std::make_unique<GrammarResolver>(nullptr);
  m_scanner.reset(XMLScannerResolver::resolveScanner(scannerName, &handler, nullptr, m_entities.get(), &errors, nullptr,
                                                     m_resolver.get()));
  if (!m_scanner) throw std::invalid_argument("unknown XML scanner");
  m_scanner->setURIStringPool(m_resolver->getStringPool());
  m_scanner->setEntityHandler(m_entities.get());
  m_scanner->setDoNamespaces(false);
  m_scanner->setValidationScheme(XMLScanner::Val_Never);
  m_scanner->setLoadExternalDTD(false);
  m_scanner->setLoadSchema(false);
  m_scanner->setDisableDefaultEntityResolution(true);
  m_scanner->setSecurityManager(m_security.get());
}

SUGDOM::UntrustedScanner::~UntrustedScanner() = default;
