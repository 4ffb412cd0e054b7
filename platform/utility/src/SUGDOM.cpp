#include "Utility/SUGDOM.h"

#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLException.hpp>

#include <mutex>
#include <stdexcept>

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

const char32_t* SeverityText(SUGDomError::Severity s) {
  switch (s) {
    case SUGDomError::Severity::kWarning: return U"warning";
    case SUGDomError::Severity::kError: return U"error";
    case SUGDomError::Severity::kFatal: return U"fatal error";
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
                                             SUGDomErrorReporter& reporter, ParseFn parse) {
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
      if (!SUFileUtility::FileExists(schemaFile)) {
        reporter.Report(SUGDomError::Severity::kFatal, schemaFile, U"the schema file does not exist");
        return nullptr;
      }
      const std::u16string schema = SUGDOM::ToXMLString(schemaFile);
      p.setDoNamespaces(true);
      p.setDoSchema(true);
      p.setValidationScheme(XercesDOMParser::Val_Always);
      p.setValidationSchemaFullChecking(true);
      p.setValidationConstraintFatal(false);
      p.setExternalNoNamespaceSchemaLocation(schema.c_str());
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
  if (!SUFileUtility::FileExists(file)) {
    reporter.Report(SUGDomError::Severity::kFatal, file, U"the file does not exist");
    return nullptr;
  }
  const std::u16string path = ToXMLString(file);
  return SUGDOMAccess::Run(file, schemaFile, reporter, [&](XercesDOMParser& p) { p.parse(path.c_str()); });
}

std::unique_ptr<SUGDOMDocument> ParseMemoryDocument(std::string_view xml, const VXString& bufferName,
                                                    const VXString& schemaFile, SUGDomErrorReporter& reporter) {
  const std::u16string name = ToXMLString(bufferName);
  return SUGDOMAccess::Run(bufferName, schemaFile, reporter, [&](XercesDOMParser& p) {
    MemBufInputSource source(reinterpret_cast<const XMLByte*>(xml.data()), xml.size(), name.c_str(), false);
    p.parse(source);
  });
}

VXString ToVXString(const XMLCh* text) {
  VXString out;
  if (!text) return out;
  for (const XMLCh* p = text; *p; ++p) {
    const char32_t c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      out.push_back(0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(p[1]) - 0xDC00));
      ++p;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out.push_back(U'\uFFFD');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::u16string ToXMLString(const VXString& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
      out.push_back(u'\uFFFD');
    } else if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

VXString GetElementName(const DOMElement* element) { return element ? ToVXString(element->getTagName()) : VXString(); }

VXString GetAttribute(const DOMElement* element, const VXString& name) {
  if (!element) return {};
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
