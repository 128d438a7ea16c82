#include <gtest/gtest.h>

#include "link/Alarms.h"
#include "panel/FieldText.h"

using kx::panel::FieldText;

TEST(FieldText, AtoiReadsLeadingDigitsLikeTheCLibrary) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"", 0},      {"abc", 0},   {"  42", 42},    {"-1", -1},        {"+7", 7},
               {"12abc", 12}, {"53.5", 53}, {" - 3", 0},     {"300", 300},      {"\t9", 9},
               {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
  for (const auto& c : cases) EXPECT_EQ(FieldText::Atoi(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(FieldText, HugeTypedNumbersSaturateInsteadOfWrapping) {
  // 4294967356 wrapped would go out as 00 3C: a plausible 60 V threshold.
  EXPECT_EQ(FieldText::AtoiWide("4294967356"), 2147483647);
  EXPECT_EQ(FieldText::AtoiWide("2147483648"), 2147483647);
  EXPECT_EQ(FieldText::AtoiWide("-2147483649"), -2147483647 - 1);
  const auto volt = kx::VoltAlarmData(true, FieldText::AtoiWide("4294967356"), 0);
  EXPECT_EQ(volt[1], 0xFF);
  EXPECT_EQ(volt[2], 0xFF);
  EXPECT_EQ(kx::TempAlarmData(true, FieldText::AtoiWide("2147483648"), 0)[1], 0xFF);
}

TEST(FieldText, DataExchangeIntegersAreStrict) {
  EXPECT_EQ(FieldText::ParseInt(" 12 "), 12);
  EXPECT_EQ(FieldText::ParseInt("-5"), -5);
  EXPECT_EQ(FieldText::ParseInt("2147483647"), 2147483647);
  for (const char* bad : {"", " ", "12a", "a", "1 2", "-", "2147483648", "1.5"})
    EXPECT_FALSE(FieldText::ParseInt(QString::fromUtf8(bad)).has_value()) << bad;
}

TEST(FieldText, FloatsShowInTheirShortestForm) {
  EXPECT_EQ(FieldText::FormatFloat(17.0f), "17");
  EXPECT_EQ(FieldText::FormatFloat(17.5f), "17.5");
  EXPECT_EQ(FieldText::ParseFloat(" 17 "), 17.0f);
  EXPECT_FALSE(FieldText::ParseFloat("").has_value());
  EXPECT_FALSE(FieldText::ParseFloat("0x10").has_value());
  EXPECT_FALSE(FieldText::ParseFloat("inf").has_value());
}
