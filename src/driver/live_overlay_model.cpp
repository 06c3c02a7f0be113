#include "driver/live_overlay_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "driver/live_keys.h"
#include "tracktool/timeline_text.h"

namespace live {
namespace {

constexpr float kCurveRows = 40.0f;  // each side of the playhead
constexpr int kCurveSamples = 160;

}  // namespace

std::string ClockText(double seconds) {
    const auto hundredths = static_cast<long>(std::floor(std::max(seconds, 0.0) * 100.0));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld.%02ld", hundredths / 6000, hundredths / 100 % 60,
                  hundredths % 100);
    return text;
}

std::string GridText(float row, const TimelineShape& shape) {
    const auto whole = static_cast<long>(std::floor(std::max(row, 0.0f)));
    const long rowsPerBar = shape.rowsPerBeat * shape.beatsPerBar;
    char text[48];
    std::snprintf(text, sizeof text, "@%ld:%ld:%ld", whole / rowsPerBar,
                  whole % rowsPerBar / shape.rowsPerBeat, whole % shape.rowsPerBeat);
    return text;
}

ui::OverlayModel BuildOverlayModel(const OverlayFacts& facts) {
    const Transport& t = *facts.transport;
    const driver::DeviceTracks& tracks = *facts.tracks;
    const float row = t.Row();
    const sync::Track& part = tracks.Track(driver::TrackId::Part);
    const sync::Track& filter = tracks.Track(driver::TrackId::Filter);
    ui::OverlayModel m;

    char line[256];
    std::snprintf(line, sizeof line, "%s  row %.2f  %s  part %d  filter %d",
                  ClockText(t.Seconds()).c_str(), static_cast<double>(row),
                  GridText(row, t.Shape()).c_str(), driver::TruncateSelector(part.valueAt(row)),
                  driver::TruncateSelector(filter.valueAt(row)));
    m.lines.push_back(line);
    const double last = facts.frameMs.empty() ? 0.0 : facts.frameMs.back();
    std::snprintf(line, sizeof line, "%s  speed %.2fx%s  loop %s %.0f..%.0f  frame %.1f ms",
                  t.Paused() ? "paused " : "playing", t.Speed(), t.Speed() != 1.0 ? " (muted)" : "",
                  t.Looping() ? "on " : "off",
                  static_cast<double>(RowOfFrame(t.LoopStart(), t.Shape().rowsPerSecond)),
                  static_cast<double>(RowOfFrame(t.LoopEnd(), t.Shape().rowsPerSecond)), last);
    m.lines.push_back(line);
    m.help = kKeyHelp;
    m.frameMs = facts.frameMs;

    m.endRow = RowOfFrame(t.EndFrame(), t.Shape().rowsPerSecond);
    m.playheadRow = row;
    const auto parts = SelectorChanges(part);
    for (size_t i = 0; i < parts.size(); ++i) {
        const float to = i + 1 < parts.size() ? static_cast<float>(parts[i + 1].row) : m.endRow;
        m.parts.push_back({static_cast<float>(parts[i].row), to, parts[i].value});
    }
    for (const SelectorChange& c : SelectorChanges(filter))
        m.marks.push_back(static_cast<float>(c.row));
    m.loopSet = t.LoopEnd() > t.LoopStart();
    m.looping = t.Looping();
    m.loopFrom = RowOfFrame(t.LoopStart(), t.Shape().rowsPerSecond);
    m.loopTo = RowOfFrame(t.LoopEnd(), t.Shape().rowsPerSecond);

    for (size_t i = 0; i < driver::kTrackCount; ++i) {
        m.trackNames.push_back(driver::kTrackNames[i]);
        m.trackValues.push_back(tracks.Track(static_cast<driver::TrackId>(i)).valueAt(row));
    }
    m.selectedTrack = facts.selectedTrack;
    const sync::Track& selected = tracks.Track(static_cast<driver::TrackId>(facts.selectedTrack));
    m.curveFrom = row - kCurveRows;
    m.curveTo = row + kCurveRows;
    for (int i = 0; i < kCurveSamples; ++i) {
        const float at = m.curveFrom + (m.curveTo - m.curveFrom) * i / (kCurveSamples - 1);
        m.curve.push_back(selected.valueAt(std::max(at, 0.0f)));
    }
    for (const auto& [keyRow, key] : selected.keys()) {
        const auto r = static_cast<float>(keyRow);
        if (r >= m.curveFrom && r <= m.curveTo)
            m.keys.push_back({r, key.value, tracktool::KindName(key.interpolation)});
    }

    if (facts.reload != nullptr && !facts.reload->what.empty()) {
        const ReloadStatus& r = *facts.reload;
        m.reloadFailed = !r.ok;
        std::snprintf(line, sizeof line, "reload: %s (%.1f ms)", r.what.c_str(), r.milliseconds);
        m.reload = r.ok ? line : "reload failed: " + r.error;
    }
    return m;
}

}  // namespace live
