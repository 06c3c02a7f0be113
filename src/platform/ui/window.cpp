// The demo window, the cursor and the message pump.
#include <SDL.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/ui/event_messages.h"
#include "platform/ui/overlay_internal.h"
#include "platform/ui/ui_state.h"

namespace ui {
namespace {
// Windows live until the process ends, as the demo expects; the list keeps them owned.
std::vector<std::unique_ptr<Window>>& Windows() {
    static std::vector<std::unique_ptr<Window>> windows;
    return windows;
}
int cursorCounter = 0;
}  // namespace

Window* CreateWindowEx(const char* title, int width, int height, bool fullscreen) {
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "ui: window size %dx%d is not usable\n", width, height);
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    window->width = width;
    window->height = height;
    if (DisplayAvailable() || (!CurrentUiConfig().headless && SDL_WasInit(SDL_INIT_VIDEO) != 0)) {
        if (!EnsureVideo()) return nullptr;
        // The graphics device makes a 3.3 core context on this window; the visual is chosen now.
        RequestGlCoreVisual();
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN;
        if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
        // Created at the mode's size explicitly: without a window manager nothing resizes it later.
        window->sdl = SDL_CreateWindow(title != nullptr ? title : "", 0, 0, width, height, flags);
        if (window->sdl == nullptr) {
            std::fprintf(stderr, "ui: SDL_CreateWindow failed: %s\n", SDL_GetError());
            return nullptr;
        }
    }
    Windows().push_back(std::move(window));
    return Windows().back().get();
}

int ShowCursor(bool show) {
    cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_ShowCursor(cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCounter;
}

bool PeekMessage(Msg* msg) {
    if (msg == nullptr) return false;
    if (const auto& hook = CurrentUiConfig().peekMessage) return hook(msg);
    if (CurrentUiConfig().headless || SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        OverlayProcessEvent(event);
        if (MessageFromEvent(event, msg)) return true;
    }
    return false;
}

bool TranslateMessage(const Msg* /*msg*/) {
    return false;
}  // no character messages are made

intptr_t DispatchMessage(const Msg* /*msg*/) {
    return 0;
}  // the window has no procedure of its own

}  // namespace ui
