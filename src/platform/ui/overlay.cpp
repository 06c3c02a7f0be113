// The live overlay on Dear ImGui's SDL2 and OpenGL 3 back ends. One ImGui context of its own,
// made current only while the overlay draws, so the setup dialog's context never meets it.
#include "platform/ui/overlay.h"

#include <SDL.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>

#include "platform/ui/overlay_internal.h"

namespace ui {
namespace {

struct State {
    ImGuiContext* context = nullptr;
    SDL_Window* window = nullptr;
    float width = 0, height = 0;
};
State state;

ImU32 PartColor(int value) {
    static const ImU32 colors[] = {IM_COL32(90, 90, 90, 230),   IM_COL32(200, 90, 120, 230),
                                   IM_COL32(80, 150, 210, 230), IM_COL32(220, 170, 60, 230),
                                   IM_COL32(90, 180, 110, 230), IM_COL32(170, 110, 210, 230),
                                   IM_COL32(220, 120, 60, 230)};
    return colors[value >= 0 && value <= 6 ? value : 0];
}

// The whole production as a strip; returns the row under a click or drag, or -1.
float TimelineStrip(const OverlayModel& m, float width) {
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float height = 22.0f;
    ImGui::InvisibleButton("##strip", ImVec2(width, height));
    ImDrawList* draw = ImGui::GetWindowDrawList();
    auto x = [&](float row) { return origin.x + width * std::clamp(row / m.endRow, 0.0f, 1.0f); };
    for (const OverlayModel::Block& b : m.parts)
        draw->AddRectFilled(ImVec2(x(b.from), origin.y), ImVec2(x(b.to), origin.y + height),
                            PartColor(b.value));
    for (const OverlayModel::Block& b : m.parts) {
        char label[8];
        std::snprintf(label, sizeof label, "%d", b.value);
        if (x(b.to) - x(b.from) > 10)
            draw->AddText(ImVec2(x(b.from) + 3, origin.y + 4), IM_COL32(255, 255, 255, 255), label);
    }
    for (float mark : m.marks)
        draw->AddLine(ImVec2(x(mark), origin.y + height - 6), ImVec2(x(mark), origin.y + height),
                      IM_COL32(255, 255, 255, 255), 2.0f);
    if (m.loopSet)
        draw->AddRectFilled(ImVec2(x(m.loopFrom), origin.y - 4), ImVec2(x(m.loopTo), origin.y),
                            m.looping ? IM_COL32(255, 220, 0, 255) : IM_COL32(150, 150, 150, 255));
    draw->AddLine(ImVec2(x(m.playheadRow), origin.y - 4),
                  ImVec2(x(m.playheadRow), origin.y + height + 2), IM_COL32(255, 255, 255, 255),
                  2.0f);
    if (ImGui::IsItemActive() && ImGui::IsMouseDown(ImGuiMouseButton_Left)) {
        const float at = (ImGui::GetIO().MousePos.x - origin.x) / width;
        return std::clamp(at, 0.0f, 1.0f) * m.endRow;
    }
    return -1.0f;
}

void TrackPanel(const OverlayModel& m, OverlayInput* input) {
    ImGui::BeginChild("##tracks", ImVec2(190, 0), false);
    for (size_t i = 0; i < m.trackNames.size(); ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%-11s %9.3f", m.trackNames[i].c_str(),
                      i < m.trackValues.size() ? static_cast<double>(m.trackValues[i]) : 0.0);
        if (ImGui::Selectable(line, static_cast<int>(i) == m.selectedTrack))
            input->selectTrack = static_cast<int>(i);
    }
    ImGui::EndChild();
}

void CurvePanel(const OverlayModel& m) {
    if (m.curve.empty()) return;
    const auto [lo, hi] = std::minmax_element(m.curve.begin(), m.curve.end());
    float low = *lo, high = *hi;
    for (const OverlayModel::Key& k : m.keys)
        low = std::min(low, k.value), high = std::max(high, k.value);
    if (high - low < 1e-6f) high = low + 1.0f;
    const ImVec2 size(std::max(ImGui::GetContentRegionAvail().x, 100.0f), 150.0f);
    const char* name =
        m.selectedTrack >= 0 && m.selectedTrack < static_cast<int>(m.trackNames.size())
            ? m.trackNames[m.selectedTrack].c_str()
            : "";
    ImGui::Text("%s  rows %.0f .. %.0f  [%.3f .. %.3f]", name, static_cast<double>(m.curveFrom),
                static_cast<double>(m.curveTo), static_cast<double>(low),
                static_cast<double>(high));
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    ImGui::PlotLines("##curve", m.curve.data(), static_cast<int>(m.curve.size()), 0, nullptr, low,
                     high, size);
    ImDrawList* draw = ImGui::GetWindowDrawList();
    auto px = [&](float row) {
        return origin.x + size.x * (row - m.curveFrom) / (m.curveTo - m.curveFrom);
    };
    auto py = [&](float value) {
        return origin.y + size.y * (1.0f - (value - low) / (high - low));
    };
    for (const OverlayModel::Key& k : m.keys) {
        draw->AddCircleFilled(ImVec2(px(k.row), py(k.value)), 4.0f, IM_COL32(255, 200, 0, 255));
        draw->AddText(ImVec2(px(k.row) + 5, py(k.value) - 14), IM_COL32(255, 230, 150, 255),
                      k.kind.c_str());
    }
    draw->AddLine(ImVec2(px(m.playheadRow), origin.y), ImVec2(px(m.playheadRow), origin.y + size.y),
                  IM_COL32(255, 255, 255, 160));
}

}  // namespace

