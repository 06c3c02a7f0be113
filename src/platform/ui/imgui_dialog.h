// Internal: the on-screen dialog, drawn with Dear ImGui in an SDL window of its own.
#pragma once

#include "platform/ui/ui.h"

namespace ui {

// Runs the dialog until the procedure ends it; -1 when no window or GL context can be made.
intptr_t RunImGuiDialog(const DialogTemplate& tmpl, const DialogProc& proc, intptr_t param);

}  // namespace ui
