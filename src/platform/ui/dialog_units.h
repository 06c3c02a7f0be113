// Internal: dialog units to pixels, as Windows converts them for an 8-point "MS Shell Dlg" dialog
// (base units 6 x 13 pixels per 4 x 8 dialog units at 96 DPI), grown with the desktop's scale.
// The scale follows Windows' display settings: the DPI over 96 in steps of 25 %, never below
// 100 %; VM_UI_SCALE (a number such as 1.5) overrides what the display reports.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ui {

constexpr float kBaseUnitX = 6.0f;
constexpr float kBaseUnitY = 13.0f;
constexpr float kMinScale = 1.0f;
constexpr float kMaxScale = 4.0f;

// The dialog's scale from an override text (may be null) and the display's DPI (0: unknown).
inline float DesktopScale(const char* override, float dpi) {
    if (override != nullptr && *override != '\0') {
        char* end = nullptr;
        const float value = std::strtof(override, &end);
        if (*end == '\0' && value >= 0.5f && value <= kMaxScale) return value;
    }
    if (!(dpi > 0.0f)) return kMinScale;
    return std::clamp(std::round(dpi / 96.0f * 4.0f) / 4.0f, kMinScale, kMaxScale);
}

struct DialogUnits {
    float scale = 1.0f;
    float X(int du) const { return static_cast<float>(du) * kBaseUnitX * scale / 4.0f; }
    float Y(int du) const { return static_cast<float>(du) * kBaseUnitY * scale / 8.0f; }
};

}  // namespace ui
