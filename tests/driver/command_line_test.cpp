// The program's command line and the choice of data folder.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "driver/data_folder.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

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

TEST(DataFolder, TheChosenOrCurrentDataFolderIsEnteredAndOtherwiseTheNoteSaysWhy) {
    EXPECT_EQ(InstalledDataFolder("/opt/demo/bin/vessmark"), fs::path("/opt/demo/share/vessmark"));
    vmtest::ScratchDir dir;
    const fs::path prod = dir.Path() / "prod", empty = dir.Path() / "empty";
    dir.Write((fs::path("prod") / kSoundtrackPath).string(), "x");
    fs::create_directories(empty);
    vmtest::ScopedCurrentPath back(empty);
    std::string error, note;
    ASSERT_TRUE(EnterDataFolder(prod.string(), &error, &note)) << error;
    EXPECT_EQ(fs::current_path(), prod);
    EXPECT_FALSE(EnterDataFolder(empty.string(), &error, &note));
    EXPECT_NE(error.find("is not a data folder"), std::string::npos) << error;
    ASSERT_TRUE(EnterDataFolder("", &error, &note));  // the current folder is one: kept
    EXPECT_EQ(fs::current_path(), prod);
    EXPECT_TRUE(note.empty());

    // The test program has no production installed beside it: it stays put and says so.
    fs::current_path(empty);
    ASSERT_TRUE(EnterDataFolder("", &error, &note));
    EXPECT_EQ(fs::current_path(), empty);
    EXPECT_NE(note.find("give --data DIR"), std::string::npos) << note;
}

}  // namespace
}  // namespace driver
