// The rendered soundtrack is finite and the same every time it is made (its length and level are
// checked on the encoded file with the generated data).
#include <gtest/gtest.h>

#include <cmath>

#include "music.h"

namespace {

TEST(Soundtrack, IsFiniteAndDeterministic) {
    const auto a = content::RenderSoundtrack(3.0), b = content::RenderSoundtrack(3.0);
    EXPECT_EQ(a.size(), size_t(3 * content::kSampleRate) * 2);
    for (float v : a) ASSERT_TRUE(std::isfinite(v));
    EXPECT_EQ(a, b);
}

}  // namespace
