// Message boxes: the whole text on stderr always, then the hook, an SDL box, or nothing when no
// display exists. The box itself shows a bounded text (box_text.cpp).
#include <SDL.h>

#include <cstdio>
#include <string>

#include "platform/ui/ui_state.h"

namespace ui {

int MessageBox(const char* text, const char* caption, uint32_t type) {
    const char* safeText = text != nullptr ? text : "";
    const char* safeCaption = caption != nullptr ? caption : "";
    std::fprintf(stderr, "[%s] %s\n", safeCaption, safeText);
    std::fflush(stderr);

    const std::string shown = BoundedBoxText(safeText);
    if (const auto& hook = CurrentUiConfig().messageBox)
        return hook(shown.c_str(), safeCaption, type);
    if (!DisplayAvailable()) return IDOK;

    const Uint32 flags =
        (type & 0xF0) == MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, safeCaption, shown.c_str(), nullptr) != 0) {
        std::fprintf(stderr, "ui: message box not shown: %s\n", SDL_GetError());
    }
    return IDOK;
}

}  // namespace ui
