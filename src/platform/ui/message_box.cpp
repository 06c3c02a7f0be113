// The native message box: an SDL box, or nothing when no display exists (box_text.cpp writes
// stderr and asks the hook first).
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/ui/ui_state.h"

namespace ui {

int ShowPlatformBox(const char* caption, const std::string& shown, uint32_t type) {
    if (!DisplayAvailable()) return IDOK;

    const Uint32 flags =
        (type & 0xF0) == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, caption, shown.c_str(), nullptr) != 0) {
        std::fprintf(stderr, "ui: message box not shown: %s\n", SDL_GetError());
    }
    return IDOK;
}

}  // namespace ui
