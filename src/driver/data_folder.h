// The data folder: the folder the demo reads its production from, by paths relative to the current
// folder. The programs enter one before the demo starts: the folder named on the command line, else
// the current folder when it holds the soundtrack, else the production installed beside the
// program (share/vessmark next to its bin folder).
#pragma once

#include <filesystem>
#include <string>

namespace driver {

// The soundtrack, relative to the data folder; its presence is what makes a folder a data folder.
inline constexpr const char* kSoundtrackPath =
    "vessmark/Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3";

bool IsDataFolder(const std::filesystem::path& folder);

// The installed production for the program at `executable` (its bin folder's ../share/vessmark).
std::filesystem::path InstalledDataFolder(const std::filesystem::path& executable);

// Changes into the data folder as described above. `chosen` is the folder given on the command
// line ("" for none). False, with *error set, when the chosen folder is not a data folder or cannot
// be entered. With no choice and no data folder here or installed, stays put (the demo reports the
// missing soundtrack itself) and sets *note.
bool EnterDataFolder(const std::string& chosen, std::string* error, std::string* note);

}  // namespace driver
