// The demo window in the browser: the page's canvas (letterboxed by the page), the cursor over it,
// and the message pump. The pump hands out the page's key presses as WM_KEYDOWN/WM_KEYUP with
// Windows key codes (the page's keyCode is one), and WM_QUIT when the page asks to stop. When none
// is left it waits for the browser's next frame: the demo's blocking loop yields there once a
// frame, which is what lets the browser show the picture and run its events.
#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/ui/ui_state.h"

// clang-format off
EM_JS(void, vm_page_window, (const char* title, int width, int height, int fullscreen), {
    vessmark.openWindow(UTF8ToString(title), width, height, fullscreen !== 0);
});
EM_JS(void, vm_page_cursor, (int visible), { vessmark.showCursor(visible !== 0); });
// The next message as (message, wParam, lParam); false when none is waiting.
EM_JS(int, vm_page_next_message, (uint32_t* out), { return vessmark.nextMessage(out) ? 1 : 0; });
EM_ASYNC_JS(void, vm_page_next_frame, (), { await vessmark.nextFrame(); });
// clang-format on

namespace ui {
namespace {
std::vector<std::unique_ptr<Window>>& Windows() {
    static std::vector<std::unique_ptr<Window>> windows;
    return windows;
}
int cursorCounter = 0;
}  // namespace

Window* CreateWindowEx(const char* title, int width, int height, bool fullscreen) {
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "ui: window size %dx%d is not usable\n", width, height);
        return nullptr;
    }
    auto window = std::make_unique<Window>();
    window->width = width;
    window->height = height;
    if (!CurrentUiConfig().headless)
        vm_page_window(title != nullptr ? title : "", width, height, fullscreen ? 1 : 0);
    Windows().push_back(std::move(window));
    return Windows().back().get();
}

int ShowCursor(bool show) {
    cursorCounter += show ? 1 : -1;
    vm_page_cursor(cursorCounter >= 0 ? 1 : 0);
    return cursorCounter;
}

bool PeekMessage(Msg* msg) {
    if (msg == nullptr) return false;
    if (const auto& hook = CurrentUiConfig().peekMessage) return hook(msg);
    uint32_t fields[3];
    if (vm_page_next_message(fields) != 0) {
        msg->message = fields[0];
        msg->wParam = fields[1];
        msg->lParam = static_cast<intptr_t>(static_cast<int32_t>(fields[2]));
        return true;
    }
    vm_page_next_frame();
    return false;
}

bool TranslateMessage(const Msg* /*msg*/) {
    return false;
}  // no character messages are made

intptr_t DispatchMessage(const Msg* /*msg*/) {
    return 0;
}  // the window has no procedure of its own

}  // namespace ui
