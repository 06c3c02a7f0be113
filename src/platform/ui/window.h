// The window handle shared by the windowing layer (which makes it) and the graphics device (which
// draws into it). Headless runs get a window without an SDL window behind it.
//
// A plain record that does nothing itself; the windowing layer keeps it until the process ends and
// nobody frees it. Order: ui::CreateWindowEx makes it, then the device created on it
// (PresentParameters::hDeviceWindow) draws into it.
#pragma once

struct SDL_Window;

namespace ui {

struct Window {
    SDL_Window* sdl = nullptr;  // null when headless
    int width = 0;
    int height = 0;
};

}  // namespace ui
