// The program's command line. (The choice of data folder: the install tests, and the Xvfb runs that
// start in one.)
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace driver {
namespace {

TEST(CommandLine, ActionsFolderAndExitCodes) {
    using A = CommandLine::Action;
    const struct {
        std::vector<const char*> args;
        A action;
        const char* folder;
        int exitCode;
    } cases[] = {
        {{}, A::Run, "", 0},
        {{"--data", "a", "--data", "b"}, A::Run, "b", 0},
        {{"--help"}, A::Help, "", 0},
        {{"-h"}, A::Help, "", 0},
        {{"--data", "x", "--version"}, A::Version, "", 0},
        {{"--version", "--bogus"}, A::Version, "", 0},
        {{"--bogus"}, A::Error, "", 2},
        {{"-"}, A::Error, "", 2},
        {{"prod"}, A::Error, "", 2},
        {{"--data"}, A::Error, "", 2},
        {{"--data", ""}, A::Error, "", 2},
    };
    for (auto c : cases) {
        const std::string what = ::testing::PrintToString(c.args);
        c.args.insert(c.args.begin(), "vessmark");
        const CommandLine line = ParseCommandLine(static_cast<int>(c.args.size()), c.args.data());
        EXPECT_EQ(line.action, c.action) << what;
        EXPECT_EQ(line.dataFolder, c.folder) << what;
        EXPECT_EQ(ExitCodeOf(line.action), c.exitCode) << what;
        // Errors end with the usage line; help starts with it.
        EXPECT_EQ(line.text.ends_with("[--help] [--version]\n"), c.action == A::Error) << line.text;
        EXPECT_EQ(line.text.starts_with("usage: vessmark [--data DIR]"), c.action == A::Help);
    }
    const char* bogus[] = {"vessmark", "--bogus"};
    EXPECT_TRUE(ParseCommandLine(2, bogus).text.starts_with("vessmark: unknown option --bogus\n"));
}

}  // namespace
}  // namespace driver
