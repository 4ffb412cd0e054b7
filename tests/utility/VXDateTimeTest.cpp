#include <gtest/gtest.h>

#include "Utility/VXDateTime.h"

TEST(VXDateTime, TextForms) {
  const VXDate d(2024, 2, 29);
  const VXTime t(7, 5, 9, 120000000);
  EXPECT_EQ(d.ToString(), "2024-02-29");
  EXPECT_EQ(t.ToString(0), "07:05:09");
  EXPECT_EQ(t.ToString(3), "07:05:09.120");
  EXPECT_EQ(VXDateTime(d, t).ToString(0), "2024-02-29 07:05:09");
  EXPECT_EQ(DateTimeMetaData::Convert(d, DateTimeMetaData::global_stdInternationalDateFormat), U"2024-02-29");
  EXPECT_EQ(DateTimeMetaData::Convert(VXDate(987, 3, 4), U"dd/mm/yyyy"), U"04/03/0987");
  EXPECT_EQ(DateTimeMetaData::Convert(d, U"d MON yy \"day\" m"), U"29 Feb 24 day 2");
}

TEST(VXDateTime, ReadersAcceptOnlyValidValues) {
  VXDate d;
  EXPECT_TRUE(VXDate::FromString("2024-02-29", d));
  EXPECT_EQ(d, VXDate(2024, 2, 29));
  for (const char* bad : {"2023-02-29", "2024-13-01", "0000-01-01", "2024-1-01", "2024/01/01", "2024-01-01x", ""}) {
    VXDate keep(1999, 9, 9);
    EXPECT_FALSE(VXDate::FromString(bad, keep)) << bad;
    EXPECT_EQ(keep, VXDate(1999, 9, 9));
  }
  VXTime t;
  EXPECT_TRUE(VXTime::FromString("23:59:58.5", t));
  EXPECT_EQ(t, VXTime(23, 59, 58, 500000000));
  for (const char* bad : {"24:00:00", "12:60:00", "12:00:00.", "12:00:00.1234567890", "1:00:00", "12:00:00 "}) {
    EXPECT_FALSE(VXTime::FromString(bad, t)) << bad;
  }
  VXDateTime ts;
  EXPECT_TRUE(VXDateTime::FromString("0001-01-01 00:00:00.999999999", ts));
  EXPECT_EQ(ts, VXDateTime(VXDate(1, 1, 1), VXTime(0, 0, 0, 999999999)));
  EXPECT_FALSE(VXDateTime::FromString("2024-01-01T00:00:00", ts));
}
