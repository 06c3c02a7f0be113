#include "display/report_d3d_error.h"

#include <cstdio>

#include "platform/ui/ui.h"

namespace {
const char* FormatFor(gfx::HRESULT result) {
    switch (result) {
        case gfx::D3DERR_INVALIDCALL:
            return "InvalidCall With %s";
        case gfx::D3DERR_OUTOFVIDEOMEMORY:
            return "OutOfVideoMemory With %s";
        case gfx::D3DXERR_INVALIDDATA:
            return "InvalidData With %s";
        case gfx::E_OUTOFMEMORY:
            return "OutOfMemory With %s";
        default:
            return "No Case With %s - Everything Should Be Fine";
    }
}
}  // namespace

int ReportD3DError(gfx::HRESULT result, const char* caption, const char* name) {
    char text[64];
    // snprintf cuts a long name to fit and always terminates.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, FormatFor(result), name != nullptr ? name : "(null)");
#pragma GCC diagnostic pop
    return ui::MessageBox(text, caption, ui::MB_OK);
}
