// Date and time values as expression literals hold them.
//
//   VXDate d(2024, 2, 29);  d.IsValid();   // true
//   VXTime t(12, 30, 5, 500000000);  t.ToString(0);  // "12:30:05"
//   VXDateTime ts(d, t);  ts.ToString(3);            // "2024-02-29 12:30:05.500"
#pragma once

#include <cstdint>
#include <string>

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

  friend constexpr bool operator==(const VXDateTime&, const VXDateTime&) = default;

 private:
  VXDate m_date;
  VXTime m_time;
};
