#include "driver/live_watcher.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace live {
namespace fs = std::filesystem;

FolderWatcher::FolderWatcher() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatcher::~FolderWatcher() {
    if (fd_ >= 0) ::close(fd_);
}

bool FolderWatcher::Watch(const fs::path& folder, std::string* error) {
    if (fd_ < 0) {
        *error = std::string("inotify: ") + std::strerror(errno);
        return false;
    }
    std::error_code ec;
    std::vector<fs::path> all{folder};
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) all.push_back(it->path());
    if (ec) {
        *error = folder.string() + ": " + ec.message();
        return false;
    }
    for (const fs::path& dir : all) {
        const int wd = inotify_add_watch(fd_, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
        if (wd < 0) {
            *error = dir.string() + ": " + std::strerror(errno);
            return false;
        }
        folders_.emplace_back(wd, dir);
    }
    return true;
}

std::vector<fs::path> FolderWatcher::Changed() {
    std::vector<fs::path> changed;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->len == 0 || event->name[0] == '.' || (event->mask & IN_ISDIR)) continue;
            const auto folder = std::find_if(folders_.begin(), folders_.end(),
                                             [&](const auto& f) { return f.first == event->wd; });
            if (folder == folders_.end()) continue;
            const fs::path file = folder->second / event->name;
            if (std::find(changed.begin(), changed.end(), file) == changed.end())
                changed.push_back(file);
        }
    }
    return changed;
}

}  // namespace live
