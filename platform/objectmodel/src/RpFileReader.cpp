// Reading repository files (see objectmodel/RpFile.h for the format) in
// two steps. A Xerces-C scanner calls the recorder straight (no DOM, and no
// SAX2 layer copying each element's attributes), which appends what the
// file says to flat records; the builder then checks the records as a whole
// and makes the repository from them. The fault reported is the one at the
// earliest place, whichever step found it.
#include <unicode/utf8.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string_view>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/framework/XMLPScanToken.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/util/XMLUni.hpp>

#include "RpFileBuild.h"
#include "RpFileRecorder.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUGDOM.h"
#include "objectmodel/RpFile.h"

using namespace xercesc;
using RpFileLoad::At;
using RpFileLoad::Fault;

namespace {

// A file that a parse refused may hold a byte that is no UTF-8 or a NUL,
// which the parser reports as something else (or nowhere): the first such
// byte, with its line and column (in characters), said plainly. Only for
// files read as UTF-8: without a byte-order mark or another declared encoding.
std::optional<Fault> FindBadByte(const char* data, std::size_t size) {
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
  std::uint64_t line = 1;
  std::uint64_t column = 1;
  for (int32_t i = 0; i < length;) {
    const int32_t start = i;
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", bytes[start]);
      return Fault{At::Of(line, column), std::string("the byte ") + hex +
                                             " is not valid UTF-8 (the file must be UTF-8, or declare its encoding)"};
    }
    if (c == 0)
      return Fault{At::Of(line, column),
                   "a NUL byte, which no XML text may hold (write the character as \\u{0} with esc=\"1\")"};
    if (c == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return std::nullopt;
}

// The fault for a scan that stopped at `at`: the bad byte in front of it
// when there is one, else message.
Fault ScanFault(const char* data, std::size_t size, const At& at, std::string message) {
  if (std::optional<Fault> bad = FindBadByte(data, size); bad && !(at < bad->at)) return std::move(*bad);
  return Fault{at, std::move(message)};
}

std::string Narrow(const XMLCh* s) { return s ? ToNarrow(FromUtf16(s)) : std::string(); }

// The first fault of a scan, if any. bOneCall: the document in one call of
// the scanner that ScannerFor picks, which is cheaper than a call a token,
// else token by token with the default scanner: the scanner decodes the
// input some way ahead of where it reads, so in one call a byte it cannot
// decode is reported where the reading had got to, while token by token
// the decoder's own error comes out; and the default scanner's words for
// malformed XML are the ones a file's error reads the same in, whichever
// scanner met it first. malformed is set when the fault is the scanner's.
std::optional<Fault> Scan(const char* data, std::size_t size, const std::string& sourceName, bool bOneCall,
                          RpFileLoad::Records& records, bool& malformed) {
  RpFileLoad::Recorder recorder(records);
  // A written object takes some 70 bytes; room reserved and not used is
  // never touched.
  records.objects.reserve(size / 64);
  records.names.reserve(size / 64);
  SUGDOM::UntrustedScanner scanner(bOneCall ? SUGDOM::ScannerFor(std::string_view(data, size)) : XMLUni::fgIGXMLScanner,
                                   recorder, recorder);
  recorder.SetLocator(scanner.Get().getLocator());
  MemBufInputSource input(reinterpret_cast<const XMLByte*>(data), size, sourceName.c_str(), false);
  // The bytes outlive the parse, so the reader reads them in place rather
  // than from a copy of the whole file.
  input.setCopyBufToStream(false);
  // A fault the scanner throws rather than reports.
  std::optional<std::string> thrown;
  try {
    if (bOneCall) {
      scanner.Get().scanDocument(input);
    } else {
      XMLPScanToken token;
      bool bMore = scanner.Get().scanFirst(input, token);
      while (bMore && !recorder.Failed()) bMore = scanner.Get().scanNext(token);
      scanner.Get().scanReset(token);
    }
  } catch (const XMLException& e) {
    // The scanner's locator is not to be asked once it has thrown.
    thrown = "malformed XML: " + Narrow(e.getMessage());
  }
  malformed = recorder.FailedOnXml() || (thrown && !recorder.Failed());
  if (thrown) {
    // A scanner that met a fault it did not report refuses the next token
    // in words about itself; what the file lacks is what to say.
    if (recorder.Failed()) {
      if (std::optional<Fault> bad = FindBadByte(data, size); bad && !bOneCall) return bad;
      return ScanFault(data, size, recorder.Failure().at, recorder.Failure().message);
    }
    if (!recorder.SawRoot()) {
      // Where the text that is not markup begins.
      std::uint64_t line = 1;
      std::uint64_t column = 1;
      for (std::size_t i = 0; i < size && std::isspace(static_cast<unsigned char>(data[i])); ++i) {
        if (data[i] == '\n') {
          ++line;
          column = 1;
        } else {
          ++column;
        }
      }
      return ScanFault(data, size, At::Of(line, column), "not an XML document (no <repository> element)");
    }
    return ScanFault(data, size, At{}, *thrown);
  }
  if (recorder.Failed()) return ScanFault(data, size, recorder.Failure().at, recorder.Failure().message);
  if (!recorder.SawRoot()) return ScanFault(data, size, At{1, 1}, "no <repository> element (empty file?)");
  return std::nullopt;
}

std::unique_ptr<ARpGateway> Parse(const char* data, std::size_t size, const std::string& sourceName) {
  SUGDOM::Initialize();
  RpFileLoad::Records records;
  bool bMalformed = false;
  std::optional<Fault> scanFault = Scan(data, size, sourceName, true, records, bMalformed);
  if (bMalformed) {
    // Malformed XML is placed by a second scan, token by token (see Scan).
    records = RpFileLoad::Records();
    scanFault = Scan(data, size, sourceName, false, records, bMalformed);
  }
  RpFileLoad::EarliestFault faults;
  if (scanFault) faults.Offer(*scanFault);
  RpFileLoad::Builder builder(records);
  builder.Check(!scanFault, faults);
  if (faults.Any()) {
    const Fault& f = faults.Get();
    throw RpFileError(sourceName, f.at.line, f.at.column, f.message);
  }
  return builder.Build();
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
