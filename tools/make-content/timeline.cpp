#include "timeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace content {
namespace {

bool ParseUnsigned(const std::string& s, uint32_t* out) {
    if (s.empty() || s.size() > 9 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    *out = uint32_t(std::stoul(s));
    return true;
}

bool ParseRow(const std::string& token, uint32_t* row) {
    if (token.empty() || token[0] != '@') return ParseUnsigned(token, row);
    uint32_t parts[3] = {0, 0, 0};
    size_t start = 1;
    for (int i = 0; i < 3; ++i) {
        const size_t colon = token.find(':', start);
        const std::string piece = token.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!ParseUnsigned(piece, &parts[i])) return false;
        if (colon == std::string::npos) {
            *row = parts[0] * 20 + parts[1] * 5 + parts[2];
            return true;
        }
        start = colon + 1;
    }
    return false;  // more than three fields
}

bool ParseKind(const std::string& s, int8_t* kind) {
    static const char* kNames[] = {"step", "linear", "cosine", "quadratic"};
    for (int8_t i = 0; i < 4; ++i)
        if (s == kNames[i]) {
            *kind = i;
            return true;
        }
    return false;
}

}  // namespace

bool ParseTimeline(const std::string& text, Timeline* out, std::string* error) {
    out->clear();
    std::istringstream lines(text);
    std::string line;
    std::string current;
    int number = 0;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        if (w[0] == "track") {
            if (w.size() != 2) return fail("expected 'track NAME'");
            current = w[1];
            (*out)[current];
            continue;
        }
        if (current.empty()) return fail("key before any 'track' line");
        if (w.size() != 3) return fail("expected 'ROW VALUE KIND'");
        TimelineKey key;
        if (!ParseRow(w[0], &key.row)) return fail("bad row '" + w[0] + "'");
        char* end = nullptr;
        key.value = std::strtof(w[1].c_str(), &end);
        if (end == w[1].c_str() || *end != '\0' || !std::isfinite(key.value)) return fail("bad value '" + w[1] + "'");
        if (!ParseKind(w[2], &key.kind)) return fail("bad kind '" + w[2] + "' (step, linear, cosine, quadratic)");
        auto& keys = (*out)[current];
        auto same = std::find_if(keys.begin(), keys.end(), [&](const TimelineKey& k) { return k.row == key.row; });
        if (same != keys.end()) return fail("second key at row " + std::to_string(key.row) + " in " + current);
        keys.push_back(key);
    }
    for (auto& [name, keys] : *out)
        std::sort(keys.begin(), keys.end(), [](const TimelineKey& a, const TimelineKey& b) { return a.row < b.row; });
    return true;
}

float EvaluateTrack(const std::vector<TimelineKey>& keys, float row) {
    if (keys.empty()) return 0.0f;
    auto next = std::upper_bound(keys.begin(), keys.end(), row,
                                 [](float r, const TimelineKey& k) { return std::floor(r) < float(k.row); });
    if (next == keys.begin()) return next->value;
    if (next == keys.end()) return keys.back().value;
    const TimelineKey& prev = *(next - 1);
    const float t = float((double(row) - prev.row) / double(next->row - prev.row));
    float u;
    switch (prev.kind) {
        case 1: u = t; break;
        case 2: u = float((1.0 - std::cos(t * 3.141592653589793)) * 0.5); break;
        case 3: u = t * t; break;
        default: return prev.value;
    }
    return prev.value + (next->value - prev.value) * u;
}

std::vector<uint8_t> EncodeTrackFile(const std::vector<TimelineKey>& keys) {
    std::vector<uint8_t> out(4 + 9 * keys.size());
    const uint32_t n = uint32_t(keys.size());
    std::memcpy(out.data(), &n, 4);
    for (size_t i = 0; i < keys.size(); ++i) {
        uint8_t* p = out.data() + 4 + 9 * i;
        std::memcpy(p, &keys[i].row, 4);
        std::memcpy(p + 4, &keys[i].value, 4);
        std::memcpy(p + 8, &keys[i].kind, 1);
    }
    return out;
}

bool WriteTrackFiles(const Timeline& timeline, const std::string& prefixPath, std::string* error) {
    for (const auto& [name, keys] : timeline) {
        const std::string path = prefixPath + "_" + name + ".track";
        const auto bytes = EncodeTrackFile(keys);
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (!file || !file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
            *error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

}  // namespace content
