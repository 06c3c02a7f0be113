// Call sequences as lists of lines: concatenation, and a comparison that prints a line diff on
// failure ("-" expected only, "+" recorded only, " " both):
//   EXPECT_LINES(device.Calls(), expected);
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vmtest {

using Lines = std::vector<std::string>;

Lines operator+(Lines a, const Lines& b);

// The shortest edit from expected to actual, one line each, unchanged lines kept for context.
std::string LineDiff(const Lines& expected, const Lines& actual);

testing::AssertionResult SameLines(const char* actualText, const char* expectedText,
                                   const Lines& actual, const Lines& expected);

}  // namespace vmtest

#define EXPECT_LINES(actual, expected) EXPECT_PRED_FORMAT2(::vmtest::SameLines, actual, expected)
