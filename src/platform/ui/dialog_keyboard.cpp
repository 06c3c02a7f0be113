// Focus, tab order, list keys and the open list of a template dialog.
#include "platform/ui/dialog_keyboard.h"

#include <algorithm>

namespace ui {
namespace {

constexpr int kClosedListUnits = 12;
constexpr int kEntryUnits = 8;

ComboState* ComboOf(Dialog& model, const ControlTemplate& control) {
    auto it = model.combos.find(control.id);
    return it == model.combos.end() ? nullptr : &it->second;
}

int CountOf(const ComboState& combo) {
    return static_cast<int>(combo.items.size());
}

}  // namespace

DialogKeyboard::DialogKeyboard(const DialogTemplate& tmpl) : tmpl_(tmpl) {
    MoveFocus(false);
}

bool DialogKeyboard::IsTabStop(const ControlTemplate& control) {
    return control.kind != ControlKind::Picture && control.kind != ControlKind::GroupBox;
}

int DialogKeyboard::VisibleRows(const ControlTemplate& list) {
    return std::max(1, (list.cy - kClosedListUnits) / kEntryUnits);
}

void DialogKeyboard::MoveFocus(bool backwards) {
    const int count = static_cast<int>(tmpl_.controls.size());
    int at = focused_;
    for (int step = 0; step < count; ++step) {
        at = backwards ? (at <= 0 ? count - 1 : at - 1) : (at + 1) % count;
        if (IsTabStop(tmpl_.controls[static_cast<size_t>(at)])) {
            focused_ = at;
            return;
        }
    }
}

void DialogKeyboard::Focus(int control) {
    if (control >= 0 && control < static_cast<int>(tmpl_.controls.size()) &&
        IsTabStop(tmpl_.controls[static_cast<size_t>(control)]))
        focused_ = control;
}

int DialogKeyboard::defaultButton() const {
    if (focused_ >= 0) {
        const ControlTemplate& control = tmpl_.controls[static_cast<size_t>(focused_)];
        if (control.kind == ControlKind::PushButton || control.kind == ControlKind::DefPushButton)
            return control.id;
    }
    for (const ControlTemplate& control : tmpl_.controls)
        if (control.kind == ControlKind::DefPushButton) return control.id;
    return IDOK;
}

void DialogKeyboard::OpenList(const Dialog& model, int control) {
    const ControlTemplate& list = tmpl_.controls.at(static_cast<size_t>(control));
    auto it = model.combos.find(list.id);
    if (it == model.combos.end()) return;
    focused_ = control;
    openList_ = control;
    cursor_ = std::max(0, it->second.selection);
    top_ = 0;
    KeepCursorVisible();
}

void DialogKeyboard::Highlight(int item) {
    if (openList_ < 0) return;
    cursor_ = item;
    KeepCursorVisible();
}

void DialogKeyboard::KeepCursorVisible() {
    const int rows = VisibleRows(tmpl_.controls[static_cast<size_t>(openList_)]);
    if (cursor_ < top_) top_ = cursor_;
    if (cursor_ >= top_ + rows) top_ = cursor_ - rows + 1;
}

std::optional<ControlCommand> DialogKeyboard::Select(Dialog& model, int control, int item) {
    ComboState* combo = ComboOf(model, tmpl_.controls[static_cast<size_t>(control)]);
    if (combo == nullptr || item < 0 || item >= CountOf(*combo) || item == combo->selection)
        return std::nullopt;
    combo->selection = item;
    return ControlCommand{tmpl_.controls[static_cast<size_t>(control)].id, CBN_SELCHANGE};
}

std::optional<ControlCommand> DialogKeyboard::Pick(Dialog& model, int item) {
    if (openList_ < 0) return std::nullopt;
    const int list = openList_;
    CloseList();
    return Select(model, list, item);
}

// The entry a movement key leads to from `from` in a list of `count`, clamped to the list.
int DialogKeyboard::Moved(DialogKey key, int from, int count, int page) {
    const int step = std::max(1, page - 1);
    int to = from;
    switch (key) {
        case DialogKey::Up:
            to = from < 0 ? 0 : from - 1;
            break;
        case DialogKey::Down:
            to = from + 1;
            break;
        case DialogKey::Home:
            to = 0;
            break;
        case DialogKey::End:
            to = count - 1;
            break;
        case DialogKey::PageUp:
            to = from - step;
            break;
        case DialogKey::PageDown:
            to = from + step;
            break;
        default:
            break;
    }
    return std::clamp(to, 0, count - 1);
}

std::optional<ControlCommand> DialogKeyboard::Key(Dialog& model, DialogKey key,
                                                  KeyModifiers modifiers) {
    const bool movement = key == DialogKey::Up || key == DialogKey::Down ||
                          key == DialogKey::Home || key == DialogKey::End ||
                          key == DialogKey::PageUp || key == DialogKey::PageDown;
    const bool toggleList =
        key == DialogKey::F4 || (modifiers.alt && (key == DialogKey::Up || key == DialogKey::Down));

    if (openList_ >= 0) {
        const ControlTemplate& list = tmpl_.controls[static_cast<size_t>(openList_)];
        ComboState* combo = ComboOf(model, list);
        const int count = combo != nullptr ? CountOf(*combo) : 0;
        if (toggleList || key == DialogKey::Return) return Pick(model, cursor_);
        if (key == DialogKey::Escape) {
            CloseList();
            return std::nullopt;
        }
        if (key == DialogKey::Tab) {
            const auto command = Pick(model, cursor_);
            MoveFocus(modifiers.shift);
            return command;
        }
        if (movement && count > 0) Highlight(Moved(key, cursor_, count, VisibleRows(list)));
        return std::nullopt;
    }

    switch (key) {
        case DialogKey::Tab:
            MoveFocus(modifiers.shift);
            return std::nullopt;
        case DialogKey::Return:
            return ControlCommand{defaultButton(), BN_CLICKED};
        case DialogKey::Escape:
            return ControlCommand{IDCANCEL, BN_CLICKED};
        default:
            break;
    }
    if (focused_ < 0) return std::nullopt;
    const ControlTemplate& control = tmpl_.controls[static_cast<size_t>(focused_)];
    switch (control.kind) {
        case ControlKind::DefPushButton:
        case ControlKind::PushButton:
            if (key == DialogKey::Space) return ControlCommand{control.id, BN_CLICKED};
            break;
        case ControlKind::CheckBox:
            if (key == DialogKey::Space) {
                const bool checked = IsDlgButtonChecked(&model, control.id) == BST_CHECKED;
                CheckDlgButton(&model, control.id, checked ? BST_UNCHECKED : BST_CHECKED);
                return ControlCommand{control.id, BN_CLICKED};
            }
            break;
        case ControlKind::ComboBox: {
            if (toggleList) {
                OpenList(model, focused_);
                break;
            }
            ComboState* combo = ComboOf(model, control);
            if (!movement || combo == nullptr || combo->items.empty()) break;
            return Select(model, focused_,
                          Moved(key, combo->selection, CountOf(*combo), VisibleRows(control)));
        }
        case ControlKind::Picture:
        case ControlKind::GroupBox:
            break;
    }
    return std::nullopt;
}

}  // namespace ui
