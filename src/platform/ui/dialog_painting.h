// Internal: the Windows-like look of the on-screen dialog (font, colours, the static controls,
// the dotted focus mark, the list box of an open drop-down list), drawn with Dear ImGui.
#pragma once

#include <epoxy/gl.h>
#include <imgui.h>

#include "platform/ui/dialog_units.h"
#include "platform/ui/ui.h"

namespace ui {

struct Rect {
    ImVec2 min, max;
    bool Contains(ImVec2 p) const {
        return p.x >= min.x && p.x < max.x && p.y >= min.y && p.y < max.y;
    }
};

inline ImU32 Rgb(int r, int g, int b) {
    return IM_COL32(r, g, b, 255);
}
inline ImVec4 Rgbf(int r, int g, int b) {
    return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
}

// A control's rectangle in pixels, with the dialog's client area at `origin`.
Rect ControlRect(const ControlTemplate& control, ImVec2 origin, const DialogUnits& units);

// DejaVu Sans at `pixels` (VM_UI_FONT names another file), else ImGui's own font.
void LoadDialogFont(ImGuiIO& io, float pixels);
// Light, square, Windows-like colours and sizes, grown by `scale`.
void ApplyDialogStyle(float scale);

void DrawGroupBox(ImDrawList* draw, const ControlTemplate& control, const Rect& r);
// The bitmap at `scale` times its pixel size, centred and clipped, inside a sunken edge.
void DrawPicture(ImDrawList* draw, const Rect& r, const DialogTemplate& tmpl, ImTextureID texture,
                 float scale);
// The dotted rectangle Windows draws around the focused control's face or text.
void DrawFocusRect(ImDrawList* draw, ImVec2 min, ImVec2 max);

// A drop-down list's box: `rows` entries from `top`, the highlighted one in the selection colour,
// and a scroll thumb when not all entries fit.
struct ListBoxView {
    Rect box;
    float rowHeight;
    int top, rows, highlighted;
};
void DrawListBox(ImDrawList* draw, const ListBoxView& view, const std::vector<std::string>& items);

// The picture control's image as a GL texture; 0 when the template has no usable image.
GLuint UploadBitmap(const DialogTemplate& tmpl);

}  // namespace ui