bool OverlayStart(int width, int height) {
    if (state.context != nullptr) return true;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    state.context = ImGui::CreateContext();
    ImGui::SetCurrentContext(state.context);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    state.window = SDL_GL_GetCurrentWindow();  // null on a headless (EGL) context
    state.width = static_cast<float>(width);
    state.height = static_cast<float>(height);
    bool ok = ImGui_ImplOpenGL3_Init("#version 330");
    if (ok && state.window != nullptr)
        ok = ImGui_ImplSDL2_InitForOpenGL(state.window, SDL_GL_GetCurrentContext());
    ImGui::SetCurrentContext(previous);
    if (!ok) {
        std::fprintf(stderr, "ui: the overlay could not start on this GL context\n");
        OverlayStop();
    }
    return ok;
}

void OverlayStop() {
    if (state.context == nullptr) return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(state.context);
    ImGui_ImplOpenGL3_Shutdown();
    if (state.window != nullptr) ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(state.context);
    ImGui::SetCurrentContext(previous == state.context ? nullptr : previous);
    state = State{};
}

bool OverlayRunning() {
    return state.context != nullptr;
}

void OverlayProcessEvent(const SDL_Event& event) {
    if (state.context == nullptr || state.window == nullptr) return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(state.context);
    ImGui_ImplSDL2_ProcessEvent(&event);
    ImGui::SetCurrentContext(previous);
}

void OverlayDraw(const OverlayModel& m, OverlayInput* input) {
    *input = OverlayInput{};
    if (state.context == nullptr) return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(state.context);
    ImGui_ImplOpenGL3_NewFrame();
    if (state.window != nullptr) {
        ImGui_ImplSDL2_NewFrame();
    } else {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(state.width, state.height);
        io.DeltaTime = 1.0f / 60.0f;
    }
    ImGui::NewFrame();
    const ImVec2 screen = ImGui::GetIO().DisplaySize;
    const ImGuiWindowFlags fixed = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_NoFocusOnAppearing;

    ImGui::SetNextWindowPos(ImVec2(8, 8));
    ImGui::SetNextWindowSize(ImVec2(screen.x - 16, 0));
    ImGui::SetNextWindowBgAlpha(0.6f);
    ImGui::Begin("##transport", nullptr, fixed);
    for (const std::string& line : m.lines) ImGui::TextUnformatted(line.c_str());
    if (!m.frameMs.empty())
        ImGui::PlotLines("##frames", m.frameMs.data(), static_cast<int>(m.frameMs.size()), 0,
                         "frame ms", 0.0f, FLT_MAX, ImVec2(screen.x - 32, 36));
    if (const float row = TimelineStrip(m, screen.x - 32); row >= 0.0f) {
        input->seek = true;
        input->seekRow = row;
    }
    if (m.reloadFailed)
        ImGui::TextColored(ImVec4(1.0f, 0.35f, 0.3f, 1.0f), "%s", m.reload.c_str());
    else
        ImGui::TextUnformatted(m.reload.c_str());
    ImGui::End();

    ImGui::SetNextWindowPos(ImVec2(8, screen.y * 0.45f));
    ImGui::SetNextWindowSize(ImVec2(std::min(screen.x - 16, 720.0f), screen.y * 0.55f - 36));
    ImGui::SetNextWindowBgAlpha(0.6f);
    ImGui::Begin("##tracks", nullptr, fixed);
    TrackPanel(m, input);
    ImGui::SameLine();
    ImGui::BeginGroup();
    CurvePanel(m);
    ImGui::EndGroup();
    ImGui::End();

    ImGui::GetForegroundDrawList()->AddText(ImVec2(10, screen.y - 22), IM_COL32(255, 255, 255, 220),
                                            m.help.c_str());
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    ImGui::SetCurrentContext(previous);
}

}  // namespace ui
