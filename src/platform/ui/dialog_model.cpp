// The control operations on an open dialog's state.
#include "platform/ui/dialog_model.h"

namespace ui {

void InitDialogModel(Dialog& dialog, const DialogTemplate& tmpl) {
    dialog = Dialog{};
    dialog.tmpl = &tmpl;
    for (const ControlTemplate& control : tmpl.controls) {
        if (control.id < 0) continue;
        if (control.kind == ControlKind::ComboBox) dialog.combos[control.id] = ComboState{};
        if (control.kind == ControlKind::CheckBox) dialog.checks[control.id] = BST_UNCHECKED;
    }
}

bool EndDialog(Dialog* dialog, intptr_t result) {
    if (dialog == nullptr) return false;
    dialog->ended = true;
    dialog->result = result;
    return true;
}

bool CheckDlgButton(Dialog* dialog, int id, uint32_t check) {
    if (dialog == nullptr) return false;
    auto it = dialog->checks.find(id);
    if (it == dialog->checks.end()) return false;
    it->second = check == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
    return true;
}

uint32_t IsDlgButtonChecked(Dialog* dialog, int id) {
    if (dialog == nullptr) return BST_UNCHECKED;
    auto it = dialog->checks.find(id);
    return it == dialog->checks.end() ? BST_UNCHECKED : it->second;
}

intptr_t SendDlgItemMessage(Dialog* dialog, int id, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
    constexpr intptr_t kError = -1;  // CB_ERR as the signed result
    if (dialog == nullptr) return kError;
    auto it = dialog->combos.find(id);
    if (it == dialog->combos.end()) return kError;
    ComboState& combo = it->second;
    const auto count = static_cast<intptr_t>(combo.items.size());
    switch (message) {
        case CB_ADDSTRING: {
            const char* text = reinterpret_cast<const char*>(lParam);
            combo.items.emplace_back(text != nullptr ? text : "");
            return count;
        }
        case CB_SETCURSEL: {
            const auto index = static_cast<intptr_t>(wParam);
            if (index < 0 || index >= count) {
                combo.selection = -1;  // out of range clears the selection, as Windows does
                return kError;
            }
            combo.selection = static_cast<int>(index);
            return index;
        }
        case CB_GETCURSEL:
            return combo.selection;
        case CB_GETCOUNT:
            return count;
        default:
            return kError;
    }
}

}  // namespace ui
