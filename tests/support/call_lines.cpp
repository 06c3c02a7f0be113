#include "support/call_lines.h"

#include <algorithm>

namespace vmtest {

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string LineDiff(const Lines& expected, const Lines& actual) {
    // Longest common subsequence table over the suffixes.
    const size_t n = expected.size(), m = actual.size();
    std::vector<std::vector<size_t>> common(n + 1, std::vector<size_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;) {
        for (size_t j = m; j-- > 0;) {
            common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                                    : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::string diff;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            diff += " " + expected[i++] + "\n";
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] > common[i + 1][j])) {
            diff += "+" + actual[j++] + "\n";
        } else {
            diff += "-" + expected[i++] + "\n";
        }
    }
    return diff;
}

testing::AssertionResult SameLines(const char* actualText, const char* expectedText,
                                   const Lines& actual, const Lines& expected) {
    if (expected == actual) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << actualText << " differs from " << expectedText << " (-expected, +actual):\n"
           << LineDiff(expected, actual);
}

}  // namespace vmtest
