// ui: the windowing services the demo uses, on SDL2 and Dear ImGui.
//
// WHAT IT DOES
//   Modal message boxes (also written to stderr as one line), a modal dialog built from a template
//   and driven by a dialog procedure, the demo window, cursor hiding, a message pump that maps
//   events to Windows messages (WM_KEYDOWN with virtual-key codes, WM_QUIT), and the process exit.
//
// WHAT IT DOES NOT DO
//   No window procedures, no child windows, no menus, no text input.
//
// STEP BY STEP
//   1. ui::Configure(config)                 interactive, or headless with scripted answers
//   2. ui::DialogBoxParam(tmpl, proc, 0)     the procedure gets WM_INITDIALOG, WM_COMMAND, WM_CLOSE
//   3. ui::CreateWindowEx(...)               the demo window (gfx draws into it)
//   4. per frame: while (ui::PeekMessage(&msg)) { ui::TranslateMessage(&msg);
//   ui::DispatchMessage(&msg); }
//
// Tests replace the message box, the dialog and the pump through the hooks in Config.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/window.h"

namespace ui {

// ---- Messages and codes (Windows values)
// -----------------------------------------------------------
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t VK_ESCAPE = 0x1B;
constexpr uint32_t VK_RETURN = 0x0D;
constexpr uint32_t VK_SPACE = 0x20;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t BST_UNCHECKED = 0;
constexpr uint32_t BST_CHECKED = 1;
constexpr uint32_t CB_ADDSTRING = 0x0143;
constexpr uint32_t CB_GETCURSEL = 0x0147;
constexpr uint32_t CB_SETCURSEL = 0x014E;
constexpr uint32_t CB_GETCOUNT = 0x0146;
constexpr uint32_t CB_ERR = static_cast<uint32_t>(-1);

struct Msg {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// ---- Message boxes
// ---------------------------------------------------------------------------------- Modal, no
// owner, OK button; returns when dismissed (IDOK). Also writes
// "[caption] text" as one line to stderr.
// The box shows BoundedBoxText(text); stderr has the whole text.
int MessageBox(const char* text, const char* caption, uint32_t type = MB_OK);
// The first 20 lines of text, each cut at 300 characters, and a count of the lines left out.
std::string BoundedBoxText(const char* text);

// ---- Dialogs
// ----------------------------------------------------------------------------------------
enum class ControlKind { DefPushButton, PushButton, CheckBox, ComboBox, Picture, GroupBox };

struct ControlTemplate {
    int id;  // -1 for controls without an id
    ControlKind kind;
    std::string text;
    int x, y, cx, cy;  // dialog units
    uint32_t style = 0;
};

struct DialogTemplate {
    std::string caption;
    int cx, cy;  // dialog units
    std::string font;
    int pointSize;
    std::vector<ControlTemplate> controls;
    // The picture control's image: 24-bit RGB, top row first.
    std::vector<uint8_t> bitmapRgb;
    int bitmapWidth = 0;
    int bitmapHeight = 0;
};

struct Dialog;  // opaque handle of an open dialog
using DialogProc =
    std::function<intptr_t(Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam)>;

// Runs the dialog modally; returns the value given to EndDialog, or -1 when no dialog can be shown.
intptr_t DialogBoxParam(const DialogTemplate& tmpl, DialogProc proc, intptr_t param);
bool EndDialog(Dialog* dialog, intptr_t result);
bool CheckDlgButton(Dialog* dialog, int id, uint32_t check);
uint32_t IsDlgButtonChecked(Dialog* dialog, int id);
// Combo boxes: CB_ADDSTRING (lParam = const char*), CB_SETCURSEL (wParam = index),
// CB_GETCURSEL, CB_GETCOUNT.
intptr_t SendDlgItemMessage(Dialog* dialog, int id, uint32_t message, uintptr_t wParam,
                            intptr_t lParam);

// ---- Window and pump
// -------------------------------------------------------------------------------- A borderless
// window of the given size at the top-left corner, visible; null on failure. Headless: a window
// record without an SDL window.
Window* CreateWindowEx(const char* title, int width, int height, bool fullscreen);
int ShowCursor(bool show);
// Removes one pending message without waiting; false when none is pending.
bool PeekMessage(Msg* msg);
bool TranslateMessage(const Msg* msg);
intptr_t DispatchMessage(const Msg* msg);
[[noreturn]] void ExitProcess(int code);

// ---- Configuration
// ----------------------------------------------------------------------------------
struct Config {
    bool headless = false;  // no SDL video: boxes go to stderr only, windows are records
    // Hooks for tests and non-interactive runs; each replaces the real behaviour when set.
    std::function<int(const char* text, const char* caption, uint32_t type)> messageBox;
    std::function<intptr_t(const DialogTemplate&, DialogProc, intptr_t)> dialog;
    std::function<bool(Msg*)> peekMessage;
    std::function<void(int code)> exitProcess;  // must not return to the caller's code path
};

void Configure(Config config);

}  // namespace ui
