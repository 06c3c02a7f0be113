// Message boxes in the browser: the whole text on stderr (the page's console) always, then the
// hook, or a message in the page that waits for its OK button, as a modal box waits.
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

int MessageBox(const char* text, const char* caption, uint32_t type) {
    const char* safeText = text != nullptr ? text : "";
    const char* safeCaption = caption != nullptr ? caption : "";
    std::fprintf(stderr, "[%s] %s\n", safeCaption, safeText);
    std::fflush(stderr);

    const std::string shown = BoundedBoxText(safeText);
    if (const auto& hook = CurrentUiConfig().messageBox)
        return hook(shown.c_str(), safeCaption, type);
    vm_page_message(safeCaption, shown.c_str(), (type & 0xF0) == MB_ICONEXCLAMATION ? 1 : 0);
    return IDOK;
}

}  // namespace ui
