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

}  // namespace
