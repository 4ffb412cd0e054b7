#include "Utility/VXDateTime.h"

#include <cstdio>

#include "Utility/BaseStringUtil.h"

namespace {
bool IsLeapYear(std::int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(std::int32_t year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

std::string Fraction(std::uint32_t nanosecond, int precision) {
  if (precision <= 0) return {};
  if (precision > 9) precision = 9;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%09u", static_cast<unsigned>(nanosecond % 1000000000u));
  return "." + std::string(buf, static_cast<std::size_t>(precision));
}

// Reads exactly n digits at text[pos]; false when any is missing.
bool Digits(std::string_view text, std::size_t pos, std::size_t n, int& value) {
  if (pos + n > text.size()) return false;
  value = 0;
  for (std::size_t i = pos; i < pos + n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

VXString TwoDigits(int v) {
  v = v < 0 ? -v : v;  // only invalid dates have negative fields
  return VXString{static_cast<char32_t>(U'0' + v / 10 % 10), static_cast<char32_t>(U'0' + v % 10)};
}
}  // namespace

bool VXDate::IsValid() const {
  return m_year >= 1 && m_year <= 9999 && m_month >= 1 && m_month <= 12 && m_day >= 1 &&
         m_day <= DaysInMonth(m_year, m_month);
}

std::string VXDate::ToString() const {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", static_cast<int>(m_year), m_month, m_day);
  return buf;
}

bool VXDate::FromString(std::string_view text, VXDate& value) {
  int y, m, d;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  if (!Digits(text, 0, 4, y) || !Digits(text, 5, 2, m) || !Digits(text, 8, 2, d)) return false;
  const VXDate read(y, m, d);
  if (!read.IsValid()) return false;
  value = read;
  return true;
}

bool VXTime::IsValid() const {
  return m_hour >= 0 && m_hour < 24 && m_minute >= 0 && m_minute < 60 && m_second >= 0 && m_second < 60 &&
         m_nanosecond < 1000000000u;
}

std::string VXTime::ToString(int precision) const {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", m_hour, m_minute, m_second);
  return buf + Fraction(m_nanosecond, precision);
}

bool VXTime::FromString(std::string_view text, VXTime& value) {
  int h, mi, s;
  if (text.size() < 8 || text[2] != ':' || text[5] != ':') return false;
  if (!Digits(text, 0, 2, h) || !Digits(text, 3, 2, mi) || !Digits(text, 6, 2, s)) return false;
  std::uint32_t nanos = 0;
  if (text.size() > 8) {
    const std::size_t digits = text.size() - 9;
    if (text[8] != '.' || digits < 1 || digits > 9) return false;
    int f;
    if (!Digits(text, 9, digits, f)) return false;
    nanos = static_cast<std::uint32_t>(f);
    for (std::size_t i = digits; i < 9; ++i) nanos *= 10;
  }
  const VXTime read(h, mi, s, nanos);
  if (!read.IsValid()) return false;
  value = read;
  return true;
}

std::string VXDateTime::ToString(int precision) const { return m_date.ToString() + " " + m_time.ToString(precision); }

bool VXDateTime::FromString(std::string_view text, VXDateTime& value) {
  VXDate d;
  VXTime t;
  if (text.size() < 11 || text[10] != ' ') return false;
  if (!VXDate::FromString(text.substr(0, 10), d) || !VXTime::FromString(text.substr(11), t)) return false;
  value = VXDateTime(d, t);
  return true;
}

namespace DateTimeMetaData {
const VXString global_stdInternationalDateFormat = U"yyyy-mm-dd";

VXString Convert(const VXDate& date, const VXString& format) {
  static const char32_t* const kMonths[] = {U"Jan", U"Feb", U"Mar", U"Apr", U"May", U"Jun",
                                            U"Jul", U"Aug", U"Sep", U"Oct", U"Nov", U"Dec"};
  const auto at = [&](std::size_t i, std::u32string_view field) {
    return BaseStringUtil::CaseInsensitiveFindPatternAtStart(std::u32string_view(format).substr(i), field);
  };
  VXString out;
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] == U'"') {
      const std::size_t close = format.find(U'"', i + 1);
      const std::size_t end = close == VXString::npos ? format.size() : close;
      out.append(format, i + 1, end - i - 1);
      i = end + (close == VXString::npos ? 0 : 1);
    } else if (at(i, U"yyyy")) {
      const int y = date.GetYear();
      out += TwoDigits(y / 100) + TwoDigits(y % 100);
      i += 4;
    } else if (at(i, U"yy")) {
      out += TwoDigits(date.GetYear() % 100);
      i += 2;
    } else if (at(i, U"mon")) {
      const int m = date.GetMonth();
      out += (m >= 1 && m <= 12) ? kMonths[m - 1] : U"???";
      i += 3;
    } else if (at(i, U"mm")) {
      out += TwoDigits(date.GetMonth());
      i += 2;
    } else if (at(i, U"dd")) {
      out += TwoDigits(date.GetDay());
      i += 2;
    } else if (at(i, U"m")) {
      out += BaseStringUtil::StringFrom(date.GetMonth());
      ++i;
    } else if (at(i, U"d")) {
      out += BaseStringUtil::StringFrom(date.GetDay());
      ++i;
    } else {
      out.push_back(format[i++]);
    }
  }
  return out;
}
}  // namespace DateTimeMetaData
