// Internal: focus and keyboard of an open template dialog, as the Windows dialog manager drives
// one. Tab stops in template order (every button, check box and list); on a closed drop-down list
// Up/Down, Home/End and Page Up/Down change the selection, Alt+Down or F4 opens it; in an open list
// the keys move a highlight that Return picks and Escape drops; Space toggles a check box or
// presses a button; Return presses the focused push button or else the default one; Escape is
// IDCANCEL. Pure state over the dialog model: the on-screen dialog feeds it keys and clicks, sends
// the commands it returns to the dialog procedure and draws the focus and the open list it holds.
#pragma once

#include <optional>

#include "platform/ui/dialog_model.h"

namespace ui {

enum class DialogKey { Tab, Up, Down, Home, End, PageUp, PageDown, F4, Return, Escape, Space };

struct KeyModifiers {
    bool shift = false;
    bool alt = false;
};

// A WM_COMMAND for the dialog procedure: control id and notification code.
struct ControlCommand {
    int id = 0;
    int notification = BN_CLICKED;
    bool operator==(const ControlCommand&) const = default;
};

class DialogKeyboard {
  public:
    // Focus starts on the first tab stop.
    explicit DialogKeyboard(const DialogTemplate& tmpl);

    // Applies a key to the focus, the open list and the model's controls; returns the command the
    // key sends, if any.
    std::optional<ControlCommand> Key(Dialog& model, DialogKey key, KeyModifiers modifiers = {});

    // Mouse: a click on a control focuses it (when it is a tab stop); a click on a closed list
    // opens it, a click on an entry of the open list picks it, a click elsewhere closes it.
    void Focus(int control);
    void OpenList(const Dialog& model, int control);
    void CloseList() { openList_ = -1; }
    std::optional<ControlCommand> Pick(Dialog& model, int item);
    void Highlight(int item);

    int focused() const { return focused_; }    // index into the template's controls, -1: none
    int openList() const { return openList_; }  // index of the open list's control, -1: none
    int listCursor() const { return cursor_; }  // highlighted entry of the open list
    int listTop() const { return top_; }        // first entry shown by the open list
    int defaultButton() const;                  // id of the button that Return presses

    // Entries an open list shows at once: its template height less the closed box (12 units),
    // 8 units per entry.
    static int VisibleRows(const ControlTemplate& list);

  private:
    static bool IsTabStop(const ControlTemplate& control);
    void MoveFocus(bool backwards);
    std::optional<ControlCommand> Select(Dialog& model, int control, int item);
    static int Moved(DialogKey key, int from, int count, int page);
    void KeepCursorVisible();

    const DialogTemplate& tmpl_;
    int focused_ = -1;
    int openList_ = -1;
    int cursor_ = 0;
    int top_ = 0;
};

}  // namespace ui
