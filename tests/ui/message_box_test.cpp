// Message boxes: the stderr line, the hook, and never blocking without a display.
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
    testing::internal::CaptureStderr();
    EXPECT_EQ(ui::MessageBox("CreateWindowEx()", "ERROR", ui::MB_OK | ui::MB_ICONEXCLAMATION), 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] CreateWindowEx()\n");
    EXPECT_EQ(seen, "ERROR|CreateWindowEx()|" + std::to_string(ui::MB_ICONEXCLAMATION));

    ui::Configure({.headless = true});
    testing::internal::CaptureStderr();
    EXPECT_EQ(ui::MessageBox("No Match", nullptr), ui::IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[] No Match\n");
    ui::Configure({});
}

TEST(MessageBox, ShowsTheFirstLinesAndACountWhileStderrHasTheWholeText) {
    std::string log, longLine(1000, 'x');
    for (int i = 1; i <= 50000; ++i) log += "e.fx(" + std::to_string(i) + ",1): error: '}'\n";
    std::string seen;
    ui::Configure({.messageBox = [&](const char* t, const char*, uint32_t) {
        seen = t;
        return ui::IDOK;
    }});
    testing::internal::CaptureStderr();
    ui::MessageBox(log.c_str(), "Shader Compilation Error In [e.fx]");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "[Shader Compilation Error In [e.fx]] " + log + "\n");
    EXPECT_EQ(seen.rfind("e.fx(1,1): error: '}'\ne.fx(2,1)", 0), 0u) << seen.substr(0, 100);
    EXPECT_NE(seen.find("e.fx(20,1): error: '}'\n... and 49980 more lines"), std::string::npos)
        << seen;
    EXPECT_EQ(seen.find("e.fx(21,"), std::string::npos);
    ui::Configure({});

    const struct {
        std::string text, shown;
    } cases[] = {
        {"", ""},
        {"one line", "one line"},
        {"a\nb\n", "a\nb\n"},
        {longLine + "\nend", std::string(300, 'x') + "...\nend"},
        {std::string(21, '\n'), std::string(20, '\n') + "... and 1 more line (the whole text is "
                                                        "on standard error)\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(ui::BoundedBoxText(c.text.c_str()), c.shown);
}

}  // namespace
