// Internal: the configuration every part of the windowing layer reads, and whether a display
// exists.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/ui.h"

namespace ui {

const Config& CurrentUiConfig();

// The platform's own box for MessageBox, once stderr has the text and no hook answered: an SDL box
// (nothing without a display) natively, a page message in the browser.
int ShowPlatformBox(const char* caption, const std::string& shown, uint32_t type);

// True when SDL video can be used for real windows: not headless and an X11 or Wayland display is
// named in the environment.
bool DisplayAvailable();

// Initialises SDL's video subsystem once (kept for the rest of the run); false on failure, reported
// on stderr.
bool EnsureVideo();

// Asks SDL for a double-buffered OpenGL 3.3 core visual for the next window created.
void RequestGlCoreVisual();

}  // namespace ui
