// The in-memory dialog: control operations as Windows answers them, the order in which the
// procedure sees the script, and no dialog headless without one.
#include "platform/ui/scripted_dialog.h"

#include <gtest/gtest.h>

#include "platform/ui/ui.h"

namespace {

const ui::DialogTemplate kTemplate = [] {
    ui::DialogTemplate t{"test", 100, 50, "MS Shell Dlg", 8, {}};
    t.controls = {{ui::IDOK, ui::ControlKind::DefPushButton, "OK", 0, 0, 10, 10},
                  {10, ui::ControlKind::ComboBox, "", 0, 0, 10, 10},
                  {11, ui::ControlKind::ComboBox, "", 0, 0, 10, 10},
                  {20, ui::ControlKind::CheckBox, "Box", 0, 0, 10, 10}};
    return t;
}();

TEST(ScriptedDialogControls, ComboAndCheckOperationsAnswerAsWindowsDoes) {
    std::string answers;
    ui::ScriptedDialog dialog({.endings = {}});
    dialog.Run(
        kTemplate,
        [&](ui::Dialog* d, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (message != ui::WM_INITDIALOG) return 0;
            auto note = [&](intptr_t answer) { answers += std::to_string(answer) + " "; };
            auto send = [&](int id, uint32_t msg, uintptr_t w = 0, const char* text = nullptr) {
                note(ui::SendDlgItemMessage(d, id, msg, w, reinterpret_cast<intptr_t>(text)));
            };
            send(10, ui::CB_GETCURSEL);  // nothing selected yet
            send(10, ui::CB_ADDSTRING, 0, "a");
            send(10, ui::CB_ADDSTRING, 0, "b");
            send(10, ui::CB_GETCOUNT);
            send(10, ui::CB_SETCURSEL, 1);
            send(10, ui::CB_GETCURSEL);
            send(10, ui::CB_SETCURSEL, 2);  // out of range: clears the selection, CB_ERR
            send(10, ui::CB_GETCURSEL);
            send(11, ui::CB_GETCOUNT);  // lists are per control
            send(99, ui::CB_GETCOUNT);  // no such control
            note(ui::IsDlgButtonChecked(d, 20));
            note(ui::CheckDlgButton(d, 20, ui::BST_CHECKED));
            note(ui::IsDlgButtonChecked(d, 20));
            note(ui::CheckDlgButton(d, 10, ui::BST_CHECKED));  // a combo is no check box
            return 0;
        },
        0);
    EXPECT_EQ(answers, "-1 0 1 2 1 1 -1 -1 0 -1 0 1 1 0 ");
    EXPECT_EQ(dialog.LastRun().Checked(20), ui::BST_CHECKED);  // what the procedure left behind
}

TEST(ScriptedDialogRun, EndingsAreTriedInOrderUntilTheDialogEnds) {
    auto endOn = [](uint32_t end, intptr_t result) {
        return [=](ui::Dialog* d, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (message == end) ui::EndDialog(d, result);
            return 0;
        };
    };
    const struct {
        ui::DialogScript script;
        ui::DialogProc proc;
        intptr_t result;
        std::vector<uint32_t> messages;
    } cases[] = {
        {{.endings = {ui::DialogEnding::Command(ui::IDOK), ui::DialogEnding::Close(),
                      ui::DialogEnding::Command(ui::IDCANCEL)}},
         endOn(ui::WM_CLOSE, 5),
         5,
         {ui::WM_INITDIALOG, ui::WM_COMMAND, ui::WM_CLOSE}},
        {{}, endOn(0, 0), -1, {ui::WM_INITDIALOG, ui::WM_COMMAND}},  // default: one IDOK
        // Ended at once: the script is skipped.
        {{.checks = {{20, ui::BST_CHECKED}}}, endOn(ui::WM_INITDIALOG, 3), 3, {ui::WM_INITDIALOG}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        ui::ScriptedDialog dialog(c.script);
        EXPECT_EQ(dialog.Run(kTemplate, c.proc, 0), c.result);
        EXPECT_EQ(dialog.LastRun().messages, c.messages);
        EXPECT_EQ(dialog.LastRun().ended, c.result != -1);
        EXPECT_EQ(dialog.LastRun().Checked(20), ui::BST_UNCHECKED);
    }
}

TEST(DialogBoxParam, HeadlessWithoutHookCannotShowADialog) {
    ui::Configure({.headless = true});
    testing::internal::CaptureStderr();
    bool called = false;
    const intptr_t result = ui::DialogBoxParam(
        kTemplate,
        [&](ui::Dialog*, uint32_t, uintptr_t, intptr_t) { return intptr_t(called = true); }, 0);
    const std::string err = testing::internal::GetCapturedStderr();
    ui::Configure({});
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(called);
    EXPECT_NE(err.find("no display"), std::string::npos);
}

}  // namespace
