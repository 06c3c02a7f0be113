// Replacing files so that no reader (and no crash) ever sees half of one: each new file is written
// beside its target under a temporary name, flushed to disk, and renamed over the target only when
// every file of the batch was written.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace live {

// Writes a file at `path`; false with a reason.
using FileWriter = std::function<bool(const std::string& path, std::string* error)>;

struct PendingFile {
    std::filesystem::path target;
    FileWriter write;
};

// All or nothing: on any failure the targets are untouched, the temporary files removed, and
// false returned with a reason naming the file.
bool ReplaceFilesAtomically(const std::vector<PendingFile>& files, std::string* error);

// A FileWriter that writes these bytes.
FileWriter BytesWriter(std::string bytes);

}  // namespace live
