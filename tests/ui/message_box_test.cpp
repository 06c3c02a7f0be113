// Message boxes: the stderr line, the hook, never blocking without a display, and long texts cut
// for the box.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/ui.h"

namespace {

TEST(MessageBox, WritesOneStderrLineAndHandsTheBoxToTheHookOrAnswersOkHeadless) {
    std::string seen;
    ui::Configure({.messageBox = [&](const char* t, const char* c, uint32_t type) {
        seen = std::string(c) + "|" + t + "|" + std::to_string(type);
        return 7;
    }});
    const std::string lines(21, '\n');  // more than the box shows
    testing::internal::CaptureStderr();
    EXPECT_EQ(ui::MessageBox("CreateWindowEx()", "ERROR", ui::MB_OK | ui::MB_ICONEXCLAMATION), 7);
    EXPECT_EQ(seen, "ERROR|CreateWindowEx()|" + std::to_string(ui::MB_ICONEXCLAMATION));
    EXPECT_EQ(ui::MessageBox(lines.c_str(), "Shader Compilation Error In [e.fx]"), 7);
    ui::Configure({.headless = true});
    EXPECT_EQ(ui::MessageBox("No Match", nullptr), ui::IDOK);
    ui::Configure({});
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[ERROR] CreateWindowEx()\n[Shader Compilation Error In [e.fx]] " + lines +
                  "\n[] No Match\n");
    EXPECT_EQ(seen,
              "Shader Compilation Error In [e.fx]|" + ui::BoundedBoxText(lines.c_str()) + "|0");
}

// The box shows the first 20 lines of 300 characters at most and a count of the rest (stderr has
// the whole text).
TEST(MessageBox, ShowsTheFirstLinesAndACount) {
    std::string log;
    for (int i = 1; i <= 22; ++i) log += "e.fx(" + std::to_string(i) + ",1): error: '}'\n";
    const struct {
        std::string text, shown;
    } cases[] = {
        {"", ""},
        {"a\nb\n", "a\nb\n"},
        {std::string(1000, 'x') + "\nend", std::string(300, 'x') + "...\nend"},
        {std::string(21, '\n'), std::string(20, '\n') + "... and 1 more line (the whole text is "
                                                        "on standard error)\n"},
        {log, log.substr(0, log.find("e.fx(21")) +
                  "... and 2 more lines (the whole text is on standard error)\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ui::BoundedBoxText(c.text.c_str()), c.shown);
}

}  // namespace
