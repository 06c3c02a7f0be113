// Dialog units in pixels and the desktop scale that grows them.
#include "platform/ui/dialog_units.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

TEST(DialogUnits, TheScaleSnapsTheDpiToQuarterStepsUnlessOverridden) {
    const std::tuple<const char*, float, float> cases[] = {
        {nullptr, 0.0f, 1.0f},    {nullptr, 72.0f, 1.0f},  {nullptr, 100.0f, 1.0f},
        {nullptr, 115.0f, 1.25f}, {nullptr, 144.0f, 1.5f}, {nullptr, 1000.0f, 4.0f},
        {"", 144.0f, 1.5f},       {"2", 96.0f, 2.0f},      {"0.75", 192.0f, 0.75f},
        {"9", 144.0f, 1.5f},      {"big", 144.0f, 1.5f},   {"1.5x", 96.0f, 1.0f},
    };
    for (const auto& [override, dpi, scale] : cases)
        EXPECT_EQ(ui::DesktopScale(override, dpi), scale)
            << (override ? override : "(none)") << " " << dpi;
    // The setup dialog, 180 x 143 units: 6 x 13 pixels per 4 x 8 units, times the scale.
    EXPECT_EQ(ui::DialogUnits{}.X(180), 270.0f);
    EXPECT_EQ(ui::DialogUnits{}.Y(143), 232.375f);
    EXPECT_EQ(ui::DialogUnits{1.5f}.X(180), 405.0f);
    EXPECT_EQ(ui::DialogUnits{1.5f}.Y(143), 348.5625f);
}

}  // namespace
