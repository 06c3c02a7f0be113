// The on-screen dialog: an SDL window with a GL context, the template's controls laid out from
// dialog units (grown with the desktop's scale) and drawn with Dear ImGui. The keyboard works as
// in a Windows dialog (see dialog_keyboard.h); clicks focus and work the controls; commands and the
// close box become messages to the dialog procedure; the controls' state lives in the dialog
// model. The dialog sleeps in the event queue while nothing happens and draws only after events.
#include "platform/ui/imgui_dialog.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <epoxy/gl.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "platform/ui/dialog_keyboard.h"
#include "platform/ui/dialog_model.h"
#include "platform/ui/dialog_painting.h"
#include "platform/ui/dialog_units.h"
#include "platform/ui/ui_state.h"

namespace ui {
namespace {

constexpr float kFontPixels = 12.0f;
// Frames drawn after each batch of events: ImGui shows a click's effect one frame after it
// sees it.
constexpr int kFramesPerEvent = 2;

std::optional<DialogKey> DialogKeyOf(SDL_Keycode key) {
    static const std::pair<SDL_Keycode, DialogKey> kKeys[] = {
        {SDLK_TAB, DialogKey::Tab},           {SDLK_UP, DialogKey::Up},
        {SDLK_DOWN, DialogKey::Down},         {SDLK_HOME, DialogKey::Home},
        {SDLK_END, DialogKey::End},           {SDLK_PAGEUP, DialogKey::PageUp},
        {SDLK_PAGEDOWN, DialogKey::PageDown}, {SDLK_F4, DialogKey::F4},
        {SDLK_RETURN, DialogKey::Return},     {SDLK_KP_ENTER, DialogKey::Return},
        {SDLK_ESCAPE, DialogKey::Escape},     {SDLK_SPACE, DialogKey::Space}};
    for (const auto& [sym, dialogKey] : kKeys)
        if (sym == key) return dialogKey;
    return std::nullopt;
}

// Keys that act once per press; the others repeat while held, as in Windows.
bool ActsOncePerPress(DialogKey key) {
    return key == DialogKey::Return || key == DialogKey::Escape || key == DialogKey::Space ||
           key == DialogKey::F4;
}

// The desktop's scale: VM_UI_SCALE, else the DPI SDL reports for the first display.
float ReadDesktopScale() {
    float diagonal = 0, horizontal = 0, vertical = 0;
    if (SDL_GetDisplayDPI(0, &diagonal, &horizontal, &vertical) != 0) horizontal = 0;
    return DesktopScale(std::getenv("VM_UI_SCALE"), horizontal);
}

class OnScreenDialog {
  public:
    OnScreenDialog(const DialogTemplate& tmpl, const DialogProc& proc)
        : tmpl_(tmpl), proc_(proc), keyboard_(tmpl) {
        InitDialogModel(model_, tmpl);
    }
    ~OnScreenDialog() { Close(); }

    bool Open() {
        if (!EnsureVideo()) return false;
        units_.scale = ReadDesktopScale();
        RequestGlCoreVisual();
        const int width = static_cast<int>(units_.X(tmpl_.cx) + 0.5f);
        const int height = static_cast<int>(units_.Y(tmpl_.cy) + 0.5f);
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
        SDL_GL_SetSwapInterval(1);  // may fail (no vsync under Xvfb); frames follow events anyway

        IMGUI_CHECKVERSION();
        imgui_ = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        io.ConfigFlags &= ~ImGuiConfigFlags_NavEnableKeyboard;  // the dialog owns the keyboard
        LoadDialogFont(io, kFontPixels * units_.scale);
        ApplyDialogStyle(units_.scale);
        ImGui_ImplSDL2_InitForOpenGL(window_, context_);
        ImGui_ImplOpenGL3_Init("#version 330");
        backendsUp_ = true;
        texture_ = UploadBitmap(tmpl_);
        return true;
    }

