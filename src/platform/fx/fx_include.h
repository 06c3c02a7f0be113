// #include "file" in effect files: expanded into one text before anything else reads it, with a map
// from each line of that text back to the file and line it came from, so that every message names
// the file and line a user wrote. Internal to platform/fx.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/fx/fx_source.h"

namespace fx::detail {

constexpr int kMaxIncludeDepth = 16;
constexpr size_t kMaxEffectText = 4 << 20;  // bytes, the effect and its includes together

// Reads a whole text file: false with the reason ("cannot open the file", "not a text file").
using TextReader =
    std::function<bool(const std::string& path, std::string* text, std::string* why)>;

// Expands the includes of the effect text read from path, nested, each found beside the file that
// includes it or else beside the effect. A file guarded by #pragma once or by #ifndef X / #define X
// is read once. False with located errors for a missing file, a cycle, nesting deeper than
// kMaxIncludeDepth or a text over kMaxEffectText; *map is filled either way.
bool ExpandIncludes(const std::string& path, const std::string& text, const TextReader& read,
                    std::string* expanded, SourceMap* map, std::vector<Diagnostic>* errors);

}  // namespace fx::detail
