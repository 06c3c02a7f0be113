// ui::ScriptedDialog: a dialog without a screen, for headless runs and tests.
//
// WHAT IT DOES
//   Keeps the dialog's controls in memory (combo boxes, check boxes) with the same operations as
//   the on-screen dialog, runs the dialog procedure with WM_INITDIALOG, applies the script's combo
//   selections and check states, then sends the script's endings in order (WM_COMMAND with an id,
//   or WM_CLOSE) until the procedure ends the dialog; returns the EndDialog result.
//
// WHAT IT DOES NOT DO
//   No drawing, no keyboard. A dialog that no ending closes returns -1 ("could not be shown").
//
// STEP BY STEP
//   1. ui::ScriptedDialog dialog({.selections = {{1003, 2}}, .endings =
//   {ui::DialogEnding::Command(1)}});
//   2. ui::Configure({.headless = true, .dialog = dialog.Hook()});
//   3. ui::DialogBoxParam(...) runs the script; dialog.LastRun() shows what the procedure left
//   behind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/ui.h"

namespace ui {

struct DialogEnding {
    bool close = false;  // true: WM_CLOSE; false: WM_COMMAND with commandId (BN_CLICKED)
    int commandId = IDOK;
    static DialogEnding Command(int id) { return DialogEnding{false, id}; }
    static DialogEnding Close() { return DialogEnding{true, 0}; }
};

struct DialogScript {
    std::vector<std::pair<int, int>> selections;   // combo id, list position (CB_SETCURSEL)
    std::vector<std::pair<int, uint32_t>> checks;  // check box id, BST_CHECKED / BST_UNCHECKED
    std::vector<DialogEnding> endings{DialogEnding::Command(IDOK)};
};

// What the dialog's controls held when the run stopped.
struct ScriptedDialogRun {
    bool ran = false;
    bool ended = false;
    intptr_t result = -1;
    std::vector<uint32_t> messages;  // every message sent to the procedure, in order
    std::vector<std::pair<int, std::vector<std::string>>> comboItems;
    std::vector<std::pair<int, int>> comboSelections;
    std::vector<std::pair<int, uint32_t>> checks;

    const std::vector<std::string>* Items(int id) const;
    int Selection(int id) const;     // -1 when none or no such combo
    uint32_t Checked(int id) const;  // BST_UNCHECKED when no such box
};

class ScriptedDialog {
  public:
    explicit ScriptedDialog(DialogScript script = {});

    // The function to install as Config::dialog. It shares this object's state.
    std::function<intptr_t(const DialogTemplate&, DialogProc, intptr_t)> Hook() const;

    // Runs the script directly (what the hook calls).
    intptr_t Run(const DialogTemplate& tmpl, const DialogProc& proc, intptr_t param) const;

    const ScriptedDialogRun& LastRun() const;
    void SetScript(DialogScript script);

  private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace ui
