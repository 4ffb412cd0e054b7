// BaseStringUtil: the server's string toolbox for VXString (UTF-32) text:
// matching, searching outside quotes, tokenizing, replacing, case mapping,
// number formatting and small escaping helpers.
//
//   BaseStringUtil::IsCaseInsensitiveMatch(U"Orders", U"ORDERS");              // true
//   BaseStringUtil::IsWildcardCaseInsensitiveMatch(U"Sales Fact", U"sales*");  // true
//   VXString s = U"a//b";
//   BaseStringUtil::ReplacePatternInString(s, U"//", U".");                   // s == U"a.b"
//   BaseStringUtil::Tokenize(U"a..b", U".", false, true);                      // {a, "", b}
//
// Case mapping is ICU's simple mapping per code point: the result has exactly
// as many characters as the input, so a position found in a lower-cased copy
// indexes the original text. Nothing here depends on the process locale.
//
// Positions are indexes into the text; "not found" is VXString::npos (every
// search answer that is at or past the end of the text means not found).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "Utility/VXString.h"
#include "Utility/VXStringCaseInsensitive.h"

namespace BaseStringUtil {

// ---- Matching -------------------------------------------------------------

// Exact, code point by code point.
bool IsMatch(std::u32string_view a, std::u32string_view b) noexcept;
// Equal under simple case folding (see VXStringCaseInsensitive.h).
bool IsCaseInsensitiveMatch(std::u32string_view a, std::u32string_view b) noexcept;
// Whether name matches pattern, ignoring case. Pattern syntax: "*" and "%"
// match any run of characters (also none), "?" matches exactly one, and a
// backslash makes the next pattern character literal. "_" is an ordinary
// character: it is far too common in repository names to be a wildcard.
bool IsWildcardCaseInsensitiveMatch(std::u32string_view name, std::u32string_view pattern) noexcept;
// Whether text begins with pattern, ignoring case. An empty pattern is at the
// start of every text.
bool CaseInsensitiveFindPatternAtStart(std::u32string_view text, std::u32string_view pattern) noexcept;
// First position of pattern in text at or after start, ignoring case; npos
// when absent.
std::size_t CaseInsensitiveFind(std::u32string_view text, std::u32string_view pattern, std::size_t start = 0) noexcept;

// ---- Case mapping (length preserving) ---------------------------------------

VXString ToLowerCase(std::u32string_view text);
// The one character ToLowerCase maps c to (inline for ASCII: scanners call
// it once a character).
char32_t LowerCaseNonAsciiChar(char32_t c) noexcept;
inline char32_t LowerCaseChar(char32_t c) noexcept {
  if (c < 0x80) return (c >= U'A' && c <= U'Z') ? c + 32 : c;
  return LowerCaseNonAsciiChar(c);
}
VXString ToUpperCase(std::u32string_view text);
// Simple case fold, the form used for case-insensitive keys.
VXString ToFoldedCase(std::u32string_view text);

// ---- Searching in SQL-like text --------------------------------------------

// A quoted part passed over by FindFirstUnquoted: the positions of its opening
// and of its closing quote character.
using QuotedPart = std::pair<std::size_t, std::size_t>;

// Finds the first occurrence of pattern at or after start that does not lie
// inside a quoted part, and appends to quotedParts (when given) every quoted
// part that starts at or after start and ends before that occurrence (or
// before the end of the text when there is none). A quoted part opens with
// "'" or a double quote and closes with the same character; the character
// written twice inside stands for itself. A quote that is never closed runs
// to the end of the text: nothing after it is found, and it is not reported
// since it has no closing position. Returns npos when not found.
//
// Because only parts between start and the answer are reported, a scan that
// restarts behind each answer sees every quoted part exactly once.
std::size_t FindFirstUnquoted(std::u32string_view text, std::u32string_view pattern, std::size_t start = 0,
                              std::vector<QuotedPart>* quotedParts = nullptr);

// Position of the ")" that closes a parenthesis opened just before start:
// nested "(" ... ")" pairs are skipped, and so are parentheses inside quoted
// parts (same quoting as FindFirstUnquoted). npos when it is never closed.
std::size_t FindClosingParenthesis(std::u32string_view text, std::size_t start) noexcept;

// Whether c separates words of SQL text: white space and the punctuation of
// the language ( ) . , ; : + - * / = < > ! | & ^ ~ [ ] { } ? @ and "%".
// Letters, digits, "_", "$", "#" and the quote characters are not separators.
bool IsWordSeparator(char32_t c) noexcept;

// ---- Splitting, trimming and replacing ---------------------------------------

// Cuts text at every character that occurs in delimiters. With
// bReturnDelimiters each delimiter also becomes a token of its own; with
// bKeepEmptyTokens the empty pieces between adjacent delimiters (and at the
// ends) are kept, so piece i of a split at "'" alternates outside/inside a
// literal.
VXStringVector Tokenize(std::u32string_view text, std::u32string_view delimiters, bool bReturnDelimiters = false,
                        bool bKeepEmptyTokens = false);

// White space (Unicode White_Space) removed at both ends.
VXString TrimBoth(std::u32string_view text);
VXString TrimLeft(std::u32string_view text);
VXString TrimRight(std::u32string_view text);

// Replaces every occurrence of pattern in text, left to right, never
// re-examining inserted text. Returns the number of replacements; an empty
// pattern replaces nothing.
std::size_t ReplacePatternInString(VXString& text, std::u32string_view pattern, std::u32string_view replacement);
// As ReplacePatternInString, optionally ignoring case and optionally only the
// first occurrence.
std::size_t ReplaceSubstring(VXString& text, std::u32string_view from, std::u32string_view to,
                             bool bCaseInsensitive = false, bool bFirstOnly = false);

// text between two quote characters, each inner quote character doubled.
VXString QuoteAround(std::u32string_view text, char32_t quote = U'"');
// & < > " ' written as entities. Characters that XML 1.0 cannot carry at all
// (controls other than tab, line feed and carriage return, lone surrogates,
// U+FFFE/U+FFFF) become U+FFFD so the document stays well-formed.
VXString EscapeXMLChars(std::u32string_view text);
// Every line break (CR LF, LF, CR, and the Unicode line and paragraph
// separators) becomes one blank.
VXString MakeOneLineString(std::u32string_view text);

// ---- Numbers and booleans ------------------------------------------------------

VXString StringFrom(int value);
VXString StringFrom(long value);
VXString StringFrom(long long value);
VXString StringFrom(unsigned value);
VXString StringFrom(unsigned long value);
VXString StringFrom(unsigned long long value);
// The shortest text that reads back as the same double ("1.5", "100",
// "1E+20", "NaN", "Infinity", "-Infinity"). With bSuffix the text is marked
// as an approximate (floating) number in SQL by the exponent suffix "E0"
// when it has no exponent yet ("1.5E0"), so it does not read back as an
// exact decimal.
VXString StringFrom(double value, bool bSuffix = false);

// Reads true/false from text: "true", "yes", "on", "t", "y" and any non-zero
// integer are true; "false", "no", "off", "f", "n" and zero are false; case
// and surrounding white space are ignored. Anything else gives defaultValue.
bool BooleanFrom(std::u32string_view text, bool defaultValue);

// Narrow text in a code page to VXString. 65001 (and 0) is UTF-8; UTF-16 and
// UTF-32 pages (1200, 1201 ...) are not narrow and are refused
// (std::invalid_argument); other numbers go through ICU's converter
// ("cp<N>", e.g. 1252, 932, 28591). A code page that ICU does not know is
// read as UTF-8 and logged once, so digits and names still come through.
VXString StdStringToString(std::string_view text, int codePage);

// ---- printf-style formatting ---------------------------------------------------

// One argument of VXString_sprintf.
using FormatArg = std::variant<long long, unsigned long long, double, char32_t, std::u32string_view, std::string_view>;

// Formats like printf: %d %i %u %x %X %o %c %s %ls %f %e %g %E %G %%, with the
// flags "-", "+", " ", "0", "#", a width and a precision ("*" is not
// supported); length modifiers (h, l, ll, z, j, t, L) are accepted and
// ignored since the arguments carry their own types. %s takes wide or narrow
// (UTF-8) text. Too few or too many arguments, an unknown conversion, or an
// argument whose kind does not suit its conversion throws
// std::invalid_argument naming the conversion.
VXString VXString_vsprintf(std::u32string_view format, std::span<const FormatArg> args);

namespace detail {
template <class T>
FormatArg ToFormatArg(const T& v) {
  using D = std::decay_t<T>;
  if constexpr (std::is_same_v<D, bool>) {
    return static_cast<long long>(v);
  } else if constexpr (std::is_same_v<D, char32_t>) {
    return v;
  } else if constexpr (std::is_same_v<D, char>) {
    return static_cast<char32_t>(static_cast<unsigned char>(v));
  } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
    return static_cast<long long>(v);
  } else if constexpr (std::is_integral_v<D>) {
    return static_cast<unsigned long long>(v);
  } else if constexpr (std::is_enum_v<D>) {
    return static_cast<long long>(v);
  } else if constexpr (std::is_floating_point_v<D>) {
    return static_cast<double>(v);
  } else if constexpr (std::is_convertible_v<const T&, std::u32string_view>) {
    return std::u32string_view(v);
  } else {
    static_assert(std::is_convertible_v<const T&, std::string_view>, "VXString_sprintf: unsupported argument type");
    return std::string_view(v);
  }
}
}  // namespace detail

template <class... Args>
VXString VXString_sprintf(std::u32string_view format, const Args&... args) {
  const FormatArg packed[] = {detail::ToFormatArg(args)..., FormatArg(0LL)};
  return VXString_vsprintf(format, std::span<const FormatArg>(packed, sizeof...(Args)));
}

}  // namespace BaseStringUtil
