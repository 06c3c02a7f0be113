// Message boxes on every platform: the whole text on stderr always, then the hook or the
// platform's box, which shows a bounded text: a file of stray brackets can make a compiler report
// millions of lines, so the box keeps the first of them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/ui/ui.h"
#include "platform/ui/ui_state.h"

namespace ui {
namespace {

constexpr size_t kBoxLines = 20;
constexpr size_t kBoxLineChars = 300;

}  // namespace

std::string BoundedBoxText(const char* text) {
    std::string shown;
    size_t lines = 0, dropped = 0;
    for (const char* p = text; *p != '\0';) {
        const char* end = p;
        while (*end != '\0' && *end != '\n') ++end;
        if (lines < kBoxLines) {
            const size_t length = static_cast<size_t>(end - p);
            shown.append(p, std::min(length, kBoxLineChars));
            if (length > kBoxLineChars) shown += "...";
            if (*end == '\n') shown += '\n';
        } else {
            ++dropped;
        }
        ++lines;
        p = *end == '\n' ? end + 1 : end;
    }
    if (dropped > 0) {
        shown += "... and " + std::to_string(dropped) + " more line" + (dropped == 1 ? "" : "s") +
                 " (the whole text is on standard error)\n";
    }
    return shown;
}

int MessageBox(const char* text, const char* caption, uint32_t type) {
    const char* safeText = text != nullptr ? text : "";
    const char* safeCaption = caption != nullptr ? caption : "";
    std::fprintf(stderr, "[%s] %s\n", safeCaption, safeText);
    std::fflush(stderr);

    const std::string shown = BoundedBoxText(safeText);
    if (const auto& hook = CurrentUiConfig().messageBox)
        return hook(shown.c_str(), safeCaption, type);
    return ShowPlatformBox(safeCaption, shown, type);
}

}  // namespace ui
