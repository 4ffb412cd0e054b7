// VXString_vsprintf: printf-style formatting over typed arguments. Numbers go
// through the C library's snprintf with a rebuilt narrow conversion, so the
// flags, width and precision behave exactly as printf users expect; text is
// padded here, in code points.
#include <cstdio>
#include <string>

#include "Utility/BaseStringUtil.h"

namespace {
struct Spec {
  std::string flags;
  int width = -1;
  int precision = -1;
  char32_t conv = 0;
};

[[noreturn]] void Fail(const std::string& what) { throw std::invalid_argument("VXString_sprintf: " + what); }

std::string SpecText(const Spec& s) {
  std::string t = "%" + s.flags;
  if (s.width >= 0) t += std::to_string(s.width);
  if (s.precision >= 0) t += "." + std::to_string(s.precision);
  return t;
}

int ReadNumber(std::u32string_view f, std::size_t& i) {
  long long n = 0;
  while (i < f.size() && f[i] >= U'0' && f[i] <= U'9') {
    n = n * 10 + (f[i++] - U'0');
    if (n > 4096) Fail("width or precision too large");
  }
  return static_cast<int>(n);
}

// Parses the conversion that starts after "%" at i; i ends behind it.
Spec ParseSpec(std::u32string_view f, std::size_t& i) {
  Spec s;
  while (i < f.size() && std::u32string_view(U"-+ 0#").find(f[i]) != std::u32string_view::npos) {
    s.flags.push_back(static_cast<char>(f[i++]));
  }
  if (i < f.size() && f[i] == U'*') Fail("\"*\" width is not supported");
  if (i < f.size() && f[i] >= U'0' && f[i] <= U'9') s.width = ReadNumber(f, i);
  if (i < f.size() && f[i] == U'.') {
    ++i;
    if (i < f.size() && f[i] == U'*') Fail("\"*\" precision is not supported");
    s.precision = ReadNumber(f, i);
  }
  while (i < f.size() && std::u32string_view(U"hlzjtLq").find(f[i]) != std::u32string_view::npos) ++i;
  if (i >= f.size()) Fail("format ends inside a conversion");
  s.conv = f[i++];
  return s;
}

std::string Snprintf(const std::string& fmt, auto value) {
  char small[128];
  const int n = std::snprintf(small, sizeof small, fmt.c_str(), value);
  if (n < 0) Fail("cannot format " + fmt);
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(big.data(), big.size(), fmt.c_str(), value);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

void AppendPadded(VXString& out, std::u32string_view text, const Spec& s) {
  if (s.precision >= 0 && text.size() > static_cast<std::size_t>(s.precision)) text = text.substr(0, s.precision);
  const std::size_t pad = s.width > 0 && text.size() < static_cast<std::size_t>(s.width) ? s.width - text.size() : 0;
  const bool left = s.flags.find('-') != std::string::npos;
  if (!left) out.append(pad, U' ');
  out.append(text);
  if (left) out.append(pad, U' ');
}

void AppendOne(VXString& out, const Spec& s, const BaseStringUtil::FormatArg& arg, std::size_t index) {
  const std::string where = "argument " + std::to_string(index + 1) + " for %" + ToNarrow(std::u32string(1, s.conv));
  switch (s.conv) {
    case U'd':
    case U'i':
    case U'u':
    case U'x':
    case U'X':
    case U'o': {
      const bool isSigned = s.conv == U'd' || s.conv == U'i';
      const std::string fmt = SpecText(s) + (isSigned ? "lld" : std::string("ll") + static_cast<char>(s.conv));
      if (const auto* v = std::get_if<long long>(&arg)) return void(out.append(ToVXString(Snprintf(fmt, *v))));
      if (const auto* v = std::get_if<unsigned long long>(&arg)) {
        return void(out.append(ToVXString(isSigned ? Snprintf(SpecText(s) + "llu", *v) : Snprintf(fmt, *v))));
      }
      if (const auto* v = std::get_if<char32_t>(&arg)) {
        return void(out.append(ToVXString(Snprintf(fmt, static_cast<long long>(*v)))));
      }
      Fail(where + " is not an integer");
    }
    case U'f':
    case U'F':
    case U'e':
    case U'E':
    case U'g':
    case U'G':
    case U'a':
    case U'A': {
      const std::string fmt = SpecText(s) + static_cast<char>(s.conv);
      double v;
      if (const auto* d = std::get_if<double>(&arg))
        v = *d;
      else if (const auto* i = std::get_if<long long>(&arg))
        v = static_cast<double>(*i);
      else if (const auto* u = std::get_if<unsigned long long>(&arg))
        v = static_cast<double>(*u);
      else
        Fail(where + " is not a number");
      return void(out.append(ToVXString(Snprintf(fmt, v))));
    }
    case U'c': {
      char32_t c;
      if (const auto* ch = std::get_if<char32_t>(&arg))
        c = *ch;
      else if (const auto* i = std::get_if<long long>(&arg))
        c = static_cast<char32_t>(*i);
      else if (const auto* u = std::get_if<unsigned long long>(&arg))
        c = static_cast<char32_t>(*u);
      else
        Fail(where + " is not a character");
      Spec noPrecision = s;
      noPrecision.precision = -1;
      return AppendPadded(out, std::u32string_view(&c, 1), noPrecision);
    }
    case U's':
    case U'S': {
      if (const auto* w = std::get_if<std::u32string_view>(&arg)) return AppendPadded(out, *w, s);
      if (const auto* n = std::get_if<std::string_view>(&arg)) return AppendPadded(out, ToVXString(*n), s);
      Fail(where + " is not text");
    }
    default:
      Fail("unknown conversion %" + ToNarrow(std::u32string(1, s.conv)));
  }
}
}  // namespace

namespace BaseStringUtil {

VXString VXString_vsprintf(std::u32string_view format, std::span<const FormatArg> args) {
  VXString out;
  out.reserve(format.size() + 16 * args.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] != U'%') {
      out.push_back(format[i++]);
      continue;
    }
    ++i;
    if (i < format.size() && format[i] == U'%') {
      out.push_back(U'%');
      ++i;
      continue;
    }
    const Spec spec = ParseSpec(format, i);
    if (next >= args.size()) Fail("the format needs more than " + std::to_string(args.size()) + " argument(s)");
    AppendOne(out, spec, args[next], next);
    ++next;
  }
  if (next != args.size()) {
    Fail("the format uses " + std::to_string(next) + " argument(s) but " + std::to_string(args.size()) + " were given");
  }
  return out;
}

}  // namespace BaseStringUtil