    intptr_t Run(intptr_t param) {
        Send(WM_INITDIALOG, 0, param);
        int framesDue = kFramesPerEvent;
        while (!model_.ended) {
            SDL_Event event;
            if (framesDue == 0) {
                if (SDL_WaitEvent(&event) == 0) {
                    std::fprintf(stderr, "ui: waiting for dialog events failed: %s\n",
                                 SDL_GetError());
                    return -1;
                }
                HandleEvent(event);
                framesDue = kFramesPerEvent;
            }
            while (!model_.ended && SDL_PollEvent(&event) != 0) {
                HandleEvent(event);
                framesDue = kFramesPerEvent;
            }
            if (model_.ended) break;
            DrawFrame();
            --framesDue;
        }
        return model_.result;
    }

  private:
    void Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        if (proc_) proc_(&model_, message, wParam, lParam);
    }
    void Send(const std::optional<ControlCommand>& command) {
        if (command) Send(WM_COMMAND, MakeCommandParam(command->id, command->notification), 0);
    }

    void HandleEvent(const SDL_Event& event) {
        const Uint32 ourWindow = SDL_GetWindowID(window_);
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
             event.window.windowID == ourWindow)) {
            Send(WM_CLOSE, 0, 0);
            return;
        }
        if (event.type == SDL_KEYDOWN) {
            const std::optional<DialogKey> key = DialogKeyOf(event.key.keysym.sym);
            if (key && (event.key.repeat == 0 || !ActsOncePerPress(*key))) {
                const Uint16 mod = event.key.keysym.mod;
                Send(keyboard_.Key(model_, *key, {(mod & KMOD_SHIFT) != 0, (mod & KMOD_ALT) != 0}));
            }
            return;
        }
        if (event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT) return;
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
        origin_ = ImGui::GetWindowPos();
        ImDrawList* draw = ImGui::GetWindowDrawList();
        for (const ControlTemplate& control : tmpl_.controls) {
            const Rect r = ControlRect(control, origin_, units_);
            if (control.kind == ControlKind::GroupBox) DrawGroupBox(draw, control, r);
            if (control.kind == ControlKind::Picture)
                DrawPicture(draw, r, tmpl_,
                            texture_ != 0
                                ? reinterpret_cast<ImTextureID>(static_cast<intptr_t>(texture_))
                                : nullptr,
                            units_.scale);
        }
        // While a list is open (and until the button that closed it is let go) the other
        // controls ignore the mouse, as Windows' drop-down list captures it.
        mouseCaptured_ = mouseCaptured_ && ImGui::IsMouseDown(ImGuiMouseButton_Left);
        const bool othersIgnoreMouse = keyboard_.openList() >= 0 || mouseCaptured_;
        for (size_t i = 0; i < tmpl_.controls.size() && !model_.ended; ++i)
            DrawControl(static_cast<int>(i), othersIgnoreMouse);
        if (!model_.ended) DrawOpenList();
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

    // A click on a control: focus it, then act.
    void Clicked(int index, const std::optional<ControlCommand>& command) {
        keyboard_.Focus(index);
        Send(command);
    }

