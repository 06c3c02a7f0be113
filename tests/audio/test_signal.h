// Test signals: a stereo sine pair (left and right differ so swapped channels show) written as MP3.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "platform/audio/mp3_writer.h"

// Interleaved: a sine of hzLeft on the left and of hzRight on the right, amplitude 0.5.
inline std::vector<float> StereoSine(size_t frames, double hzLeft = 440.0, double hzRight = 660.0,
                                     int rate = 44100) {
    std::vector<float> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(i) / rate;
        samples[2 * i] = 0.5f * static_cast<float>(std::sin(hzLeft * phase));
        samples[2 * i + 1] = 0.5f * static_cast<float>(std::sin(hzRight * phase));
    }
    return samples;
}

inline void WriteTestMp3(const std::string& path, size_t frames, bool silent = false) {
    std::vector<float> samples = silent ? std::vector<float>(frames * 2, 0.0f) : StereoSine(frames);
    std::string error;
    ASSERT_TRUE(audio::WriteMp3(path.c_str(), samples.data(), frames, 44100, &error)) << error;
}
