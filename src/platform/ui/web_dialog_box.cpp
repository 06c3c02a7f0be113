// DialogBoxParam in the browser: the hook when set, else an HTML panel built from the template
// (controls at their dialog-unit places) over the same dialog state as the native dialog. The
// page waits for a button (or Escape: WM_CLOSE, Return: the default button); the control states
// are read back into the dialog state before the procedure hears of it.
#include <emscripten.h>

#include <cstdio>

#include "platform/ui/dialog_model.h"
#include "platform/ui/ui_state.h"

// clang-format off
EM_JS(void, vm_panel_open, (const char* caption, int cx, int cy), {
    vessmark.panel.open(UTF8ToString(caption), cx, cy);
});
EM_JS(void, vm_panel_add, (int id, int kind, const char* text, int x, int y, int cx, int cy), {
    vessmark.panel.add(id, kind, UTF8ToString(text), x, y, cx, cy);
});
EM_JS(void, vm_panel_picture, (const uint8_t* rgb, int width, int height), {
    vessmark.panel.picture(HEAPU8.slice(rgb, rgb + width * height * 3), width, height);
});
EM_JS(void, vm_panel_set_items, (int id, const char* lines, int selection), {
    vessmark.panel.setItems(id, UTF8ToString(lines), selection);
});
EM_JS(void, vm_panel_set_check, (int id, int checked), { vessmark.panel.setCheck(id, checked !== 0); });
EM_JS(int, vm_panel_check, (int id), { return vessmark.panel.check(id) ? 1 : 0; });
EM_JS(int, vm_panel_selection, (int id), { return vessmark.panel.selection(id); });
EM_ASYNC_JS(int, vm_panel_wait, (), { return await vessmark.panel.waitCommand(); });
EM_JS(void, vm_panel_close, (), { vessmark.panel.close(); });
// clang-format on

namespace ui {
namespace {

// Model -> panel: combo items (one per line) and selections, check marks.
void ShowState(const Dialog& dialog) {
    for (const auto& [id, combo] : dialog.combos) {
        std::string lines;
        for (const std::string& item : combo.items) lines += item + "\n";
        vm_panel_set_items(id, lines.c_str(), combo.selection);
    }
    for (const auto& [id, check] : dialog.checks) vm_panel_set_check(id, check == BST_CHECKED);
}

// Panel -> model: what the viewer changed.
void ReadState(Dialog& dialog) {
    for (auto& [id, combo] : dialog.combos) {
        const int selection = vm_panel_selection(id);
        combo.selection = selection >= 0 && selection < static_cast<int>(combo.items.size())
                              ? selection
                              : combo.selection;
    }
    for (auto& [id, check] : dialog.checks)
        check = vm_panel_check(id) != 0 ? BST_CHECKED : BST_UNCHECKED;
}

}  // namespace

intptr_t DialogBoxParam(const DialogTemplate& tmpl, DialogProc proc, intptr_t param) {
    if (const auto& hook = CurrentUiConfig().dialog) return hook(tmpl, std::move(proc), param);

    Dialog dialog;
    InitDialogModel(dialog, tmpl);
    proc(&dialog, WM_INITDIALOG, 0, param);
    if (dialog.ended) return dialog.result;

    vm_panel_open(tmpl.caption.c_str(), tmpl.cx, tmpl.cy);
    for (const ControlTemplate& control : tmpl.controls) {
        vm_panel_add(control.id, static_cast<int>(control.kind), control.text.c_str(), control.x,
                     control.y, control.cx, control.cy);
    }
    if (!tmpl.bitmapRgb.empty() &&
        tmpl.bitmapRgb.size() == static_cast<size_t>(tmpl.bitmapWidth) * tmpl.bitmapHeight * 3)
        vm_panel_picture(tmpl.bitmapRgb.data(), tmpl.bitmapWidth, tmpl.bitmapHeight);
    ShowState(dialog);

    while (!dialog.ended) {
        const int command = vm_panel_wait();  // a button's id, or 0 for closing
        ReadState(dialog);
        if (command == 0)
            proc(&dialog, WM_CLOSE, 0, 0);
        else
            proc(&dialog, WM_COMMAND, MakeCommandParam(command, BN_CLICKED), 0);
        ShowState(dialog);
    }
    vm_panel_close();
    return dialog.result;
}

}  // namespace ui
