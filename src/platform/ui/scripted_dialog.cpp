// The in-memory dialog: the procedure, then the script, then the endings.
#include "platform/ui/scripted_dialog.h"

#include "platform/ui/dialog_model.h"

namespace ui {

struct ScriptedDialog::State {
    DialogScript script;
    ScriptedDialogRun last;
};

const std::vector<std::string>* ScriptedDialogRun::Items(int id) const {
    for (const auto& [comboId, items] : comboItems)
        if (comboId == id) return &items;
    return nullptr;
}

int ScriptedDialogRun::Selection(int id) const {
    for (const auto& [comboId, selection] : comboSelections)
        if (comboId == id) return selection;
    return -1;
}

uint32_t ScriptedDialogRun::Checked(int id) const {
    for (const auto& [boxId, state] : checks)
        if (boxId == id) return state;
    return BST_UNCHECKED;
}

ScriptedDialog::ScriptedDialog(DialogScript script) : state_(std::make_shared<State>()) {
    state_->script = std::move(script);
}

void ScriptedDialog::SetScript(DialogScript script) {
    state_->script = std::move(script);
}

const ScriptedDialogRun& ScriptedDialog::LastRun() const {
    return state_->last;
}

std::function<intptr_t(const DialogTemplate&, DialogProc, intptr_t)> ScriptedDialog::Hook() const {
    auto self = *this;  // shares state_
    return [self](const DialogTemplate& tmpl, DialogProc proc, intptr_t param) {
        return self.Run(tmpl, proc, param);
    };
}

intptr_t ScriptedDialog::Run(const DialogTemplate& tmpl, const DialogProc& proc,
                             intptr_t param) const {
    Dialog dialog;
    InitDialogModel(dialog, tmpl);
    ScriptedDialogRun& run = state_->last;
    run = ScriptedDialogRun{};
    run.ran = true;

    // Snapshot on every way out, including an exit hook that throws from inside the procedure.
    struct Snapshot {
        Dialog& dialog;
        ScriptedDialogRun& run;
        ~Snapshot() {
            run.ended = dialog.ended;
            run.result = dialog.ended ? dialog.result : -1;
            run.comboItems.clear();
            run.comboSelections.clear();
            run.checks.clear();
            for (const auto& [id, combo] : dialog.combos) {
                run.comboItems.emplace_back(id, combo.items);
                run.comboSelections.emplace_back(id, combo.selection);
            }
            for (const auto& [id, state] : dialog.checks) run.checks.emplace_back(id, state);
        }
    } snapshot{dialog, run};

    auto send = [&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        run.messages.push_back(message);
        if (proc) proc(&dialog, message, wParam, lParam);
    };

    send(WM_INITDIALOG, 0, param);
    if (!dialog.ended) {
        for (const auto& [id, position] : state_->script.selections) {
            SendDlgItemMessage(&dialog, id, CB_SETCURSEL, static_cast<uintptr_t>(position), 0);
        }
        for (const auto& [id, state] : state_->script.checks) CheckDlgButton(&dialog, id, state);
    }
    for (const DialogEnding& ending : state_->script.endings) {
        if (dialog.ended) break;
        if (ending.close) {
            send(WM_CLOSE, 0, 0);
        } else {
            send(WM_COMMAND, MakeCommandParam(ending.commandId, BN_CLICKED), 0);
        }
    }
    return dialog.ended ? dialog.result : -1;
}

}  // namespace ui
