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

CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "vessmark");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, ActionsFolderAndExitCodes) {
    using A = CommandLine::Action;
    const struct {
        std::vector<const char*> args;
        A action;
        const char* folder;
        int exitCode;
    } cases[] = {
        {{}, A::Run, "", 0},
        {{"--data", "prod"}, A::Run, "prod", 0},
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
    for (const auto& c : cases) {
        const CommandLine line = Parse(c.args);
        const std::string what = ::testing::PrintToString(c.args);
        EXPECT_EQ(line.action, c.action) << what;
        EXPECT_EQ(line.dataFolder, c.folder) << what;
        EXPECT_EQ(ExitCodeOf(line.action), c.exitCode) << what;
        // Errors end with the usage line; help starts with it.
        const bool usageLast = line.text.ends_with("[--help] [--version]\n");
        const bool usageFirst = line.text.starts_with("usage: vessmark [--data DIR]");
        EXPECT_EQ(usageLast, c.action == A::Error) << line.text;
        EXPECT_EQ(usageFirst, c.action == A::Help) << line.text;
    }
    EXPECT_EQ(Parse({"--bogus"}).text.find("vessmark: unknown option --bogus\n"), 0u);
}

TEST(DataFolder, InstalledProductionSitsInShareBesideBin) {
    EXPECT_EQ(InstalledDataFolder("/opt/demo/bin/vessmark"), fs::path("/opt/demo/share/vessmark"));
}

class EnterDataFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_.Write((fs::path("prod") / kSoundtrackPath).string(), "x");
        fs::create_directories(root_ / "empty");
    }
    vmtest::ScratchDir dir_;
    const fs::path root_ = dir_.Path();
    vmtest::ScopedCurrentPath back_{fs::current_path()};  // the working folder is put back
    std::string error_, note_;
};

TEST_F(EnterDataFolderTest, ChosenFolderIsEnteredWhenItHoldsTheSoundtrack) {
    fs::current_path(root_ / "empty");
    ASSERT_TRUE(EnterDataFolder((root_ / "prod").string(), &error_, &note_)) << error_;
    EXPECT_EQ(fs::current_path(), root_ / "prod");
    EXPECT_TRUE(note_.empty());

    EXPECT_FALSE(EnterDataFolder((root_ / "empty").string(), &error_, &note_));
    EXPECT_NE(error_.find("is not a data folder"), std::string::npos) << error_;
    EXPECT_EQ(fs::current_path(), root_ / "prod");
}

TEST_F(EnterDataFolderTest, CurrentDataFolderIsKeptAndOtherwiseTheNoteSaysWhy) {
    fs::current_path(root_ / "prod");
    ASSERT_TRUE(EnterDataFolder("", &error_, &note_));
    EXPECT_EQ(fs::current_path(), root_ / "prod");
    EXPECT_TRUE(note_.empty());

    // The test program has no production installed beside it: it stays put and says so.
    fs::current_path(root_ / "empty");
    ASSERT_TRUE(EnterDataFolder("", &error_, &note_));
    EXPECT_EQ(fs::current_path(), root_ / "empty");
    EXPECT_NE(note_.find("give --data DIR"), std::string::npos) << note_;
}

}  // namespace
}  // namespace driver
