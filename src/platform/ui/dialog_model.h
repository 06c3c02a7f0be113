// Internal: the state of one open dialog, shared by the on-screen dialog and the scripted one.
// The control operations of ui.h (CheckDlgButton, SendDlgItemMessage, EndDialog...) act on it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/ui.h"

namespace ui {

struct ComboState {
    std::vector<std::string> items;
    int selection = -1;  // -1: nothing selected
};

struct Dialog {
    const DialogTemplate* tmpl = nullptr;
    std::map<int, ComboState> combos;  // by control id
    std::map<int, uint32_t> checks;    // by control id: BST_CHECKED / BST_UNCHECKED
    bool ended = false;
    intptr_t result = 0;
};

// Builds the control state for a template: every combo box empty, every check box unchecked.
void InitDialogModel(Dialog& dialog, const DialogTemplate& tmpl);

// WM_COMMAND's wParam: control id in the low word, notification code in the high word.
constexpr uintptr_t MakeCommandParam(int id, int notification) {
    return (static_cast<uintptr_t>(notification & 0xFFFF) << 16) |
           static_cast<uintptr_t>(id & 0xFFFF);
}
constexpr int BN_CLICKED = 0;
constexpr int CBN_SELCHANGE = 1;

}  // namespace ui
