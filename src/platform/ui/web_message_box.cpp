// The browser's message box: a message in the page that waits for its OK button, as a modal box
// waits (box_text.cpp writes stderr, the page's console, and asks the hook first).
#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/ui/ui_state.h"

// clang-format off
EM_ASYNC_JS(void, vm_page_message, (const char* caption, const char* text, int warning), {
    await vessmark.showMessage(UTF8ToString(caption), UTF8ToString(text), warning !== 0);
});
// clang-format on

namespace ui {

int ShowPlatformBox(const char* caption, const std::string& shown, uint32_t type) {
    vm_page_message(caption, shown.c_str(), (type & 0xF0) == MB_ICONEXCLAMATION ? 1 : 0);
    return IDOK;
}

}  // namespace ui
