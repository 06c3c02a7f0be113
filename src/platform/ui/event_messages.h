// Internal: SDL events to Windows messages for the message pump.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/ui/ui.h"

namespace ui {

// Windows virtual-key code of an SDL key code; 0 for keys without one here.
uint32_t VirtualKeyFromSdl(int32_t sdlKeycode);

// Key down/up (keys with a virtual-key code) -> WM_KEYDOWN/WM_KEYUP, quit -> WM_QUIT; false for
// every other event.
bool MessageFromEvent(const SDL_Event& event, Msg* msg);

}  // namespace ui
