// Keyboard and focus of a template dialog: tab order, list keys closed and open, space, Return and
// Escape, and the mouse's part (focus, open, pick).
#include "platform/ui/dialog_keyboard.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace {

using ui::ControlKind;
using ui::DialogKey;

// The setup dialog's shape: Run, Exit, a check box, a list of 8 (5 rows open), a picture, a list
// of 3 (2 rows open), a group box and a second check box.
const ui::DialogTemplate& Template() {
    static const ui::DialogTemplate tmpl = [] {
        ui::DialogTemplate t{"test", 180, 143, "MS Shell Dlg", 8, {}};
        t.controls = {{ui::IDOK, ControlKind::DefPushButton, "Run", 84, 121, 44, 14},
                      {ui::IDCANCEL, ControlKind::PushButton, "Exit", 129, 121, 44, 14},
                      {20, ControlKind::CheckBox, "Full", 89, 109, 46, 11},
                      {10, ControlKind::ComboBox, "", 85, 17, 86, 53},
                      {-1, ControlKind::Picture, "", 7, 7, 73, 128},
                      {11, ControlKind::ComboBox, "", 85, 67, 86, 28},
                      {-1, ControlKind::GroupBox, "Group", 81, 7, 92, 24},
                      {21, ControlKind::CheckBox, "Sync", 142, 110, 31, 8}};
        return t;
    }();
    return tmpl;
}

// A fresh model: list 10 holds a0..a7 with a2 selected, list 11 b0..b2 with b1; 20 checked.
ui::Dialog Model() {
    ui::Dialog model;
    ui::InitDialogModel(model, Template());
    for (int i = 0; i < 8; ++i) model.combos[10].items.push_back("a" + std::to_string(i));
    model.combos[10].selection = 2;
    model.combos[11].items = {"b0", "b1", "b2"};
    model.combos[11].selection = 1;
    model.checks[20] = ui::BST_CHECKED;
    return model;
}

struct Outcome {
    int focusedId = 0;    // id of the focused control
    int openListId = -1;  // id of the open list, -1: none
    int selection10 = 0, selection11 = 0;
    std::string checks;    // "20 21" states, e.g. "10" = 20 checked, 21 not
    std::string commands;  // "id:notification" of each command, space-separated
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "focus " << o.focusedId << " open " << o.openListId << " sel " << o.selection10
               << "/" << o.selection11 << " checks " << o.checks << " commands [" << o.commands
               << "]";
}

// Presses keys written as xdotool names them: "Tab shift+Tab alt+Down F4 Return".
Outcome Press(const std::string& keys) {
    static const std::map<std::string, DialogKey> names = {
        {"Tab", DialogKey::Tab},       {"Up", DialogKey::Up},      {"Down", DialogKey::Down},
        {"Home", DialogKey::Home},     {"End", DialogKey::End},    {"Prior", DialogKey::PageUp},
        {"Next", DialogKey::PageDown}, {"F4", DialogKey::F4},      {"Return", DialogKey::Return},
        {"Escape", DialogKey::Escape}, {"space", DialogKey::Space}};
    ui::Dialog model = Model();
    ui::DialogKeyboard keyboard(Template());
    Outcome outcome;
    std::istringstream in(keys);
    for (std::string word; in >> word;) {
        ui::KeyModifiers modifiers;
        if (word.rfind("shift+", 0) == 0) modifiers.shift = true, word = word.substr(6);
        if (word.rfind("alt+", 0) == 0) modifiers.alt = true, word = word.substr(4);
        const auto command = keyboard.Key(model, names.at(word), modifiers);
        if (command)
            outcome.commands += (outcome.commands.empty() ? "" : " ") +
                                std::to_string(command->id) + ":" +
                                std::to_string(command->notification);
    }
    const auto& controls = Template().controls;
    outcome.focusedId = controls.at(static_cast<size_t>(keyboard.focused())).id;
    if (keyboard.openList() >= 0)
        outcome.openListId = controls.at(static_cast<size_t>(keyboard.openList())).id;
    outcome.selection10 = model.combos[10].selection;
    outcome.selection11 = model.combos[11].selection;
    outcome.checks = std::to_string(model.checks[20]) + std::to_string(model.checks[21]);
    return outcome;
}

