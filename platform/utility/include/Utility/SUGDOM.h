// SUGDOM: XML documents read with Xerces-C's DOM parser, optionally validated
// against an XML schema, with every problem collected (file, line, column and
// text) by an SUGDomErrorReporter instead of being thrown.
//
//   SUGDomErrorReporter errors;
//   auto doc = SUGDOM::ValidatedParseFileDocument(U"rules.xml", U"rules.xsd", errors);
//   if (!doc) { ServerLog::LogError(errors.GetErrorText(), 1); return; }
//   for (xercesc::DOMElement* e : SUGDOM::GetChildElements(doc->GetDocumentElement()))
//     SUGDOM::GetAttribute(e, U"prefix");
//
// Xerces is initialised once per process on first use and never terminated,
// so documents may be parsed from any thread at any time. Every reader made
// here is hardened for untrusted files through one setup (SUGDOM::Secure):
// bounded entity expansion, and nothing that a document names is opened, be
// it an external entity, an external DTD subset or a schema location (see
// SUGEntityGuard). A schema is only ever the caller's file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>

#include "Utility/VXString.h"

XERCES_CPP_NAMESPACE_BEGIN
class GrammarResolver;
class XMLDocumentHandler;
class XMLEntityHandler;
class XMLErrorReporter;
class XMLScanner;
class XercesDOMParser;
XERCES_CPP_NAMESPACE_END

// The entity resolver of every reader: whatever a document names (an
// external entity, an external DTD subset, a schema location) is refused
// without being opened, so no local file, FIFO or device is ever read on a
// document's say. A refusal goes to the sink with the place of the
// reference, and the resource reads as empty text. While AllowSchemaFolder
// is in force (a validating reader loading its bundled schema, before the
// document), the schema documents that the bundled schema imports from its
// own folder are read; nothing else ever is.
class SUGEntityGuard : public xercesc::XMLEntityResolver {
 public:
  // message, the system id of the document that named the resource, and
  // the place (0 when unknown).
  using RefusalSink =
      std::function<void(const XMLCh* message, const XMLCh* systemId, std::uint64_t line, std::uint64_t column)>;
  explicit SUGEntityGuard(RefusalSink sink = {}) : m_sink(std::move(sink)) {}
  void SetSink(RefusalSink sink) { m_sink = std::move(sink); }
  xercesc::InputSource* resolveEntity(xercesc::XMLResourceIdentifier* resource) override;

  // folder: the bundled schema's folder; empty ends the allowance.
  void AllowSchemaFolder(const std::string& folder);
  std::size_t RefusalCount() const { return m_refusals; }

 private:
  RefusalSink m_sink;
  std::string m_schemaFolder;  // canonical, or empty
  std::size_t m_refusals = 0;
};

struct SUGDomError {
  enum class Severity { kWarning, kError, kFatal };
  Severity severity;
  VXString file;  // the system id Xerces reports (the path, or the buffer's name)
  std::uint64_t line;
  std::uint64_t column;
  VXString message;
};

class SUGDomErrorReporter : public xercesc::ErrorHandler {
 public:
  void warning(const xercesc::SAXParseException& e) override;
  void error(const xercesc::SAXParseException& e) override;
  void fatalError(const xercesc::SAXParseException& e) override;
  void resetErrors() override { m_errors.clear(); }

  // A problem found outside the parser (missing file, parser exception).
  void Report(SUGDomError::Severity severity, const VXString& file, const VXString& message);
  // The same with its place.
  void Report(SUGDomError::Severity severity, const VXString& file, std::uint64_t line, std::uint64_t column,
              const VXString& message);

  // True when any error or fatal error was reported (warnings do not count).
  bool HasErrors() const;
  const std::vector<SUGDomError>& GetErrors() const { return m_errors; }
  // One line per problem: "file:line:column: error: message".
  VXString GetErrorText() const;

 private:
  std::vector<SUGDomError> m_errors;
};

// A parsed document; owns the parser, which owns the DOM.
class SUGDOMDocument {
 public:
  ~SUGDOMDocument();
  xercesc::DOMDocument* GetDocument() const;
  xercesc::DOMElement* GetDocumentElement() const;

