#include "toolkit/format.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(IntToText, WritesPlainDecimal) {
  struct Case {
    int32_t value;
    const char* text;
  };
  for (const Case& c : {Case{0, "0"}, Case{7, "7"}, Case{10, "10"}, Case{245, "245"},
                        Case{-5, "-5"}, Case{-10, "-10"}, Case{71582788, "71582788"},
                        Case{INT32_MAX, "2147483647"}, Case{INT32_MIN, "-2147483648"}}) {
    EXPECT_EQ(IntToText(c.value), c.text) << c.value;
  }
}

TEST(FormatText, TwoDigitSeconds) {
  struct Case {
    uint32_t value;
    const char* text;
  };
  for (const Case& c : {Case{0, "00"}, Case{5, "05"}, Case{9, "09"}, Case{10, "10"}, Case{59, "59"},
                        Case{123, "123"}}) {
    EXPECT_EQ(FormatText("%.2d", {c.value}), c.text) << c.value;
  }
}

TEST(FormatText, FillsSeveralArgumentsInOrder) {
  EXPECT_EQ(FormatText("%d:%.2d", {4, 5}), "4:05");
  EXPECT_EQ(FormatText("no arguments", {}), "no arguments");
}

}  // namespace
