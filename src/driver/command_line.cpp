#include "driver/command_line.h"

#include <string_view>

namespace driver {
namespace {

constexpr const char* kUsage =
    "usage: vessmark [--data DIR] [--live [--content DIR] [--size WxH]] [--help] [--version]\n";

constexpr const char* kHelp =
    "Plays the vessmark demo: a setup dialog for the display, then 123 seconds of music and\n"
    "pictures. Escape ends it.\n"
    "\n"
    "  --data DIR   play the production in DIR (default: the current folder when it holds\n"
    "               the soundtrack, else the installed production)\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n";

CommandLine Fail(const std::string& problem) {
    return {CommandLine::Action::Error, "", "vessmark: " + problem + "\n" + kUsage};
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return {CommandLine::Action::Help, "", std::string(kUsage) + kHelp};
        if (arg == "--version")
            return {CommandLine::Action::Version, "", "vessmark " VM_VERSION "\n"};
        if (arg == "--data") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') return Fail("--data needs a folder");
            line.dataFolder = argv[++i];
        } else if (arg.starts_with("-")) {
            return Fail("unknown option " + std::string(arg));
        } else {
            return Fail("unexpected argument " + std::string(arg));
        }
    }
    return line;
}

int ExitCodeOf(CommandLine::Action action) {
    return action == CommandLine::Action::Error ? 2 : 0;
}

}  // namespace driver
