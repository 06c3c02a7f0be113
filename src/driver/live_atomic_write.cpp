#include "driver/live_atomic_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace live {
namespace fs = std::filesystem;

namespace {

// Data and size on disk before the rename makes the name point at them.
bool FlushToDisk(const fs::path& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        *error = path.string() + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

fs::path TemporaryName(const fs::path& target) {
    return target.parent_path() /
           ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()));
}

}  // namespace

bool ReplaceFilesAtomically(const std::vector<PendingFile>& files, std::string* error) {
    std::vector<fs::path> written;
    auto fail = [&](const std::string& why) {
        for (const fs::path& temp : written) {
            std::error_code ignored;
            fs::remove(temp, ignored);
        }
        *error = why;
        return false;
    };
    for (const PendingFile& file : files) {
        const fs::path temp = TemporaryName(file.target);
        written.push_back(temp);
        std::string why;
        if (!file.write(temp.string(), &why)) return fail(file.target.string() + ": " + why);
        if (!FlushToDisk(temp, &why)) return fail(why);
    }
    for (size_t i = 0; i < files.size(); ++i) {
        std::error_code ec;
        fs::rename(written[i], files[i].target, ec);
        // Earlier renames of the batch have happened; only a full disk or lost permission gets
        // here.
        if (ec) return fail(files[i].target.string() + ": " + ec.message());
    }
    return true;
}

FileWriter BytesWriter(std::string bytes) {
    return [bytes = std::move(bytes)](const std::string& path, std::string* error) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f == nullptr) {
            *error = std::strerror(errno);
            return false;
        }
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if ((std::fclose(f) != 0) || !ok) {
            *error = "write failed";
            return false;
        }
        return true;
    };
}

}  // namespace live
