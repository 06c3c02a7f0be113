#include "driver/live_keys.h"

#include <vector>

#include "driver/frame_loop.h"
#include "driver/live_transport.h"

namespace live {

std::vector<SelectorChange> SelectorChanges(const sync::Track& track) {
    std::vector<SelectorChange> changes;
    for (const auto& [row, key] : track.keys()) {
        const int value = driver::TruncateSelector(track.valueAt(static_cast<float>(row)));
        if (changes.empty() || changes.back().value != value) changes.push_back({row, value});
    }
    return changes;
}

namespace {

// The previous (direction < 0) or next change strictly beyond the playhead's row.
void JumpToChange(Transport& transport, const sync::Track& part, int direction) {
    const double here = transport.Row();
    const auto changes = SelectorChanges(part);
    if (direction > 0) {
        for (const SelectorChange& c : changes)
            if (c.row > here + 1e-3) return transport.SeekRow(c.row);
    } else {
        for (auto it = changes.rbegin(); it != changes.rend(); ++it)
            if (it->row < here - 1e-3) return transport.SeekRow(it->row);
        transport.Seek(0);
    }
}

void JumpToPart(Transport& transport, const sync::Track& part, int number) {
    for (const SelectorChange& c : SelectorChanges(part))
        if (c.value == number) return transport.SeekRow(c.row);
}

}  // namespace

KeyResult LiveKeys::Apply(const ui::Msg& msg, Transport& transport, const sync::Track& part) {
    KeyResult result;
    const auto key = static_cast<uint32_t>(msg.wParam & 0xFFFF);
    if (msg.message == ui::WM_KEYUP) {
        if (key == VK_SHIFT) shift_ = false;
        if (key == VK_CONTROL) ctrl_ = false;
        return result;
    }
    if (msg.message != ui::WM_KEYDOWN) return result;
    result.handled = true;
    const int step = ctrl_    ? 1
                     : shift_ ? transport.Shape().rowsPerBeat * transport.Shape().beatsPerBar
                              : transport.Shape().rowsPerBeat;
    switch (key) {
        case VK_SHIFT:
            shift_ = true;
            break;
        case VK_CONTROL:
            ctrl_ = true;
            break;
        case ui::VK_SPACE:
            transport.TogglePause();
            break;
        case VK_LEFT:
            transport.Step(step, -1);
            break;
        case VK_RIGHT:
            transport.Step(step, +1);
            break;
        case VK_PRIOR:
            JumpToChange(transport, part, -1);
            break;
        case VK_NEXT:
            JumpToChange(transport, part, +1);
            break;
        case VK_HOME:
            transport.Seek(0);
            break;
        case VK_OEM_4:
            transport.SetLoopStart();
            break;
        case VK_OEM_6:
            transport.SetLoopEnd();
            break;
        case 'L':
            transport.ToggleLoop();
            break;
        case VK_OEM_MINUS:
            transport.Slower();
            break;
        case VK_OEM_PLUS:
            transport.Faster();
            break;
        case VK_F1:
            result.toggleOverlay = true;
            break;
        case VK_F12:
            result.screenshot = true;
            break;
        default:
            if (key >= '1' && key <= '6')
                JumpToPart(transport, part, static_cast<int>(key - '0'));
            else
                result.handled = false;
    }
    return result;
}

}  // namespace live