 private:
  friend struct SUGDOMAccess;
  struct Impl;
  explicit SUGDOMDocument(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

namespace SUGDOM {
// Initialises Xerces once for the process (called by every parse).
void Initialize();

// Elements a streamed document may nest: far beyond any file this project
// reads (a repository file nests five deep, an XLIFF file some ten), and
// far below the depth at which the validating scanner slows to a crawl.
// A reader refuses a deeper element with its line.
inline constexpr std::size_t kMaxElementDepth = 256;

// The one hardening of every reader, whatever its kind: entity expansion
// bounded by security, no external DTD, no default entity resolution,
// guard as the entity resolver, and schemas never loaded from hints in the
// document. A refusal that guard has no sink for goes to the reader's error
// handler as a fatal error.
void Secure(xercesc::XercesDOMParser& parser, SUGEntityGuard& guard, xercesc::SecurityManager& security);
void Secure(xercesc::SAX2XMLReader& reader, SUGEntityGuard& guard, xercesc::SecurityManager& security);

// A streaming SAX2 reader for bytes from elsewhere: no namespaces, no
// validation, hardened by Secure. The reader is declared last so that it
// goes before the guard and the manager it points to.
struct UntrustedSAX2Reader {
  std::unique_ptr<xercesc::SecurityManager> security;
  std::unique_ptr<SUGEntityGuard> guard;
  std::unique_ptr<xercesc::SAX2XMLReader> reader;
};
UntrustedSAX2Reader NewUntrustedSAX2Reader();

// The same with namespaces, validating against schemaFile (the caller's
// own, with what it imports from its own folder), which is loaded first;
// schema locations in the document are not followed. errors becomes the
// reader's error handler; when the schema cannot be loaded the reader is
// null and errors says why.
UntrustedSAX2Reader NewValidatingSAX2Reader(const std::string& schemaFile, SUGDomErrorReporter& errors);

// Whether the document in bytes opens, in an ASCII-compatible encoding, with
// nothing before its document element but an XML declaration, comments,
// processing instructions and space. Such a document has no document type
// declaration, so no entity or attribute default can come from one.
bool HasPlainProlog(std::string_view bytes);
// When bytes has a plain prolog, reader switches to the scanner that checks
// well-formedness only, which keeps no list of the root's children and no
// table of each element's attributes, the default scanner's cost on a large
// flat file. That scanner leaves out what a document type declaration would
// bring, which is why other documents keep the default one; its messages
// for malformed XML are its own. It also looks for a repeated attribute by
// comparing each with all before it, quadratic in an element's attributes,
// so a document where some start tag may hold more than
// kWellFormedScannerAttributes attributes keeps the default scanner too
// (which looks them up in a table past a few): the bound is the count of
// "=" between two "<", since every attribute needs one and no attribute
// value may hold a "<".
void ChooseScanner(xercesc::SAX2XMLReader& reader, std::string_view bytes);
inline constexpr std::size_t kWellFormedScannerAttributes = 32;
// The scanner ChooseScanner picks for bytes, by its Xerces name.
const XMLCh* ScannerFor(std::string_view bytes);

// The same limits on a scanner that calls handler straight, without the
// SAX2 layer in between: a reader of a million elements that reads every
// attribute is spared the layer's calls and its copy of each attribute
// list. scannerName is a Xerces scanner name (ScannerFor's, or
// xercesc::XMLUni::fgIGXMLScanner for the default one). What the guard
// refuses reaches errors as a fatal error of the domain RefusalDomain().
// The scanner is declared last so that it goes before the resolver, the
// guard and the manager it points to.
class UntrustedScanner {
 public:
  UntrustedScanner(const XMLCh* scannerName, xercesc::XMLDocumentHandler& handler, xercesc::XMLErrorReporter& errors);
  ~UntrustedScanner();
  UntrustedScanner(const UntrustedScanner&) = delete;
  UntrustedScanner& operator=(const UntrustedScanner&) = delete;
  xercesc::XMLScanner& Get() { return *m_scanner; }

 private:
  std::unique_ptr<xercesc::SecurityManager> m_security;
  std::unique_ptr<SUGEntityGuard> m_guard;
  std::unique_ptr<xercesc::XMLEntityHandler> m_entities;
  std::unique_ptr<xercesc::GrammarResolver> m_resolver;
  std::unique_ptr<xercesc::XMLScanner> m_scanner;
};
// The error domain of the guard's refusals, to tell them from malformed XML.
const XMLCh* RefusalDomain();

// Parses a file; with a non-empty schemaFile the document must be valid
// against that (no-namespace) schema. Null when the file is missing or any
// error was reported; the reasons are in reporter.
std::unique_ptr<SUGDOMDocument> ValidatedParseFileDocument(const VXString& file, const VXString& schemaFile,
                                                           SUGDomErrorReporter& reporter);
// The same for a schema with a target namespace: the document must be valid
// against schemaFile (and the schemas it imports); schema locations named
// inside the document are not followed.
std::unique_ptr<SUGDOMDocument> ValidatedParseFileDocument(const VXString& file, const VXString& schemaFile,
                                                           const VXString& schemaNamespace,
                                                           SUGDomErrorReporter& reporter);
// The same for XML held in memory; bufferName names it in error reports.
std::unique_ptr<SUGDOMDocument> ParseMemoryDocument(std::string_view xml, const VXString& bufferName,
                                                    const VXString& schemaFile, SUGDomErrorReporter& reporter);

// Xerces text (NUL-terminated UTF-16) to and from VXString. ToXMLString
// refuses, with an UnencodableTextError, text that the parser cannot be
// given whole: a NUL (it would end the text early), a surrogate or a value
// beyond U+10FFFF. What it accepts reads back unchanged through ToVXString.
VXString ToVXString(const XMLCh* text);
std::u16string ToXMLString(const VXString& text);

VXString GetElementName(const xercesc::DOMElement* element);
// The attribute's value; empty when absent (also for a name that
// ToXMLString refuses, since no attribute can bear it).
VXString GetAttribute(const xercesc::DOMElement* element, const VXString& name);
std::vector<xercesc::DOMElement*> GetChildElements(const xercesc::DOMElement* element);
// The concatenated text content of a node.
VXString GetTextContent(const xercesc::DOMNode* node);
}  // namespace SUGDOM
