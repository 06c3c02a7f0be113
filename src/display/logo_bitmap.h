// The setup dialog's logo: a 125 x 200 picture drawn in code (a pig face over the demo's name).
#pragma once

#include <cstdint>
#include <vector>

constexpr int kLogoWidth = 125;
constexpr int kLogoHeight = 200;

// 24-bit RGB, top row first, kLogoWidth * kLogoHeight * 3 bytes.
std::vector<uint8_t> MakeLogoBitmap();
