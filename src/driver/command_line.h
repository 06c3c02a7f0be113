// The vessmark program's command line. Without arguments the demo runs as it always has; --data
// names the production to play.
#pragma once

#include <string>

namespace driver {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string dataFolder;  // "" when not given
    std::string text;        // help or version text, or the error with the usage line
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// Exit code for each action that ends the program before the demo: 0 for help and version, 2 for
// a bad command line.
int ExitCodeOf(CommandLine::Action action);

}  // namespace driver
