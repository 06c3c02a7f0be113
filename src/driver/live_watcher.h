// Watching source folders for saved files (inotify on each folder and its subfolders). Sees the
// three ways editors save: writing in place (close after write), writing a temporary file and
// renaming it over the old one (moved-to), and deleting then creating (close after write of the
// new file). Non-blocking; polled between frames.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace live {

class FolderWatcher {
  public:
    FolderWatcher();
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Watches the folder and every folder below it; false with a reason.
    bool Watch(const std::filesystem::path& folder, std::string* error);
    // Files saved since the last call, each once, in the order first seen. Hidden names (starting
    // with '.', such as the temporary files of atomic writes and editors) are left out.
    std::vector<std::filesystem::path> Changed();

  private:
    int fd_ = -1;
    std::vector<std::pair<int, std::filesystem::path>> folders_;  // watch descriptor, folder
};

}  // namespace live
