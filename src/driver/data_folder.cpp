#include "driver/data_folder.h"

#include <system_error>

namespace fs = std::filesystem;

namespace driver {

bool IsDataFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / kSoundtrackPath, ec);
}

fs::path InstalledDataFolder(const fs::path& executable) {
    // VM_DATA_FROM_BIN: the install's data folder relative to its bin folder.
    return (executable.parent_path() / VM_DATA_FROM_BIN).lexically_normal();
}

bool EnterDataFolder(const std::string& chosen, std::string* error, std::string* note) {
    std::error_code ec;
    fs::path target;
    if (!chosen.empty()) {
        if (!IsDataFolder(chosen)) {
            *error =
                "\"" + chosen + "\" is not a data folder (no \"" + kSoundtrackPath + "\" in it)";
            return false;
        }
        target = chosen;
    } else if (IsDataFolder(".")) {
        return true;
    } else {
        const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
        target = ec ? fs::path() : InstalledDataFolder(executable);
        if (target.empty() || !IsDataFolder(target)) {
            *note = "no data folder here (no \"" + std::string(kSoundtrackPath) + "\") and no " +
                    "production installed at " + (target.empty() ? "?" : target.string()) +
                    "; give --data DIR";
            return true;
        }
    }
    fs::current_path(target, ec);
    if (ec) {
        *error = "cannot enter " + target.string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace driver
