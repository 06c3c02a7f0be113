// Message boxes: the whole text on stderr always, then the hook, an SDL box, or nothing when no
// display exists. The box itself shows a bounded text: a file of stray brackets can make a
// compiler report millions of lines.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/ui/ui_state.h"

namespace ui {
namespace {

constexpr size_t kBoxLines = 20;
constexpr size_t kBoxLineChars = 300;

}  // namespace

std::string BoundedBoxText(const char* text) {
    std::string shown;
    size_t lines = 0, dropped = 0;
    for (const char* p = text; *p != '\0';) {
        const char* end = p;
        while (*end != '\0' && *end != '\n') ++end;
        if (lines < kBoxLines) {
            const size_t length = static_cast<size_t>(end - p);
            shown.append(p, std::min(length, kBoxLineChars));
            if (length > kBoxLineChars) shown += "...";
            if (*end == '\n') shown += '\n';
        } else {
            ++dropped;
        }
        ++lines;
        p = *end == '\n' ? end + 1 : end;
    }
    if (dropped > 0) {
        shown += "... and " + std::to_string(dropped) + " more line" + (dropped == 1 ? "" : "s") +
                 " (the whole text is on standard error)\n";
    }
    return shown;
}

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
