// The display object: owns the Direct3D object (g_d3d), the window, the device (g_device) and the
// device's depth-stencil surface, from construction to destruction. Order of use: construct (makes
// g_d3d), ShowSetupDialog (fills displaySettings), Open (window + device), destroy (releases the
// surface, the device and g_d3d, in that order).
#pragma once

#include "platform/gfx/gfx.h"
#include "platform/ui/window.h"

class Display {
  public:
    Display();
    ~Display();
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    // False after Exit/Escape (prints "hooo"), without an adapter or when no dialog can be shown;
    // the last sets setupDialogFailed.
    bool ShowSetupDialog();
    // The window (always titled "BIG") and the device; true when both exist.
    bool Open(const char* title);
    bool InitDevice(ui::Window* window);

    gfx::Surface* depthSurface = nullptr;
    bool setupDialogFailed = false;  // the last ShowSetupDialog could show no dialog
};
