// Internal: the configuration every part of the windowing layer reads, and whether a display
// exists.
#pragma once

#include "platform/ui/ui.h"

namespace ui {

const Config& CurrentUiConfig();

// True when SDL video can be used for real windows: not headless and an X11 or Wayland display is
// named in the environment.
bool DisplayAvailable();

// Initialises SDL's video subsystem once (kept for the rest of the run); false on failure, reported
// on stderr.
bool EnsureVideo();

// Asks SDL for a double-buffered OpenGL 3.3 core visual for the next window created.
void RequestGlCoreVisual();

}  // namespace ui
