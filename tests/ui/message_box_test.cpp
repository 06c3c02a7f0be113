// Message boxes: the stderr line, the hook, and never blocking without a display.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/ui.h"

namespace {

TEST(MessageBox, WritesOneStderrLineAndHandsTheBoxToTheHook) {
    std::string text, caption;
    uint32_t type = 0;
    ui::Configure({.messageBox = [&](const char* t, const char* c, uint32_t ty) {
        text = t;
        caption = c;
        type = ty;
        return 7;
    }});
    testing::internal::CaptureStderr();
    const int result = ui::MessageBox("CreateWindowEx()", "ERROR", ui::MB_OK | ui::MB_ICONEXCLAMATION);
    const std::string err = testing::internal::GetCapturedStderr();
    ui::Configure({});
    EXPECT_EQ(err, "[ERROR] CreateWindowEx()\n");
    EXPECT_EQ(result, 7);
    EXPECT_EQ(text, "CreateWindowEx()");
    EXPECT_EQ(caption, "ERROR");
    EXPECT_EQ(type, ui::MB_ICONEXCLAMATION);
}

TEST(MessageBox, HeadlessAnswersOkAtOnceWithTheStderrLineOnly) {
    ui::Configure({.headless = true});
    testing::internal::CaptureStderr();
    const int result = ui::MessageBox("No Match", nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    ui::Configure({});
    EXPECT_EQ(result, ui::IDOK);
    EXPECT_EQ(err, "[] No Match\n");
}

}  // namespace
