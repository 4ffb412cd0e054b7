// Number and boolean text, code-page conversion and printf-style formatting.
#include <unicode/ucnv.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "Utility/BaseStringUtil.h"
#include "Utility/ServerLog.h"

namespace {
VXString Widen(std::string_view ascii) { return VXString(ascii.begin(), ascii.end()); }

template <class T>
VXString IntText(T value) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  return Widen(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

// ICU's names for a Windows-style code page number, most specific first.
std::vector<std::string> ConverterNames(int codePage) {
  std::vector<std::string> names;
  if (codePage == 20127) names.push_back("US-ASCII");
  if (codePage >= 28591 && codePage <= 28599) names.push_back("ISO-8859-" + std::to_string(codePage - 28590));
  names.push_back("windows-" + std::to_string(codePage));
  names.push_back("cp" + std::to_string(codePage));
  names.push_back("ibm-" + std::to_string(codePage));
  return names;
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(int codePage) {
  for (const std::string& name : ConverterNames(codePage)) {
    UErrorCode status = U_ZERO_ERROR;
    ConverterPtr conv(ucnv_open(name.c_str(), &status));
    if (U_SUCCESS(status) && conv) return conv;
  }
  return nullptr;
}

// Whether a lone byte below 0x80 is the ASCII character of that value in the
// converter's page: a stateless page that reads printable ASCII as itself
// (not EBCDIC, not the shifting ISO-2022 family).
bool IsAsciiBased(UConverter* conv) {
  UErrorCode status = U_ZERO_ERROR;
  switch (ucnv_getType(conv)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_US_ASCII:
      break;
    default:
      return false;
  }
  for (char c = 0x20; c < 0x7F; ++c) {
    const char* src = &c;
    ucnv_reset(conv);
    status = U_ZERO_ERROR;
    if (ucnv_getNextUChar(conv, &src, &c + 1, &status) != c || U_FAILURE(status)) return false;
  }
  ucnv_reset(conv);
  return true;
}

void WarnUnknownCodePageOnce(int codePage) {
  static std::mutex mutex;
  static std::set<int> warned;
  std::lock_guard lock(mutex);
  if (!warned.insert(codePage).second) return;
  ServerLog::LogWarning(U"Code page " + IntText(codePage) + U" is not known; its text is read as UTF-8.", 1);
}
}  // namespace

namespace BaseStringUtil {

VXString StringFrom(int value) { return IntText(value); }
VXString StringFrom(long value) { return IntText(value); }
VXString StringFrom(long long value) { return IntText(value); }
VXString StringFrom(unsigned value) { return IntText(value); }
VXString StringFrom(unsigned long value) { return IntText(value); }
VXString StringFrom(unsigned long long value) { return IntText(value); }

VXString StringFrom(double value, bool bSuffix) {
  if (std::isnan(value)) return U"NaN";
  if (std::isinf(value)) return value < 0 ? U"-Infinity" : U"Infinity";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  VXString text = Widen(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  bool hasExponent = false;
  for (char32_t& c : text) {
    if (c == U'e') {
      c = U'E';
      hasExponent = true;
    }
  }
  if (bSuffix && !hasExponent) text += U"E0";
  return text;
}

bool BooleanFrom(std::u32string_view text, bool defaultValue) {
  const VXString t = ToFoldedCase(TrimBoth(text));
  if (t == U"true" || t == U"yes" || t == U"on" || t == U"t" || t == U"y") return true;
  if (t == U"false" || t == U"no" || t == U"off" || t == U"f" || t == U"n") return false;
  if (t.empty()) return defaultValue;
  std::size_t i = (t[0] == U'+' || t[0] == U'-') ? 1 : 0;
  if (i == t.size()) return defaultValue;
  bool nonZero = false;
  for (; i < t.size(); ++i) {
    if (t[i] < U'0' || t[i] > U'9') return defaultValue;
    nonZero = nonZero || t[i] != U'0';
  }
  return nonZero;
}

VXString StdStringToString(std::string_view text, int codePage) {
  if (codePage == 0 || codePage == 65001) return ToVXString(text);
  if (codePage == 1200 || codePage == 1201) {
    throw std::invalid_argument("StdStringToString: code page " + std::to_string(codePage) +
                                " is UTF-16, not a narrow code page");
  }
  ConverterPtr conv = OpenConverter(codePage);
  if (!conv) {
    WarnUnknownCodePageOnce(codePage);
    return ToVXString(text);
  }
  switch (ucnv_getType(conv.get())) {
    case UCNV_UTF16_BigEndian:
    case UCNV_UTF16_LittleEndian:
    case UCNV_UTF16:
    case UCNV_UTF32_BigEndian:
    case UCNV_UTF32_LittleEndian:
    case UCNV_UTF32:
      throw std::invalid_argument("StdStringToString: code page " + std::to_string(codePage) +
                                  " is UTF-16 or UTF-32, not a narrow code page");
    default:
      break;
  }
  // ICU reads the PC pages (437, 850, 932 ...) with tables that swap the
  // controls 0x1A, 0x1C and 0x7F for graphics; the pages asked for here by
  // number keep every byte below 0x80 as the ASCII character of its value.
  // Asked only when a byte below 0x80 does not come out as itself.
  int asciiBased = -1;
  VXString out;
  out.reserve(text.size());
  const char* src = text.data();
  const char* end = text.data() + text.size();
  while (src < end) {
    UErrorCode status = U_ZERO_ERROR;
    const char* before = src;
    const UChar32 cp = ucnv_getNextUChar(conv.get(), &src, end, &status);
    if (U_FAILURE(status)) {
      // Bad bytes stay visible as U+FFFD; always make progress.
      out.push_back(U'\uFFFD');
      if (status == U_INDEX_OUTOFBOUNDS_ERROR) break;
      if (src == before) ++src;
      continue;
    }
    const auto lone = static_cast<unsigned char>(*before);
    bool bAsciiByte = false;
    if (src - before == 1 && lone < 0x80 && static_cast<UChar32>(lone) != cp) {
      // Between characters a stateless page may be reset to ask.
      if (asciiBased < 0) asciiBased = IsAsciiBased(conv.get()) ? 1 : 0;
      bAsciiByte = asciiBased == 1;
    }
    // The Unicode byte forms (SCSU, BOCU-1) can carry a lone surrogate,
    // which is no character: it stays visible as U+FFFD like bad bytes.
    const bool bSurrogate = cp >= 0xD800 && cp <= 0xDFFF;
    out.push_back(bAsciiByte ? char32_t{lone} : bSurrogate ? U'\uFFFD' : static_cast<char32_t>(cp));
  }
  return out;
}

}  // namespace BaseStringUtil
