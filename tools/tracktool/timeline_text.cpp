#include "tracktool/timeline_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

namespace tracktool {
namespace {

constexpr const char* kKindNames[] = {"step", "linear", "cosine", "quadratic"};

bool ParseUnsigned(std::string_view digits, uint64_t limit, uint64_t* out) {
    if (digits.empty()) return false;
    for (char c : digits)
        if (c < '0' || c > '9') return false;
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec != std::errc() || end != digits.data() + digits.size() || v > limit) return false;
    *out = v;
    return true;
}

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) tokens.push_back(line.substr(start, i - start));
    }
    return tokens;
}

bool ValidTrackName(std::string_view name, std::string* error) {
    if (name == "." || name == "..") {
        *error = "track name \"" + std::string(name) + "\" is not allowed";
        return false;
    }
    for (unsigned char c : name) {
        if (c == '/' || c == '\\' || c < 0x21 || c == 0x7F) {
            *error = "track name \"" + std::string(name) +
                     "\" has a character not allowed in file names";
            return false;
        }
    }
    return true;
}

}  // namespace

bool ParseRow(std::string_view token, uint32_t* row, std::string* error) {
    uint64_t v = 0;
    if (token.empty() || token[0] != '@') {
        if (ParseUnsigned(token, UINT32_MAX, &v)) {
            *row = static_cast<uint32_t>(v);
            return true;
        }
        *error = "row \"" + std::string(token) +
                 "\" is not a whole number from 0 to 4294967295 or @BAR[:BEAT[:ROW]]";
        return false;
    }
    // @BAR[:BEAT[:ROW]]
    std::string_view rest = token.substr(1);
    uint64_t parts[3] = {0, 0, 0};
    const uint64_t limits[3] = {UINT32_MAX / kRowsPerBar, kBeatsPerBar - 1, kRowsPerBeat - 1};
    const char* names[3] = {"bar", "beat (0 to 3)", "row within the beat (0 to 4)"};
    for (int i = 0; i < 3; ++i) {
        const size_t colon = rest.find(':');
        const std::string_view part = rest.substr(0, colon);
        if (!ParseUnsigned(part, limits[i], &parts[i])) {
            *error = "in \"" + std::string(token) + "\": " + names[i] + " \"" + std::string(part) +
                     "\" is not valid";
            return false;
        }
        if (colon == std::string_view::npos) break;
        if (i == 2) {
            *error = "in \"" + std::string(token) + "\": too many fields (use @BAR:BEAT:ROW)";
            return false;
        }
        rest = rest.substr(colon + 1);
    }
    v = parts[0] * kRowsPerBar + parts[1] * kRowsPerBeat + parts[2];
    if (v > UINT32_MAX) {
        *error = "row \"" + std::string(token) + "\" is beyond the last row";
        return false;
    }
    *row = static_cast<uint32_t>(v);
    return true;
}

bool ParseValue(std::string_view token, float* value, std::string* error) {
    const std::string text(token);
    char* end = nullptr;
    const float v = std::strtof(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v)) {
        *error = "value \"" + text + "\" is not a finite number";
        return false;
    }
    *value = v;
    return true;
}

bool ParseKind(std::string_view token, int32_t* kind, std::string* error) {
    for (int32_t k = 0; k < 4; ++k) {
        if (token == kKindNames[k]) {
            *kind = k;
            return true;
        }
    }
    const bool negative = !token.empty() && token[0] == '-';
    uint64_t v = 0;
    if (ParseUnsigned(negative ? token.substr(1) : token, negative ? 128 : 127, &v)) {
        *kind = negative ? -static_cast<int32_t>(v) : static_cast<int32_t>(v);
        return true;
    }
    *error = "kind \"" + std::string(token) +
             "\" is not step, linear, cosine, quadratic or a number from -128 to 127";
    return false;
}

std::string KindName(int32_t kind) {
    return kind >= 0 && kind < 4 ? kKindNames[kind] : std::to_string(kind);
}

bool ParseTimeline(std::string_view text, const std::string& sourceName,
                   std::vector<TimelineTrack>* tracks, std::vector<std::string>* errors) {
    std::vector<TimelineTrack> parsed;
    std::map<std::string, int, std::less<>> trackLines;
    std::map<uint32_t, int> rowLines;  // of the current track
    const size_t errorsBefore = errors->size();
    auto report = [&](int line, const std::string& message) {
        errors->push_back(sourceName + ":" + std::to_string(line) + ": " + message);
    };

    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t newline = text.find('\n', pos);
        std::string_view line = text.substr(
            pos, newline == std::string_view::npos ? std::string_view::npos : newline - pos);
        pos = newline == std::string_view::npos ? text.size() + 1 : newline + 1;
        ++lineNumber;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        const std::vector<std::string_view> tokens = Tokens(line);
        if (tokens.empty()) continue;

        std::string error;
        if (tokens[0] == "track") {
            if (tokens.size() != 2) {
                report(lineNumber, "expected \"track NAME\"");
                continue;
            }
            if (!ValidTrackName(tokens[1], &error)) {
                report(lineNumber, error);
                continue;
            }
            if (auto it = trackLines.find(tokens[1]); it != trackLines.end()) {
                report(lineNumber, "track \"" + std::string(tokens[1]) +
                                       "\" was already started on line " +
                                       std::to_string(it->second));
                continue;
            }
            trackLines.emplace(std::string(tokens[1]), lineNumber);
            parsed.push_back(TimelineTrack{std::string(tokens[1]), lineNumber, {}});
            rowLines.clear();
            continue;
        }

        if (tokens.size() < 2 || tokens.size() > 3) {
            report(lineNumber, "expected \"ROW VALUE [KIND]\" or \"track NAME\"");
            continue;
        }
        if (parsed.empty()) {
            report(lineNumber, "key before the first \"track NAME\" line");
            continue;
        }
        uint32_t row = 0;
        float value = 0.0f;
        int32_t kind = sync::Step;
        if (!ParseRow(tokens[0], &row, &error) || !ParseValue(tokens[1], &value, &error) ||
            (tokens.size() == 3 && !ParseKind(tokens[2], &kind, &error))) {
            report(lineNumber, error);
            continue;
        }
        if (auto it = rowLines.find(row); it != rowLines.end()) {
            report(lineNumber, "row " + std::to_string(row) + " of track \"" + parsed.back().name +
                                   "\" already has a key (line " + std::to_string(it->second) +
                                   ")");
            continue;
        }
        rowLines.emplace(row, lineNumber);
        parsed.back().track.setKey(row, sync::TrackKey{value, kind});
    }

    if (errors->size() != errorsBefore) return false;
    *tracks = std::move(parsed);
    return true;
}

}  // namespace tracktool
