// Message boxes: one stderr line always, then the hook, an SDL box, or nothing when no display
// exists.
#include <SDL.h>

#include <cstdio>

#include "platform/ui/ui_state.h"

namespace ui {

int MessageBox(const char* text, const char* caption, uint32_t type) {
    const char* safeText = text != nullptr ? text : "";
    const char* safeCaption = caption != nullptr ? caption : "";
    std::fprintf(stderr, "[%s] %s\n", safeCaption, safeText);
    std::fflush(stderr);

    if (const auto& hook = CurrentUiConfig().messageBox) return hook(safeText, safeCaption, type);
    if (!DisplayAvailable()) return IDOK;

    const Uint32 flags =
        (type & 0xF0) == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, safeCaption, safeText, nullptr) != 0) {
        std::fprintf(stderr, "ui: message box not shown: %s\n", SDL_GetError());
    }
    return IDOK;
}

}  // namespace ui
