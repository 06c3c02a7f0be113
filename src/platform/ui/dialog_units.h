// Internal: dialog units to pixels, as Windows converts them for an 8-point "MS Shell Dlg" dialog
// (base units 6 x 13 pixels per 4 x 8 dialog units).
#pragma once

namespace ui {

constexpr float kBaseUnitX = 6.0f;
constexpr float kBaseUnitY = 13.0f;

constexpr float DialogUnitsToPixelsX(int du) {
    return static_cast<float>(du) * kBaseUnitX / 4.0f;
}
constexpr float DialogUnitsToPixelsY(int du) {
    return static_cast<float>(du) * kBaseUnitY / 8.0f;
}

}  // namespace ui
