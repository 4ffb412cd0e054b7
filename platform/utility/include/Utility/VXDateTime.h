// Date and time values of the server (the values of DATE, TIME and TIMESTAMP
// literals), their text forms and DateTimeMetaData's date formatting.
//
//   VXDate d(2024, 2, 29);  d.IsValid();              // true
//   VXTime t(12, 30, 5, 500000000);  t.ToString(0);   // "12:30:05"
//   VXDateTime ts(d, t);  ts.ToString(3);             // "2024-02-29 12:30:05.500"
//   DateTimeMetaData::Convert(d, DateTimeMetaData::global_stdInternationalDateFormat);  // U"2024-02-29"
//   VXDate back;  VXDate::FromString("2024-02-29", back);                              // true
//
// Values are plain fields; a value built from out-of-range fields exists but
// IsValid() says false, and the readers never produce one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Utility/VXString.h"

class VXDate {
 public:
  constexpr VXDate() = default;
  constexpr VXDate(std::int32_t year, int month, int day) : m_year(year), m_month(month), m_day(day) {}

  std::int32_t GetYear() const { return m_year; }
  int GetMonth() const { return m_month; }
  int GetDay() const { return m_day; }
  // Years 1 to 9999 (the range of SQL dates), real calendar days only.
  bool IsValid() const;
  // "YYYY-MM-DD".
  std::string ToString() const;
  // Reads exactly "YYYY-MM-DD" (four, two and two digits) naming a valid
  // date; false, with value untouched, for anything else.
  static bool FromString(std::string_view text, VXDate& value);

  friend constexpr bool operator==(const VXDate&, const VXDate&) = default;

 private:
  std::int32_t m_year = 1;
  int m_month = 1;
  int m_day = 1;
};

class VXTime {
 public:
  constexpr VXTime() = default;
  constexpr VXTime(int hour, int minute, int second, std::uint32_t nanosecond = 0)
      : m_hour(hour), m_minute(minute), m_second(second), m_nanosecond(nanosecond) {}

  int GetHour() const { return m_hour; }
  int GetMinute() const { return m_minute; }
  int GetSecond() const { return m_second; }
  std::uint32_t GetNanosecond() const { return m_nanosecond; }
  bool IsValid() const;
  // "HH:MM:SS", then "." and `precision` (0-9) fraction digits when precision > 0.
  std::string ToString(int precision) const;
  // Reads "HH:MM:SS" with an optional "." and 1-9 fraction digits.
  static bool FromString(std::string_view text, VXTime& value);

  friend constexpr bool operator==(const VXTime&, const VXTime&) = default;

 private:
  int m_hour = 0;
  int m_minute = 0;
  int m_second = 0;
  std::uint32_t m_nanosecond = 0;
};

class VXDateTime {
 public:
  constexpr VXDateTime() = default;
  constexpr VXDateTime(VXDate date, VXTime time) : m_date(date), m_time(time) {}

  const VXDate& GetDate() const { return m_date; }
  const VXTime& GetTime() const { return m_time; }
  bool IsValid() const { return m_date.IsValid() && m_time.IsValid(); }
  // "YYYY-MM-DD HH:MM:SS[.fraction]".
  std::string ToString(int precision) const;
  // Reads a date, one blank, and a time, as the two readers above do.
  static bool FromString(std::string_view text, VXDateTime& value);

  friend constexpr bool operator==(const VXDateTime&, const VXDateTime&) = default;

 private:
  VXDate m_date;
  VXTime m_time;
};

namespace DateTimeMetaData {
// The international (ISO 8601) date format that SQL date literals use.
extern const VXString global_stdInternationalDateFormat;  // U"yyyy-mm-dd"

// Writes a date in a format. Format fields, case-insensitive: "yyyy" the year
// in four digits, "yy" its last two, "mm" the month and "dd" the day in two
// digits, "m" and "d" without a leading zero, "mon" the English month
// abbreviation ("Feb"). Text between double quotes is copied without its
// quotes; every other character is copied as it is.
VXString Convert(const VXDate& date, const VXString& format);
}  // namespace DateTimeMetaData
