// The render area for each kind of mode.
#include <tuple>

#include "display/test_env.h"

namespace {

TEST(RenderArea, FullScreenKeepsTheRatioAndWindowedShowsA16To9BandReportedAs4To3) {
    constexpr float k43 = 1.3333334f, k1610 = 1.6f, k169 = 1.7777778f;
    const struct {
        uint32_t width, height;
        bool fullscreen;
        float ratio;
        int32_t renderHeight, offset;
    } cases[] = {
        {1024, 768, true, k43, 576, 96},       {1024, 768, true, k1610, 691, 38},
        {1280, 1024, true, k169, 1024, 0},     {1680, 1050, true, k1610, 945, 52},
        {800, 601, true, k169, 601, 0},        {1280, 1024, false, k169, 720, 152},
        {1920, 1080, false, k43, 1080, 0},     {1400, 1050, false, k169, 787, 131},  // 787.5 cut
        {2560, 1081, false, k169, 1440, -180},  // taller than the screen: half the spare, down
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.ratio);
        DisplaySettings s{c.width, c.height, 60, c.ratio, c.fullscreen, true, 0};
        s.ComputeRenderArea();
        EXPECT_EQ(std::tuple(s.renderWidth, s.renderHeight, s.offset, s.ratio),
                  std::tuple(static_cast<int32_t>(c.width), c.renderHeight, c.offset,
                             c.fullscreen ? c.ratio : k43));
    }
}

}  // namespace