TEST(DialogKeyboard, KeysMoveFocusChangeControlsAndSendCommandsAsAWindowsDialogDoes) {
    struct Case {
        const char* keys;
        Outcome expected;
    };
    const Case cases[] = {
        // Tab order is template order over the tab stops, both ways, wrapping.
        {"", {1, -1, 2, 1, "10", ""}},
        {"Tab", {2, -1, 2, 1, "10", ""}},
        {"Tab Tab Tab", {10, -1, 2, 1, "10", ""}},
        {"Tab Tab Tab Tab", {11, -1, 2, 1, "10", ""}},
        {"Tab Tab Tab Tab Tab", {21, -1, 2, 1, "10", ""}},
        {"Tab Tab Tab Tab Tab Tab", {1, -1, 2, 1, "10", ""}},
        {"shift+Tab", {21, -1, 2, 1, "10", ""}},
        {"shift+Tab shift+Tab shift+Tab", {10, -1, 2, 1, "10", ""}},
        // A closed list changes its selection in place; a page is the open rows less one.
        {"Tab Tab Tab Down", {10, -1, 3, 1, "10", "10:1"}},
        {"Tab Tab Tab Up", {10, -1, 1, 1, "10", "10:1"}},
        {"Tab Tab Tab Home Up", {10, -1, 0, 1, "10", "10:1"}},
        {"Tab Tab Tab End Down", {10, -1, 7, 1, "10", "10:1"}},
        {"Tab Tab Tab Next", {10, -1, 6, 1, "10", "10:1"}},
        {"Tab Tab Tab Next Prior", {10, -1, 2, 1, "10", "10:1 10:1"}},
        {"Tab Tab Tab Tab Next", {11, -1, 2, 2, "10", "11:1"}},
        // Alt+Down or F4 opens a list; its keys move a highlight; Return or F4 picks, Escape
        // drops it and leaves the dialog open.
        {"Tab Tab Tab alt+Down", {10, 10, 2, 1, "10", ""}},
        {"Tab Tab Tab alt+Down Down Down", {10, 10, 2, 1, "10", ""}},
        {"Tab Tab Tab alt+Down Down Down Return", {10, -1, 4, 1, "10", "10:1"}},
        {"Tab Tab Tab F4 End F4", {10, -1, 7, 1, "10", "10:1"}},
        {"Tab Tab Tab F4 Up alt+Up", {10, -1, 1, 1, "10", "10:1"}},
        {"Tab Tab Tab F4 Up Escape", {10, -1, 2, 1, "10", ""}},
        {"Tab Tab Tab F4 Up Escape Escape", {10, -1, 2, 1, "10", "2:0"}},
        {"Tab Tab Tab F4 Return Return", {10, -1, 2, 1, "10", "1:0"}},
        {"Tab Tab Tab F4 space Tab", {11, -1, 2, 1, "10", ""}},
        {"Tab Tab Tab F4 Down shift+Tab", {20, -1, 3, 1, "10", "10:1"}},
        // Space presses the focused button or toggles the focused check box.
        {"space", {1, -1, 2, 1, "10", "1:0"}},
        {"Tab space", {2, -1, 2, 1, "10", "2:0"}},
        {"Tab Tab space", {20, -1, 2, 1, "00", "20:0"}},
        {"Tab Tab space space", {20, -1, 2, 1, "10", "20:0 20:0"}},
        {"shift+Tab space", {21, -1, 2, 1, "11", "21:0"}},
        {"Tab Tab Tab space", {10, -1, 2, 1, "10", ""}},
        // Return presses the focused push button, else the default one; Escape is IDCANCEL.
        {"Tab Return", {2, -1, 2, 1, "10", "2:0"}},
        {"Tab Tab Return", {20, -1, 2, 1, "10", "1:0"}},
        {"Tab Tab Tab Tab Return", {11, -1, 2, 1, "10", "1:0"}},
        {"Tab Tab Escape", {20, -1, 2, 1, "10", "2:0"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Press(c.keys), c.expected) << "keys: " << c.keys;
}

TEST(DialogKeyboard, TheOpenListScrollsToItsHighlightAndTheMousePicksFocusesAndCloses) {
    ui::Dialog model = Model();
    ui::DialogKeyboard keyboard(Template());
    EXPECT_EQ(ui::DialogKeyboard::VisibleRows(Template().controls[3]), 5);
    EXPECT_EQ(ui::DialogKeyboard::VisibleRows(Template().controls[5]), 2);

    keyboard.Focus(4);  // the picture takes no focus
    EXPECT_EQ(keyboard.focused(), 0);
    keyboard.OpenList(model, 3);
    EXPECT_EQ(keyboard.focused(), 3);
    EXPECT_EQ(keyboard.listTop(), 0);
    keyboard.Key(model, DialogKey::End);
    EXPECT_EQ(keyboard.listCursor(), 7);
    EXPECT_EQ(keyboard.listTop(), 3);
    keyboard.Key(model, DialogKey::PageUp);
    EXPECT_EQ(keyboard.listCursor(), 3);
    EXPECT_EQ(keyboard.listTop(), 3);
    keyboard.Key(model, DialogKey::Up);
    EXPECT_EQ(keyboard.listTop(), 2);

    EXPECT_EQ(keyboard.Pick(model, 0), (ui::ControlCommand{10, ui::CBN_SELCHANGE}));
    EXPECT_EQ(keyboard.openList(), -1);
    EXPECT_EQ(model.combos[10].selection, 0);
    keyboard.OpenList(model, 3);
    EXPECT_EQ(keyboard.Pick(model, 0), std::nullopt);  // the same entry: no change, no command
    EXPECT_EQ(keyboard.Pick(model, 1), std::nullopt);  // nothing open any more

    keyboard.Focus(1);
    EXPECT_EQ(keyboard.defaultButton(), ui::IDCANCEL);  // a focused push button takes Return
    keyboard.Focus(2);
    EXPECT_EQ(keyboard.defaultButton(), ui::IDOK);
}

}  // namespace
