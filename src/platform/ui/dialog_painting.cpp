// The Windows-like look of the on-screen dialog.
#include "platform/ui/dialog_painting.h"

#include <cstdio>
#include <cstdlib>

namespace ui {
namespace {

// Where Debian (and most distributions) keep DejaVu Sans.
const char* const kFontCandidates[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};

const ImU32 kFace = Rgb(240, 240, 240);
const ImU32 kShadow = Rgb(160, 160, 160);
const ImU32 kHighlight = Rgb(255, 255, 255);
const ImU32 kEtch = Rgb(213, 213, 213);
const ImU32 kText = Rgb(0, 0, 0);
const ImU32 kWindow = Rgb(255, 255, 255);
const ImU32 kFrame = Rgb(122, 122, 122);
const ImU32 kSelection = Rgb(0, 120, 215);
const ImU32 kSelectionText = Rgb(255, 255, 255);
const ImU32 kThumb = Rgb(205, 205, 205);

}  // namespace

Rect ControlRect(const ControlTemplate& control, ImVec2 origin, const DialogUnits& units) {
    const ImVec2 min(origin.x + units.X(control.x), origin.y + units.Y(control.y));
    return {min, ImVec2(min.x + units.X(control.cx), min.y + units.Y(control.cy))};
}

void LoadDialogFont(ImGuiIO& io, float pixels) {
    const char* chosen = std::getenv("VM_UI_FONT");
    if (chosen == nullptr) {
        for (const char* candidate : kFontCandidates) {
            if (FILE* f = std::fopen(candidate, "rb")) {
                std::fclose(f);
                chosen = candidate;
                break;
            }
        }
    }
    if (chosen == nullptr || io.Fonts->AddFontFromFileTTF(chosen, pixels) == nullptr) {
        ImFontConfig config;
        config.SizePixels = 13.0f * pixels / 12.0f;
        io.Fonts->AddFontDefault(&config);  // a clear if blunter fallback
    }
}

void ApplyDialogStyle(float scale) {
    ImGui::StyleColorsLight();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 0;
    style.FrameRounding = 0;
    style.PopupRounding = 0;
    style.GrabRounding = 0;
    style.WindowBorderSize = 0;
    style.FrameBorderSize = 1;
    style.PopupBorderSize = 1;
    style.WindowPadding = ImVec2(0, 0);
    style.FramePadding = ImVec2(4, 3);
    style.ItemInnerSpacing = ImVec2(5, 4);
    style.ScaleAllSizes(scale);
    ImVec4* c = style.Colors;
    c[ImGuiCol_WindowBg] = Rgbf(240, 240, 240);
    c[ImGuiCol_PopupBg] = Rgbf(255, 255, 255);
    c[ImGuiCol_Text] = Rgbf(0, 0, 0);
    c[ImGuiCol_Border] = Rgbf(122, 122, 122);
    c[ImGuiCol_BorderShadow] = ImVec4(0, 0, 0, 0);
    c[ImGuiCol_FrameBg] = Rgbf(255, 255, 255);
    c[ImGuiCol_FrameBgHovered] = Rgbf(255, 255, 255);
    c[ImGuiCol_FrameBgActive] = Rgbf(229, 241, 251);
    c[ImGuiCol_Button] = Rgbf(225, 225, 225);
    c[ImGuiCol_ButtonHovered] = Rgbf(229, 241, 251);
    c[ImGuiCol_ButtonActive] = Rgbf(204, 228, 247);
    c[ImGuiCol_CheckMark] = Rgbf(0, 0, 0);
    c[ImGuiCol_Header] = Rgbf(0, 120, 215);
    c[ImGuiCol_HeaderHovered] = Rgbf(0, 120, 215);
    c[ImGuiCol_HeaderActive] = Rgbf(0, 100, 190);
}

void DrawGroupBox(ImDrawList* draw, const ControlTemplate& control, const Rect& r) {
    const float textY = r.min.y;
    const float lineY = textY + ImGui::GetFontSize() * 0.5f;
    // Etched frame: a grey line with a white one inside.
    draw->AddRect(ImVec2(r.min.x + 1, lineY + 1), ImVec2(r.max.x, r.max.y), kHighlight);
    draw->AddRect(ImVec2(r.min.x, lineY), ImVec2(r.max.x - 1, r.max.y - 1), kEtch);
    if (!control.text.empty()) {
        const ImVec2 textSize = ImGui::CalcTextSize(control.text.c_str());
        const ImVec2 textPos(r.min.x + 6, textY);
        draw->AddRectFilled(ImVec2(textPos.x - 2, textY),
                            ImVec2(textPos.x + textSize.x + 2, textY + textSize.y), kFace);
        draw->AddText(textPos, kText, control.text.c_str());
    }
}

void DrawPicture(ImDrawList* draw, const Rect& r, const DialogTemplate& tmpl, ImTextureID texture,
                 float scale) {
    if (texture != nullptr) {
        // Image centred in the control, clipped by it, grown with the dialog.
        const float w = static_cast<float>(tmpl.bitmapWidth) * scale;
        const float h = static_cast<float>(tmpl.bitmapHeight) * scale;
        const ImVec2 centre((r.min.x + r.max.x) * 0.5f, (r.min.y + r.max.y) * 0.5f);
        const ImVec2 imgMin(static_cast<float>(static_cast<int>(centre.x - w * 0.5f)),
                            static_cast<float>(static_cast<int>(centre.y - h * 0.5f)));
        draw->PushClipRect(r.min, r.max, true);
        draw->AddImage(texture, imgMin, ImVec2(imgMin.x + w, imgMin.y + h));
        draw->PopClipRect();
    }
    // Sunken static edge: dark top-left, light bottom-right.
    draw->AddLine(r.min, ImVec2(r.max.x, r.min.y), kShadow);
    draw->AddLine(r.min, ImVec2(r.min.x, r.max.y), kShadow);
    draw->AddLine(ImVec2(r.min.x, r.max.y), r.max, kHighlight);
    draw->AddLine(ImVec2(r.max.x, r.min.y), r.max, kHighlight);
}

void DrawFocusRect(ImDrawList* draw, ImVec2 min, ImVec2 max) {
    const float x0 = static_cast<float>(static_cast<int>(min.x));
    const float y0 = static_cast<float>(static_cast<int>(min.y));
    const float x1 = static_cast<float>(static_cast<int>(max.x)) - 1;
    const float y1 = static_cast<float>(static_cast<int>(max.y)) - 1;
    auto dot = [draw](float x, float y) {
        draw->AddRectFilled(ImVec2(x, y), ImVec2(x + 1, y + 1), kText);
    };
    for (float x = x0; x <= x1; x += 2) dot(x, y0), dot(x, y1);
    for (float y = y0; y <= y1; y += 2) dot(x0, y), dot(x1, y);
}

void DrawListBox(ImDrawList* draw, const ListBoxView& view, const std::vector<std::string>& items) {
    const Rect& box = view.box;
    draw->AddRectFilled(box.min, box.max, kWindow);
    draw->AddRect(box.min, box.max, kFrame);
    const int count = static_cast<int>(items.size());
    const bool scrolls = count > view.rows;
    const float thumbWidth = scrolls ? view.rowHeight : 0.0f;
    for (int row = 0; row < view.rows && view.top + row < count; ++row) {
        const int item = view.top + row;
        const ImVec2 min(box.min.x + 1, box.min.y + 1 + static_cast<float>(row) * view.rowHeight);
        const ImVec2 max(box.max.x - 1 - thumbWidth, min.y + view.rowHeight);
        const bool lit = item == view.highlighted;
        if (lit) draw->AddRectFilled(min, max, kSelection);
        const float textY = min.y + (view.rowHeight - ImGui::GetFontSize()) * 0.5f;
        draw->AddText(ImVec2(min.x + 3, textY), lit ? kSelectionText : kText,
                      items[static_cast<size_t>(item)].c_str());
    }
    if (scrolls) {
        const float trackTop = box.min.y + 1;
        const float trackHeight = box.max.y - 1 - trackTop;
        const float thumbTop = trackTop + trackHeight * static_cast<float>(view.top) / count;
        const float thumbHeight = trackHeight * static_cast<float>(view.rows) / count;
        draw->AddRectFilled(ImVec2(box.max.x - 1 - thumbWidth, trackTop),
                            ImVec2(box.max.x - 1, box.max.y - 1), kFace);
        draw->AddRectFilled(ImVec2(box.max.x - thumbWidth + 1, thumbTop),
                            ImVec2(box.max.x - 3, thumbTop + thumbHeight), kThumb);
    }
}

GLuint UploadBitmap(const DialogTemplate& tmpl) {
    const size_t needed =
        static_cast<size_t>(tmpl.bitmapWidth) * static_cast<size_t>(tmpl.bitmapHeight) * 3u;
    if (tmpl.bitmapWidth <= 0 || tmpl.bitmapHeight <= 0 || tmpl.bitmapRgb.size() < needed) return 0;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, tmpl.bitmapWidth, tmpl.bitmapHeight, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, tmpl.bitmapRgb.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    return texture;
}

}  // namespace ui
