// Test signals: a stereo sine pair (left and right differ so swapped channels show) written as MP3.
#pragma once

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/mp3_writer.h"

inline std::vector<float> StereoSine(size_t frames, double leftHz = 440.0, double rightHz = 660.0,
                                     float amplitude = 0.5f) {
    std::vector<float> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 44100.0;
        samples[2 * i] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * leftHz * t));
        samples[2 * i + 1] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * rightHz * t));
    }
    return samples;
}

// Writes `frames` frames of the sine pair (or silence) to `path`; fails the test when it cannot.
inline void WriteTestMp3(const std::string& path, size_t frames, bool silent = false) {
    std::vector<float> samples = silent ? std::vector<float>(frames * 2, 0.0f) : StereoSine(frames);
    std::string error;
    ASSERT_TRUE(audio::WriteMp3(path.c_str(), samples.data(), frames, 44100, &error)) << error;
}
