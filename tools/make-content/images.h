// images: the four generated pictures (eye texture, backdrop, title card, end card).
// Each Draw* is deterministic; pictures are stored top row first.
#pragma once

#include <string>

#include "raster.h"

namespace content {

Canvas
DrawEyeTexture();       // 256 x 256: white eye, brown iris, black pupil, highlights; pupil centred
Canvas DrawBackdrop();  // 1024 x 576: evening sky, striped sun, grid floor
// 1280 x 720 cards; false with *error set when the font is missing.
bool DrawTitleCard(Canvas* out, std::string* error);
bool DrawEndCard(Canvas* out, std::string* error);

}  // namespace content
