// Arbitrary bytes as a translated XLIFF file: the reader validates against
// the XLIFF 2.0 schema (or reads an XLIFF 1.x document, which names its
// namespace, without one) and either gives units or throws
// TranslationError; it must never crash, hang or throw anything else.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzText.h"
#include "Translations/Translations.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = "/tmp/fuzz_xliff_" + std::to_string(::getpid()) + ".xlf";
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return 0;
  const bool bWritten = std::fwrite(data, 1, size, f) == size;
  std::fclose(f);
  if (!bWritten) return 0;
  try {
    std::string language;
    for (const smutil_translations::TranslationUnit& unit : smutil_translations::ReadXliff(file, language)) {
      FuzzCheck(unit.key == smutil_translations::BundleKeyOfVariable(unit.variable));
    }
  } catch (const smutil_translations::TranslationError&) {
  }
  return 0;
}