    void DrawControl(int index, bool ignoreMouse) {
        const ControlTemplate& control = tmpl_.controls[static_cast<size_t>(index)];
        const Rect r = ControlRect(control, origin_, units_);
        const ImVec2 size(r.max.x - r.min.x, r.max.y - r.min.y);
        const bool focused = keyboard_.focused() == index;
        const float inset = 3.0f * units_.scale;
        ImDrawList* draw = ImGui::GetWindowDrawList();
        const std::string label = control.text + "##" + std::to_string(index);
        ImGui::SetCursorScreenPos(r.min);
        switch (control.kind) {
            case ControlKind::DefPushButton:
            case ControlKind::PushButton: {
                // The button Return would press wears a thicker blue border.
                const bool isDefault = control.id == keyboard_.defaultButton();
                ImGui::PushStyleColor(ImGuiCol_Border,
                                      isDefault ? Rgbf(0, 120, 215) : Rgbf(173, 173, 173));
                ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize,
                                    (isDefault ? 2.0f : 1.0f) * units_.scale);
                const bool clicked = ImGui::Button(label.c_str(), size);
                ImGui::PopStyleVar();
                ImGui::PopStyleColor();
                if (focused)
                    DrawFocusRect(draw, ImVec2(r.min.x + inset, r.min.y + inset),
                                  ImVec2(r.max.x - inset, r.max.y - inset));
                if (clicked && !ignoreMouse) Clicked(index, ControlCommand{control.id, BN_CLICKED});
                break;
            }
            case ControlKind::CheckBox: {
                ImGui::PushStyleVar(ImGuiStyleVar_FramePadding,
                                    ImVec2(2 * units_.scale, 1 * units_.scale));
                const float box = ImGui::GetFrameHeight();
                ImGui::SetCursorScreenPos(ImVec2(r.min.x, r.min.y + (size.y - box) * 0.5f));
                bool checked = IsDlgButtonChecked(&model_, control.id) == BST_CHECKED;
                const bool clicked = ImGui::Checkbox(label.c_str(), &checked);
                ImGui::PopStyleVar();
                if (focused) {
                    const ImVec2 textSize = ImGui::CalcTextSize(control.text.c_str());
                    const float textX = r.min.x + box + ImGui::GetStyle().ItemInnerSpacing.x;
                    const float textY = r.min.y + (size.y - textSize.y) * 0.5f;
                    DrawFocusRect(draw, ImVec2(textX - 2, textY - 1),
                                  ImVec2(textX + textSize.x + 2, textY + textSize.y + 1));
                }
                if (clicked && !ignoreMouse) {
                    CheckDlgButton(&model_, control.id, checked ? BST_CHECKED : BST_UNCHECKED);
                    Clicked(index, ControlCommand{control.id, BN_CLICKED});
                }
                break;
            }
            case ControlKind::ComboBox:
                DrawClosedList(index, r, focused, ignoreMouse);
                break;
            case ControlKind::Picture:
            case ControlKind::GroupBox:
                break;  // drawn beneath the interactive controls
        }
    }

    // A drop-down list's closed box: the selected entry, highlighted with a focus mark when the
    // list has the focus, and the arrow button. A click opens or closes the list.
    void DrawClosedList(int index, const Rect& r, bool focused, bool ignoreMouse) {
        const ControlTemplate& control = tmpl_.controls[static_cast<size_t>(index)];
        auto it = model_.combos.find(control.id);
        if (it == model_.combos.end()) return;
        const ComboState& combo = it->second;
        const float height = ImGui::GetFrameHeight();
        const Rect box{r.min, ImVec2(r.max.x, r.min.y + height)};
        const bool open = keyboard_.openList() == index;
        const bool clicked = ImGui::InvisibleButton(("##list" + std::to_string(index)).c_str(),
                                                    ImVec2(box.max.x - box.min.x, height));
        ImDrawList* draw = ImGui::GetWindowDrawList();
        draw->AddRectFilled(box.min, box.max, Rgb(255, 255, 255));
        draw->AddRect(box.min, box.max, open ? Rgb(0, 120, 215) : Rgb(122, 122, 122));
        const float arrowWidth = height;
        const ImVec2 arrowCentre(box.max.x - arrowWidth * 0.5f, (box.min.y + box.max.y) * 0.5f);
        const float a = height * 0.18f;
        draw->AddTriangleFilled(ImVec2(arrowCentre.x - a, arrowCentre.y - a * 0.5f),
                                ImVec2(arrowCentre.x + a, arrowCentre.y - a * 0.5f),
                                ImVec2(arrowCentre.x, arrowCentre.y + a * 0.5f), Rgb(0, 0, 0));
        const ImVec2 textMin(box.min.x + 2, box.min.y + 2);
        const ImVec2 textMax(box.max.x - arrowWidth, box.max.y - 2);
        const bool valid =
            combo.selection >= 0 && combo.selection < static_cast<int>(combo.items.size());
        const bool lit = focused && !open;
        if (lit) draw->AddRectFilled(textMin, textMax, Rgb(0, 120, 215));
        if (valid) {
            const float textY = box.min.y + (height - ImGui::GetFontSize()) * 0.5f;
            draw->PushClipRect(textMin, textMax, true);
            draw->AddText(ImVec2(textMin.x + 2, textY), lit ? Rgb(255, 255, 255) : Rgb(0, 0, 0),
                          combo.items[static_cast<size_t>(combo.selection)].c_str());
            draw->PopClipRect();
        }
        if (lit) DrawFocusRect(draw, textMin, textMax);
        if (clicked && !ignoreMouse) {
            keyboard_.Focus(index);
            keyboard_.OpenList(model_, index);
        }
    }

    // The open list's box below its closed box, on top of everything: hovering highlights, a
    // click on an entry picks it, a click elsewhere closes the list.
    void DrawOpenList() {
        const int index = keyboard_.openList();
        if (index < 0) return;
        const ControlTemplate& control = tmpl_.controls[static_cast<size_t>(index)];
        const ComboState& combo = model_.combos[control.id];
        const Rect r = ControlRect(control, origin_, units_);
        const float closedHeight = ImGui::GetFrameHeight();
        const float rowHeight = units_.Y(8);
        const int rows = std::max(1, std::min(DialogKeyboard::VisibleRows(control),
                                              static_cast<int>(combo.items.size())));
        const Rect box{ImVec2(r.min.x, r.min.y + closedHeight),
                       ImVec2(r.max.x, r.min.y + closedHeight + rows * rowHeight + 2)};
        const ImVec2 mouse = ImGui::GetMousePos();
        const int count = static_cast<int>(combo.items.size());
        const int row = static_cast<int>((mouse.y - box.min.y - 1) / rowHeight);
        const int under =
            box.Contains(mouse) && row >= 0 && row < rows && keyboard_.listTop() + row < count
                ? keyboard_.listTop() + row
                : -1;
        if (under >= 0 && ImGui::GetIO().MouseDelta.y != 0) keyboard_.Highlight(under);
        if (ImGui::IsMouseReleased(ImGuiMouseButton_Left) && under >= 0) {
            Send(keyboard_.Pick(model_, under));
            mouseCaptured_ = false;
        } else if (ImGui::IsMouseClicked(ImGuiMouseButton_Left) && !box.Contains(mouse)) {
            keyboard_.CloseList();
            mouseCaptured_ = true;  // the press that closed the list does not also click
        } else if (ImGui::GetIO().MouseWheel != 0 && count > 0) {
            const int step = ImGui::GetIO().MouseWheel > 0 ? -1 : 1;
            keyboard_.Highlight(std::clamp(keyboard_.listCursor() + step, 0, count - 1));
        }
        if (keyboard_.openList() < 0) return;
        DrawListBox(ImGui::GetForegroundDrawList(),
                    {box, rowHeight, keyboard_.listTop(), rows, keyboard_.listCursor()},
                    combo.items);
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
    DialogKeyboard keyboard_;
    DialogUnits units_;
    ImVec2 origin_;
    bool mouseCaptured_ = false;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    ImGuiContext* imgui_ = nullptr;
    bool backendsUp_ = false;
    GLuint texture_ = 0;
};

}  // namespace

intptr_t RunImGuiDialog(const DialogTemplate& tmpl, const DialogProc& proc, intptr_t param) {
    OnScreenDialog dialog(tmpl, proc);
    if (!dialog.Open()) return -1;
    return dialog.Run(param);
}

}  // namespace ui
