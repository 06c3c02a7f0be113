// DialogBoxParam: the hook when set, else the on-screen dialog when a display exists.
#include <cstdio>

#include "platform/ui/imgui_dialog.h"
#include "platform/ui/ui_state.h"

namespace ui {

intptr_t DialogBoxParam(const DialogTemplate& tmpl, DialogProc proc, intptr_t param) {
    if (const auto& hook = CurrentUiConfig().dialog) return hook(tmpl, std::move(proc), param);
    if (!DisplayAvailable()) {
        std::fprintf(stderr, "ui: no display for the dialog \"%s\"\n", tmpl.caption.c_str());
        return -1;
    }
    return RunImGuiDialog(tmpl, proc, param);
}

}  // namespace ui
