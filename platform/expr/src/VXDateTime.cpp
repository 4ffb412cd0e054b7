#include "Expr/VXDateTime.h"

#include <cstdio>

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
  std::snprintf(buf, sizeof buf, "%09u", static_cast<unsigned>(nanosecond));
  return "." + std::string(buf, static_cast<std::size_t>(precision));
}
}  // namespace

bool VXDate::IsValid() const {
  return m_year >= 1 && m_year <= 9999 && m_month >= 1 && m_month <= 12 && m_day >= 1 &&
         m_day <= DaysInMonth(m_year, m_month);
}

std::string VXDate::ToString() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", static_cast<int>(m_year), m_month, m_day);
  return buf;
}

bool VXTime::IsValid() const {
  return m_hour >= 0 && m_hour < 24 && m_minute >= 0 && m_minute < 60 && m_second >= 0 && m_second < 60 &&
         m_nanosecond < 1000000000u;
}

std::string VXTime::ToString(int precision) const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", m_hour, m_minute, m_second);
  return buf + Fraction(m_nanosecond, precision);
}

std::string VXDateTime::ToString(int precision) const { return m_date.ToString() + " " + m_time.ToString(precision); }
