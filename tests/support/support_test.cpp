// The line diff that every call-sequence comparison prints on failure. (Value names and scratch
// folders are exercised by every test that uses them.)
#include <gtest/gtest.h>

#include "support/call_lines.h"

namespace {

using vmtest::Lines;
using vmtest::operator+;

TEST(LineDiff, MarksLinesOnlyInOneListAndKeepsCommonOnes) {
    struct Case {
        Lines expected, actual;
        std::string diff;
    };
    const Case cases[] = {
        {{"a", "b"}, {"a", "b"}, " a\n b\n"},
        {{"a", "SetFloat(radius, 3)", "c"},
         {"a", "SetFloat(radius, 2)", "c"},
         " a\n-SetFloat(radius, 3)\n+SetFloat(radius, 2)\n c\n"},
        {{"a", "b", "c"}, {"a", "c"}, " a\n-b\n c\n"},
        {{"a"}, {"a", "x", "y"}, " a\n+x\n+y\n"},
        {{}, {"x"}, "+x\n"},
        {{"b", "a"}, {"a", "b"}, "-b\n a\n+b\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(vmtest::LineDiff(c.expected, c.actual), c.diff);
    EXPECT_EQ((Lines{"a"} + Lines{"b", "c"}), (Lines{"a", "b", "c"}));
}

TEST(LineDiff, FailureMessageCarriesTheDiff) {
    const testing::AssertionResult same = vmtest::SameLines("a", "e", {"x"}, {"x"});
    EXPECT_TRUE(same);
    const testing::AssertionResult differ = vmtest::SameLines("a", "e", {"y"}, {"x"});
    EXPECT_FALSE(differ);
    EXPECT_EQ(std::string(differ.message()), "a differs from e (-expected, +actual):\n-x\n+y\n");
}

}  // namespace
