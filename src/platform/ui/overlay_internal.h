// Internal: the overlay's share of the message pump.
#pragma once

#include <SDL.h>

namespace ui {

// Hands a window event to the overlay when it runs.
void OverlayProcessEvent(const SDL_Event& event);

}  // namespace ui
