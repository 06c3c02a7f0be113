// The on-screen dialog: an SDL window with a GL context, the template's controls laid out from
// dialog units and drawn with Dear ImGui. Button clicks, Enter (default button), Escape (IDCANCEL)
// and the close box become messages to the dialog procedure; the controls' state lives in the
// dialog model.
#include "platform/ui/imgui_dialog.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <epoxy/gl.h>
#include <imgui.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui/dialog_model.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/ui_state.h"

namespace ui {
namespace {

constexpr float kFontPixels = 12.0f;

// Where Debian (and most distributions) keep DejaVu Sans; VM_UI_FONT names another file.
const char* const kFontCandidates[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/TTF/DejaVuSans.ttf",
    "/usr/share/fonts/dejavu/DejaVuSans.ttf",
};

ImU32 Rgb(int r, int g, int b) {
    return IM_COL32(r, g, b, 255);
}
ImVec4 Rgbf(int r, int g, int b) {
    return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f);
}

const ImU32 kFace = Rgb(240, 240, 240);
const ImU32 kShadow = Rgb(160, 160, 160);
const ImU32 kHighlight = Rgb(255, 255, 255);
const ImU32 kEtch = Rgb(213, 213, 213);
const ImU32 kText = Rgb(0, 0, 0);

void LoadFont(ImGuiIO& io) {
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
    if (chosen == nullptr || io.Fonts->AddFontFromFileTTF(chosen, kFontPixels) == nullptr) {
        io.Fonts->AddFontDefault();  // a clear if blunter fallback
    }
}

// A light, square, Windows-like look.
void ApplyStyle() {
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

// A control's position and size in pixels, relative to the dialog's client area.
struct ControlBox {
    float x, y, cx, cy;
};

ControlBox InPixels(const ControlTemplate& control) {
    return {DialogUnitsToPixelsX(control.x), DialogUnitsToPixelsY(control.y),
            DialogUnitsToPixelsX(control.cx), DialogUnitsToPixelsY(control.cy)};
}

struct Rect {
    ImVec2 min, max;
};

Rect ControlRect(const ControlTemplate& control, ImVec2 origin) {
    const ControlBox box = InPixels(control);
    const ImVec2 min(origin.x + box.x, origin.y + box.y);
    return {min, ImVec2(min.x + box.cx, min.y + box.cy)};
}

void DrawGroupBox(ImDrawList* draw, const ControlTemplate& control, ImVec2 origin) {
    const Rect r = ControlRect(control, origin);
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

void DrawPicture(ImDrawList* draw, const ControlTemplate& control, ImVec2 origin,
                 const DialogTemplate& tmpl, ImTextureID texture) {
    const Rect r = ControlRect(control, origin);
    if (texture != nullptr) {
        // Image centred in the control, clipped by it.
        const float w = static_cast<float>(tmpl.bitmapWidth);
        const float h = static_cast<float>(tmpl.bitmapHeight);
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

class OnScreenDialog {
  public:
    OnScreenDialog(const DialogTemplate& tmpl, const DialogProc& proc) : tmpl_(tmpl), proc_(proc) {
        InitDialogModel(model_, tmpl);
        for (const ControlTemplate& control : tmpl.controls)
            if (control.kind == ControlKind::DefPushButton) defaultId_ = control.id;
    }
    ~OnScreenDialog() { Close(); }

    bool Open() {
        if (!EnsureVideo()) return false;
        RequestGlCoreVisual();
        const int width = static_cast<int>(DialogUnitsToPixelsX(tmpl_.cx) + 0.5f);
        const int height = static_cast<int>(DialogUnitsToPixelsY(tmpl_.cy) + 0.5f);
        window_ =
            SDL_CreateWindow(tmpl_.caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                             width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        if (window_ == nullptr) {
            std::fprintf(stderr, "ui: dialog window not created: %s\n", SDL_GetError());
            return false;
        }
        context_ = SDL_GL_CreateContext(window_);
        if (context_ == nullptr) {
            std::fprintf(stderr, "ui: dialog GL context not created: %s\n", SDL_GetError());
            return false;
        }
        SDL_GL_MakeCurrent(window_, context_);
        SDL_GL_SetSwapInterval(1);  // may fail (no vsync under Xvfb); the event wait paces the loop

        IMGUI_CHECKVERSION();
        imgui_ = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        io.ConfigFlags &=
            ~ImGuiConfigFlags_NavEnableKeyboard;  // Enter and Escape belong to the dialog
        LoadFont(io);
        ApplyStyle();
        ImGui_ImplSDL2_InitForOpenGL(window_, context_);
        ImGui_ImplOpenGL3_Init("#version 330");
        backendsUp_ = true;
        texture_ = UploadBitmap(tmpl_);
        return true;
    }

    intptr_t Run(intptr_t param) {
        Send(WM_INITDIALOG, 0, param);
        while (!model_.ended) {
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, 30) != 0) {
                HandleEvent(event);
                while (!model_.ended && SDL_PollEvent(&event) != 0) HandleEvent(event);
            }
            if (model_.ended) break;
            DrawFrame();
        }
        return model_.result;
    }

  private:
    void Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        if (proc_) proc_(&model_, message, wParam, lParam);
    }

    void HandleEvent(const SDL_Event& event) {
        const Uint32 ourWindow = SDL_GetWindowID(window_);
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
             event.window.windowID == ourWindow)) {
            Send(WM_CLOSE, 0, 0);
            return;
        }
        if (event.type == SDL_KEYDOWN && event.key.repeat == 0 && !popupOpen_) {
            const SDL_Keycode key = event.key.keysym.sym;
            if (key == SDLK_RETURN || key == SDLK_KP_ENTER) {
                Send(WM_COMMAND, MakeCommandParam(defaultId_, BN_CLICKED), 0);
                return;
            }
            if (key == SDLK_ESCAPE) {
                Send(WM_COMMAND, MakeCommandParam(IDCANCEL, BN_CLICKED), 0);
                return;
            }
        }
        ImGui_ImplSDL2_ProcessEvent(&event);
    }

    void DrawFrame() {
        ImGui_ImplOpenGL3_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(io.DisplaySize);
        ImGui::Begin("##dialog", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                         ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus |
                         ImGuiWindowFlags_NoScrollWithMouse);
        const ImVec2 origin = ImGui::GetWindowPos();
        ImDrawList* draw = ImGui::GetWindowDrawList();
        for (const ControlTemplate& control : tmpl_.controls) {
            if (control.kind == ControlKind::GroupBox) DrawGroupBox(draw, control, origin);
            if (control.kind == ControlKind::Picture)
                DrawPicture(draw, control, origin, tmpl_,
                            texture_ != 0
                                ? reinterpret_cast<ImTextureID>(static_cast<intptr_t>(texture_))
                                : nullptr);
        }
        for (const ControlTemplate& control : tmpl_.controls) {
            if (model_.ended) break;
            DrawControl(control);
        }
        popupOpen_ =
            ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
        ImGui::End();
        ImGui::Render();
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        glViewport(0, 0, w, h);
        const ImVec4 face = ImGui::GetStyle().Colors[ImGuiCol_WindowBg];
        glClearColor(face.x, face.y, face.z, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
        SDL_GL_SwapWindow(window_);
    }

    void DrawControl(const ControlTemplate& control) {
        const auto [x, y, cx, cy] = InPixels(control);
        const std::string label = control.text + "##" + std::to_string(control.id) + "_" +
                                  std::to_string(control.x) + "_" + std::to_string(control.y);
        switch (control.kind) {
            case ControlKind::DefPushButton:
            case ControlKind::PushButton: {
                // The default button wears a thicker blue border.
                const bool isDefault = control.kind == ControlKind::DefPushButton;
                ImGui::PushStyleColor(ImGuiCol_Border,
                                      isDefault ? Rgbf(0, 120, 215) : Rgbf(173, 173, 173));
                ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, isDefault ? 2.0f : 1.0f);
                ImGui::SetCursorPos(ImVec2(x, y));
                const bool clicked = ImGui::Button(label.c_str(), ImVec2(cx, cy));
                ImGui::PopStyleVar();
                ImGui::PopStyleColor();
                if (clicked) Send(WM_COMMAND, MakeCommandParam(control.id, BN_CLICKED), 0);
                break;
            }
            case ControlKind::CheckBox: {
                ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(2, 1));
                const float box = ImGui::GetFrameHeight();
                ImGui::SetCursorPos(ImVec2(x, y + (cy - box) * 0.5f));
                bool checked = IsDlgButtonChecked(&model_, control.id) == BST_CHECKED;
                const bool clicked = ImGui::Checkbox(label.c_str(), &checked);
                ImGui::PopStyleVar();
                if (clicked) {
                    CheckDlgButton(&model_, control.id, checked ? BST_CHECKED : BST_UNCHECKED);
                    Send(WM_COMMAND, MakeCommandParam(control.id, BN_CLICKED), 0);
                }
                break;
            }
            case ControlKind::ComboBox: {
                auto it = model_.combos.find(control.id);
                if (it == model_.combos.end()) break;
                ComboState& combo = it->second;
                const bool valid =
                    combo.selection >= 0 && combo.selection < static_cast<int>(combo.items.size());
                const char* preview =
                    valid ? combo.items[static_cast<size_t>(combo.selection)].c_str() : "";
                ImGui::SetCursorPos(ImVec2(x, y));
                ImGui::SetNextItemWidth(cx);
                int chosen = -1;
                if (ImGui::BeginCombo(("##combo" + std::to_string(control.id)).c_str(), preview,
                                      ImGuiComboFlags_HeightRegular)) {
                    for (size_t i = 0; i < combo.items.size(); ++i) {
                        const bool selected = static_cast<int>(i) == combo.selection;
                        ImGui::PushID(static_cast<int>(i));
                        if (ImGui::Selectable(combo.items[i].c_str(), selected))
                            chosen = static_cast<int>(i);
                        if (selected) ImGui::SetItemDefaultFocus();
                        ImGui::PopID();
                    }
                    ImGui::EndCombo();
                }
                if (chosen >= 0 && chosen != combo.selection) {
                    combo.selection = chosen;
                    Send(WM_COMMAND, MakeCommandParam(control.id, CBN_SELCHANGE), 0);
                }
                break;
            }
            case ControlKind::Picture:
            case ControlKind::GroupBox:
                break;  // drawn beneath the interactive controls
        }
    }

    void Close() {
        if (backendsUp_) {
            if (texture_ != 0) glDeleteTextures(1, &texture_);
            ImGui_ImplOpenGL3_Shutdown();
            ImGui_ImplSDL2_Shutdown();
            backendsUp_ = false;
        }
        if (imgui_ != nullptr) ImGui::DestroyContext(imgui_);
        imgui_ = nullptr;
        if (context_ != nullptr) SDL_GL_DeleteContext(context_);
        context_ = nullptr;
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        window_ = nullptr;
    }

    const DialogTemplate& tmpl_;
    const DialogProc& proc_;
    Dialog model_;
    int defaultId_ = IDOK;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    bool backendsUp_ = false;
    GLuint texture_ = 0;
    bool popupOpen_ = false;
};

}  // namespace

intptr_t RunImGuiDialog(const DialogTemplate& tmpl, const DialogProc& proc, intptr_t param) {
    OnScreenDialog dialog(tmpl, proc);
    if (!dialog.Open()) return -1;
    return dialog.Run(param);
}

}  // namespace ui
