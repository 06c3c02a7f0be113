// The live mode's keys: what each key (with Shift or Ctrl held) does to the transport, the overlay
// and the screenshot. Modifier state comes from the key messages themselves (VK_SHIFT, VK_CONTROL
// down and up), so the same code runs on the window's pump and on a test's scripted one.
//
//   Space pause/resume        Left/Right beat (Shift: bar, Ctrl: row)   Home start
//   PgUp/PgDn part change     1..6 first row of that part               [ ] loop ends, L loop
//   - = speed                 F1 overlay                                F12 screenshot
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/ui.h"
#include "sync/track.h"

namespace live {

class Transport;

constexpr uint32_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_PRIOR = 0x21, VK_NEXT = 0x22,
                   VK_HOME = 0x24, VK_LEFT = 0x25, VK_RIGHT = 0x27, VK_F1 = 0x70, VK_F12 = 0x7B,
                   VK_OEM_PLUS = 0xBB, VK_OEM_MINUS = 0xBD, VK_OEM_4 = 0xDB, VK_OEM_6 = 0xDD;

// One line for the screen.
constexpr const char* kKeyHelp =
    "Space pause  Left/Right beat (Shift bar, Ctrl row)  PgUp/PgDn part  Home start  1-6 part  "
    "[ ] loop ends  L loop  -/= speed  F1 overlay  F12 PNG  Esc quit";

// Row of each change of a selector track's integer value (the first key counts as one), in order.
struct SelectorChange {
    uint32_t row;
    int value;
};
std::vector<SelectorChange> SelectorChanges(const sync::Track& track);

struct KeyResult {
    bool handled = false;
    bool toggleOverlay = false;
    bool screenshot = false;
};

class LiveKeys {
  public:
    // Applies one message; `part` is the running "0_part" track (part jumps read it).
    KeyResult Apply(const ui::Msg& msg, Transport& transport, const sync::Track& part);

  private:
    bool shift_ = false;
    bool ctrl_ = false;
};

}  // namespace live
