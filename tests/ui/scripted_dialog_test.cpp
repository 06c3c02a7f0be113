// The in-memory dialog: control operations as Windows answers them, and the order in which the
// procedure sees the script.
#include "platform/ui/scripted_dialog.h"

#include <gtest/gtest.h>

#include "platform/ui/ui.h"

namespace {

ui::DialogTemplate TwoComboTemplate() {
    ui::DialogTemplate t{"test", 100, 50, "MS Shell Dlg", 8, {}};
    t.controls = {{ui::IDOK, ui::ControlKind::DefPushButton, "OK", 0, 0, 10, 10},
                  {10, ui::ControlKind::ComboBox, "", 0, 0, 10, 10},
                  {11, ui::ControlKind::ComboBox, "", 0, 0, 10, 10},
                  {20, ui::ControlKind::CheckBox, "Box", 0, 0, 10, 10}};
    return t;
}

intptr_t Add(ui::Dialog* d, int id, const char* text) {
    return ui::SendDlgItemMessage(d, id, ui::CB_ADDSTRING, 0, reinterpret_cast<intptr_t>(text));
}

TEST(ScriptedDialogControls, ComboAndCheckOperationsAnswerAsWindowsDoes) {
    const auto tmpl = TwoComboTemplate();
    ui::ScriptedDialog dialog({.endings = {}});
    dialog.Run(
        tmpl,
        [](ui::Dialog* d, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            if (message != ui::WM_INITDIALOG) return 0;
            EXPECT_EQ(ui::SendDlgItemMessage(d, 10, ui::CB_GETCURSEL, 0, 0),
                      -1);  // nothing selected yet
            EXPECT_EQ(Add(d, 10, "a"), 0);
            EXPECT_EQ(Add(d, 10, "b"), 1);
            EXPECT_EQ(ui::SendDlgItemMessage(d, 10, ui::CB_GETCOUNT, 0, 0), 2);
            EXPECT_EQ(ui::SendDlgItemMessage(d, 10, ui::CB_SETCURSEL, 1, 0), 1);
            EXPECT_EQ(ui::SendDlgItemMessage(d, 10, ui::CB_GETCURSEL, 0, 0), 1);
            // Out of range clears the selection and reports CB_ERR.
            EXPECT_EQ(ui::SendDlgItemMessage(d, 10, ui::CB_SETCURSEL, 2, 0), -1);
            EXPECT_EQ(ui::SendDlgItemMessage(d, 10, ui::CB_GETCURSEL, 0, 0), -1);
            // Lists are per control; unknown ids answer CB_ERR.
            EXPECT_EQ(ui::SendDlgItemMessage(d, 11, ui::CB_GETCOUNT, 0, 0), 0);
            EXPECT_EQ(ui::SendDlgItemMessage(d, 99, ui::CB_GETCOUNT, 0, 0), -1);
            EXPECT_EQ(ui::IsDlgButtonChecked(d, 20), ui::BST_UNCHECKED);
            EXPECT_TRUE(ui::CheckDlgButton(d, 20, ui::BST_CHECKED));
            EXPECT_EQ(ui::IsDlgButtonChecked(d, 20), ui::BST_CHECKED);
            EXPECT_FALSE(ui::CheckDlgButton(d, 10, ui::BST_CHECKED));  // a combo is no check box
            return 0;
        },
        0);
    const auto& run = dialog.LastRun();
    ASSERT_NE(run.Items(10), nullptr);
    EXPECT_EQ(*run.Items(10), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(run.Checked(20), ui::BST_CHECKED);
    EXPECT_FALSE(run.ended);
}

TEST(ScriptedDialogRun, EndingsAreTriedInOrderUntilTheDialogEnds) {
    using Proc = intptr_t (*)(ui::Dialog*, uint32_t, uintptr_t, intptr_t);
    const Proc endOnClose = [](ui::Dialog* d, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
        if (message == ui::WM_CLOSE) ui::EndDialog(d, 5);  // IDOK is ignored, close ends it
        return 0;
    };
    const Proc never = [](ui::Dialog*, uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; };
    const Proc endOnInit = [](ui::Dialog* d, uint32_t message, uintptr_t, intptr_t) -> intptr_t {
        if (message == ui::WM_INITDIALOG) ui::EndDialog(d, 3);  // the script is skipped
        return 0;
    };
    const struct {
        ui::DialogScript script;
        Proc proc;
        intptr_t result;
        std::vector<uint32_t> messages;
    } cases[] = {
        {{.endings = {ui::DialogEnding::Command(ui::IDOK), ui::DialogEnding::Close(),
                      ui::DialogEnding::Command(ui::IDCANCEL)}},
         endOnClose,
         5,
         {ui::WM_INITDIALOG, ui::WM_COMMAND, ui::WM_CLOSE}},
        {{}, never, -1, {ui::WM_INITDIALOG, ui::WM_COMMAND}},  // default: one IDOK
        {{.checks = {{20, ui::BST_CHECKED}}}, endOnInit, 3, {ui::WM_INITDIALOG}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        ui::ScriptedDialog dialog(c.script);
        EXPECT_EQ(dialog.Run(TwoComboTemplate(), c.proc, 0), c.result);
        EXPECT_EQ(dialog.LastRun().messages, c.messages);
        EXPECT_EQ(dialog.LastRun().ended, c.result != -1);
        EXPECT_EQ(dialog.LastRun().Checked(20), ui::BST_UNCHECKED);
    }
}

TEST(DialogBoxParam, HeadlessWithoutHookCannotShowADialog) {
    ui::Configure({.headless = true});
    testing::internal::CaptureStderr();
    const auto tmpl = TwoComboTemplate();
    bool called = false;
    const intptr_t result = ui::DialogBoxParam(
        tmpl,
        [&](ui::Dialog*, uint32_t, uintptr_t, intptr_t) -> intptr_t {
            called = true;
            return 0;
        },
        0);
    const std::string err = testing::internal::GetCapturedStderr();
    ui::Configure({});
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(called);
    EXPECT_NE(err.find("no display"), std::string::npos);
}

}  // namespace
