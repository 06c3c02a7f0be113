// The text a message box shows: a file of stray brackets can make a compiler report millions of
// lines, so the box keeps the first of them (stderr has the whole text).
#include <algorithm>
#include <string>

#include "platform/ui/ui.h"

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

}  // namespace ui
