#include "settings/ini_values.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <optional>

namespace zm {
namespace {

TEST(IniIntegerTest, ReadsDecimalWithSign) {
  EXPECT_EQ(ParseIniInteger("640"), 640);
  EXPECT_EQ(ParseIniInteger("-56"), -56);
  EXPECT_EQ(ParseIniInteger("+7"), 7);
  EXPECT_EQ(ParseIniInteger("007"), 7);
  EXPECT_EQ(ParseIniInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
}

TEST(IniIntegerTest, ReadsHexOnlyWithPrefixAndDigits) {
  EXPECT_EQ(ParseIniInteger("0x280"), 640);
  EXPECT_EQ(ParseIniInteger("0X1f"), 31);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);    // 32-bit pattern wraps
  EXPECT_EQ(ParseIniInteger("0x"), std::nullopt);  // two characters: not hexadecimal
  EXPECT_EQ(ParseIniInteger("0x-5"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("0x+5"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("0x1G"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("0x100000000"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("280h"), std::nullopt);
}

TEST(IniIntegerTest, RejectsAnythingElse) {
  for (const char* text : {"", "yes", "1.5", "12a", " 5", "5 ", "--5", "+-5", "+", "-",
                           "2147483648", "-2147483649", "99999999999999999999"}) {
    EXPECT_EQ(ParseIniInteger(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(IniIntegerTest, WritesDecimal) {
  EXPECT_EQ(FormatIniInteger(44), "44");
  EXPECT_EQ(FormatIniInteger(-56), "-56");
  EXPECT_EQ(FormatIniInteger(INT32_MIN), "-2147483648");
}

TEST(IniFloatTest, WritesShortestFormWithUpTo15Digits) {
  EXPECT_EQ(FormatIniFloat(1.7), "1.7");
  EXPECT_EQ(FormatIniFloat(0.1), "0.1");
  EXPECT_EQ(FormatIniFloat(2.0), "2");
  EXPECT_EQ(FormatIniFloat(0.1 + 0.2), "0.3");  // 0.30000000000000004 at 17 digits
  EXPECT_EQ(FormatIniFloat(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FormatIniFloat(-0.5), "-0.5");
  EXPECT_EQ(FormatIniFloat(1e20), "1e+20");
}

TEST(IniFloatTest, ReadsBackWhatItWrites) {
  for (double value : {1.7, 0.1, 2.0, 0.0, -3.25, 1e-300, 4.9e-324, DBL_MAX, -DBL_MAX, DBL_MIN}) {
    std::optional<double> read = ParseIniFloat(FormatIniFloat(value));
    ASSERT_TRUE(read.has_value()) << FormatIniFloat(value);
    EXPECT_EQ(FormatIniFloat(*read), FormatIniFloat(value));
  }
  // Next to the largest double, 15 digits would round past it.
  EXPECT_EQ(ParseIniFloat(FormatIniFloat(DBL_MAX)), DBL_MAX);
}

TEST(IniFloatTest, ReadsDecimalAndExponentForms) {
  EXPECT_EQ(ParseIniFloat("1.7"), 1.7);
  EXPECT_EQ(ParseIniFloat("+1.5"), 1.5);
  EXPECT_EQ(ParseIniFloat(".5"), 0.5);
  EXPECT_EQ(ParseIniFloat("17E-1"), 1.7);
  EXPECT_EQ(ParseIniFloat("-2"), -2.0);
}

TEST(IniFloatTest, RejectsUnreadableValues) {
  for (const char* text : {"", "fast", "1,7", "1.7x", " 1.7", "inf", "-infinity", "nan", "1e999",
                           "0x1p3", "+-1", "++1", "."}) {
    EXPECT_EQ(ParseIniFloat(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(IniFloatTest, IgnoresTheUsersLocale) {
  // A locale with a decimal comma must change neither reading nor writing.
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous ? previous : "C";
  bool comma_locale = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      comma_locale = true;
      break;
    }
  }
  if (!comma_locale) GTEST_SKIP() << "no locale with a decimal comma installed";
  EXPECT_EQ(FormatIniFloat(1.7), "1.7");
  EXPECT_EQ(ParseIniFloat("1.7"), 1.7);
  EXPECT_EQ(ParseIniFloat("1,7"), std::nullopt);
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace zm
