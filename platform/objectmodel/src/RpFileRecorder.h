// The XML handler of the repository-file reader: it checks each element as
// the scanner hands it over (names, attributes, values, expression text)
// and appends what it says to RpFileLoad::Records. It keeps no gateway:
// whatever needs the whole file (ids taken twice, parents, places among
// children, tuple arguments) is the build's to check.
//
// The first fault it meets is kept and every event after it is ignored, so
// a scan may run on to its end or be stopped by its driver.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>
#include <xercesc/framework/XMLDocumentHandler.hpp>
#include <xercesc/framework/XMLErrorReporter.hpp>
#include <xercesc/sax/Locator.hpp>

#include "RpFileRecords.h"

namespace RpFileLoad {

class Recorder : public xercesc::XMLDocumentHandler, public xercesc::XMLErrorReporter {
 public:
  explicit Recorder(Records& records) : m_records(records) {}

  void SetLocator(const xercesc::Locator* locator) { m_locator = locator; }

  bool Failed() const { return m_failure.has_value(); }
  const Fault& Failure() const { return *m_failure; }
  // Whether the fault kept is the scanner's (malformed XML).
  bool FailedOnXml() const { return m_bXmlFault; }
  bool SawRoot() const { return m_bSawRoot; }

  // The scanner's events. An empty element gets no end event of its own.
  void startElement(const xercesc::XMLElementDecl& decl, const unsigned int, const XMLCh* const,
                    const xercesc::RefVectorOf<xercesc::XMLAttr>& attrs, const XMLSize_t count, const bool bEmpty,
                    const bool) override;
  void endElement(const xercesc::XMLElementDecl&, const unsigned int, const bool, const XMLCh* const) override {
    EndElement();
  }
  void docCharacters(const XMLCh* const chars, const XMLSize_t length, const bool) override;
  void docComment(const XMLCh* const) override {}
  void docPI(const XMLCh* const, const XMLCh* const) override {}
  void startDocument() override {}
  void endDocument() override {}
  void resetDocument() override {}
  void ignorableWhitespace(const XMLCh* const, const XMLSize_t, const bool) override {}
  void startEntityReference(const xercesc::XMLEntityDecl&) override {}
  void endEntityReference(const xercesc::XMLEntityDecl&) override {}
  void XMLDecl(const XMLCh* const, const XMLCh* const, const XMLCh* const, const XMLCh* const) override {}
  // Every error is a fault of the file; warnings are not.
  void error(const unsigned int, const XMLCh* const domain, const xercesc::XMLErrorReporter::ErrTypes type,
             const XMLCh* const text, const XMLCh* const, const XMLCh* const, const XMLFileLoc line,
             const XMLFileLoc column) override;
  void resetErrors() override {}

  enum class El : std::uint8_t;
  enum class PropType : std::uint8_t;

 private:
  class AttrList;
  struct Frame {
    El el;
    bool bEsc;
    At at;  // where the element's content starts
  };

  At Here() const;
  // Faults are rare: kept out of line, they leave the callers' common path
  // as it is.
  [[gnu::cold, gnu::noinline]] void Fail(const At& at, std::string message);
  [[gnu::cold, gnu::noinline]] void Fail(std::string message);

  void StartElement(const XMLCh* name, const AttrList& attrs);
  void EndElement();

  bool GetString(const AttrList& attrs, const char16_t* name, bool bEsc, VXString& out, bool bRequired);
  bool Unescape(VXString& s);
  bool ParseExpr(const VXString& text, const At& at, Expr& expr);
  VXString TakeText();

  void StartObject(const AttrList& attrs);
  void StartProp(const AttrList& attrs, bool bEsc);
  void EndProp();
  void StartTuple(const AttrList& attrs);

  Records& m_records;
  const xercesc::Locator* m_locator = nullptr;
  // A type of the catalogue seen before.
  TypeID m_knownType = 0;
  bool m_bKnownType = false;
  std::optional<Fault> m_failure;
  bool m_bXmlFault = false;
  bool m_bSawRoot = false;
  std::vector<Frame> m_stack;
  std::u16string m_text;
  bool m_bCollectText = false;

  // The object being read (its index in the records), and the keys of the
  // properties it has been given.
  std::uint32_t m_object = 0;
  std::uint64_t m_propsGiven = 0;
  RpProp m_propKey = RpProp::kCount;
  PropType m_propType{};
  At m_propAt;
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
};

}  // namespace RpFileLoad
