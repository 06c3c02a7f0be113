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
const ui::DialogTemplate kTemplate = [] {
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

// A fresh model: list 10 holds a0..a7 with a2 selected, list 11 b0..b2 with b1; 20 checked.
ui::Dialog Model() {
    ui::Dialog model;
    ui::InitDialogModel(model, kTemplate);
    model.combos[10] = {{"a0", "a1", "a2", "a3", "a4", "a5", "a6", "a7"}, 2};
    model.combos[11] = {{"b0", "b1", "b2"}, 1};
    model.checks[20] = ui::BST_CHECKED;
    return model;
}

// Presses keys written as xdotool names them ("Tab shift+Tab alt+Down F4 Return") on a fresh model
// and tells the outcome: the focused id, the open list's id (or -), the selections of lists 10 and
// 11, the states of check boxes 20 and 21, and each command as id:notification.
std::string Press(const std::string& keys) {
    static const std::map<std::string, DialogKey> names = {
        {"Tab", DialogKey::Tab},       {"Up", DialogKey::Up},      {"Down", DialogKey::Down},
        {"Home", DialogKey::Home},     {"End", DialogKey::End},    {"Prior", DialogKey::PageUp},
        {"Next", DialogKey::PageDown}, {"F4", DialogKey::F4},      {"Return", DialogKey::Return},
        {"Escape", DialogKey::Escape}, {"space", DialogKey::Space}};
    ui::Dialog model = Model();
    ui::DialogKeyboard keyboard(kTemplate);
    std::string commands;
    std::istringstream in(keys);
    for (std::string word; in >> word;) {
        ui::KeyModifiers modifiers;
        if (word.rfind("shift+", 0) == 0) modifiers.shift = true, word = word.substr(6);
        if (word.rfind("alt+", 0) == 0) modifiers.alt = true, word = word.substr(4);
        if (const auto command = keyboard.Key(model, names.at(word), modifiers))
            commands +=
                " " + std::to_string(command->id) + ":" + std::to_string(command->notification);
    }
    auto id = [](int control) {
        return control < 0 ? "-" : std::to_string(kTemplate.controls.at(size_t(control)).id);
    };
    return id(keyboard.focused()) + " " + id(keyboard.openList()) + " " +
           std::to_string(model.combos[10].selection) + "/" +
           std::to_string(model.combos[11].selection) + " " + std::to_string(model.checks[20]) +
           std::to_string(model.checks[21]) + commands;
}

TEST(DialogKeyboard, KeysMoveFocusChangeControlsAndSendCommandsAsAWindowsDialogDoes) {
    const std::pair<const char*, const char*> cases[] = {
        // Tab order is template order over the tab stops, both ways, wrapping.
        {"", "1 - 2/1 10"},
        {"Tab", "2 - 2/1 10"},
        {"Tab Tab Tab Tab Tab", "21 - 2/1 10"},
        {"Tab Tab Tab Tab Tab Tab", "1 - 2/1 10"},
        {"shift+Tab", "21 - 2/1 10"},
        {"shift+Tab shift+Tab shift+Tab", "10 - 2/1 10"},
        // A closed list changes its selection in place; a page is the open rows less one.
        {"Tab Tab Tab Down", "10 - 3/1 10 10:1"},
        {"Tab Tab Tab Home Up", "10 - 0/1 10 10:1"},
        {"Tab Tab Tab End Down", "10 - 7/1 10 10:1"},
        {"Tab Tab Tab Next", "10 - 6/1 10 10:1"},
        {"Tab Tab Tab Next Prior", "10 - 2/1 10 10:1 10:1"},
        {"Tab Tab Tab Tab Next", "11 - 2/2 10 11:1"},
        // Alt+Down or F4 opens a list; its keys move a highlight; Return or F4 picks, Escape
        // drops it and leaves the dialog open.
        {"Tab Tab Tab alt+Down Down Down", "10 10 2/1 10"},
        {"Tab Tab Tab alt+Down Down Down Return", "10 - 4/1 10 10:1"},
        {"Tab Tab Tab F4 End F4", "10 - 7/1 10 10:1"},
        {"Tab Tab Tab F4 Up alt+Up", "10 - 1/1 10 10:1"},
        {"Tab Tab Tab F4 Up Escape Escape", "10 - 2/1 10 2:0"},
        {"Tab Tab Tab F4 Return Return", "10 - 2/1 10 1:0"},
        {"Tab Tab Tab F4 space Tab", "11 - 2/1 10"},
        {"Tab Tab Tab F4 Down shift+Tab", "20 - 3/1 10 10:1"},
        // Space presses the focused button or toggles the focused check box.
        {"space", "1 - 2/1 10 1:0"},
        {"Tab Tab space", "20 - 2/1 00 20:0"},
        {"shift+Tab space", "21 - 2/1 11 21:0"},
        {"Tab Tab Tab space", "10 - 2/1 10"},
        // Return presses the focused push button, else the default one; Escape is IDCANCEL.
        {"Tab Return", "2 - 2/1 10 2:0"},
        {"Tab Tab Return", "20 - 2/1 10 1:0"},
        {"Tab Tab Escape", "20 - 2/1 10 2:0"},
    };
    for (const auto& [keys, outcome] : cases) EXPECT_EQ(Press(keys), outcome) << "keys: " << keys;
}

TEST(DialogKeyboard, TheOpenListScrollsToItsHighlightAndTheMousePicksFocusesAndCloses) {
    ui::Dialog model = Model();
    ui::DialogKeyboard keyboard(kTemplate);
    std::string seen;
    auto look = [&] {
        seen += std::to_string(keyboard.focused()) + ":" + std::to_string(keyboard.listCursor()) +
                "@" + std::to_string(keyboard.listTop()) + " ";
    };
    keyboard.Focus(4);  // the picture takes no focus
    look();
    keyboard.OpenList(model, 3);
    look();
    for (DialogKey key : {DialogKey::End, DialogKey::PageUp, DialogKey::Up}) {
        keyboard.Key(model, key);
        look();
    }
    EXPECT_EQ(seen, "0:0@0 3:2@0 3:7@3 3:3@3 3:2@2 ");  // 5 rows shown

    EXPECT_EQ(keyboard.Pick(model, 0), (ui::ControlCommand{10, ui::CBN_SELCHANGE}));
    EXPECT_EQ(keyboard.openList(), -1);
    EXPECT_EQ(model.combos[10].selection, 0);
    keyboard.OpenList(model, 3);
    EXPECT_EQ(keyboard.Pick(model, 0), std::nullopt);  // the same entry: no change, no command
    EXPECT_EQ(keyboard.Pick(model, 1), std::nullopt);  // nothing open any more
}

}  // namespace
