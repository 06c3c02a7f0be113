// Dialog units in pixels and the desktop scale that grows them.
#include "platform/ui/dialog_units.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogUnits, TheScaleSnapsTheDpiToQuarterStepsUnlessOverridden) {
    struct Case {
        const char* override;
        float dpi, scale;
    };
    const Case cases[] = {
        {nullptr, 0.0f, 1.0f},    {nullptr, 96.0f, 1.0f},   {nullptr, 100.0f, 1.0f},
        {nullptr, 115.0f, 1.25f}, {nullptr, 120.0f, 1.25f}, {nullptr, 144.0f, 1.5f},
        {nullptr, 192.0f, 2.0f},  {nullptr, 1000.0f, 4.0f}, {"", 144.0f, 1.5f},
        {"2", 96.0f, 2.0f},       {"1.5", 0.0f, 1.5f},      {"0.75", 192.0f, 0.75f},
        {"9", 144.0f, 1.5f},      {"big", 144.0f, 1.5f},    {"1.5x", 96.0f, 1.0f},
        {nullptr, 72.0f, 1.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::DesktopScale(c.override, c.dpi), c.scale)
            << (c.override ? c.override : "(none)") << " " << c.dpi;
}

TEST(DialogUnits, BaseUnitsAreSixByThirteenPixelsPerFourByEightUnitsTimesTheScale) {
    // The setup dialog, 180 x 143 units: 270 x 232.375 pixels at 100 %, 405 x 348.5625 at 150 %.
    EXPECT_EQ(ui::DialogUnits{}.X(180), 270.0f);
    EXPECT_EQ(ui::DialogUnits{}.Y(143), 232.375f);
    EXPECT_EQ(ui::DialogUnits{1.5f}.X(180), 405.0f);
    EXPECT_EQ(ui::DialogUnits{1.5f}.Y(143), 348.5625f);
}

}  // namespace
