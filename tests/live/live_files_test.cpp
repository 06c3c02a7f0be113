// The files side of live mode without a device: the all-or-nothing atomic replacement and the
// folder watcher seeing the three ways editors save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "driver/live_atomic_write.h"
#include "driver/live_watcher.h"
#include "support/scratch_dir.h"
#include "support/xvfb_session.h"

namespace {

namespace fs = std::filesystem;
using vmtest::ReadFile;

ino_t Inode(const fs::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_ino;
}

TEST(AtomicWrite, ABatchReplacesEveryTargetOrNone) {
    vmtest::ScratchDir dir;
    const fs::path a = dir.Write("a.track", "old a"), b = dir.Write("b.track", "old b");
    const ino_t before = Inode(a);
    std::string error;
    // The second writer fails halfway: nothing is replaced and no temporary file stays behind.
    const live::FileWriter halfThenFail = [](const std::string& path, std::string* why) {
        std::ofstream(path) << "half";
        *why = "disk full";
        return false;
    };
    EXPECT_FALSE(
        live::ReplaceFilesAtomically({{a, live::BytesWriter("new a")}, {b, halfThenFail}}, &error));
    EXPECT_EQ(error, b.string() + ": disk full");
    EXPECT_EQ(ReadFile(a) + ReadFile(b), "old aold b");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);

    ASSERT_TRUE(live::ReplaceFilesAtomically(
        {{a, live::BytesWriter("new a")}, {b, live::BytesWriter("")}}, &error))
        << error;
    EXPECT_EQ(ReadFile(a) + "|" + ReadFile(b), "new a|");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 2);
    EXPECT_NE(Inode(a), before) << "replaced by a rename, not rewritten in place";
    EXPECT_FALSE(
        live::ReplaceFilesAtomically({{dir.Path() / "no/c", live::BytesWriter("x")}}, &error));
    EXPECT_NE(error.find("no/c"), std::string::npos) << error;
}

TEST(FolderWatcher, SeesWriteInPlaceRenameOverAndDeleteThenCreateInSubfolders) {
    vmtest::ScratchDir dir;
    const fs::path top = dir.Write("timeline.txt", "1"), deep = dir.Write("sub/pig.fx", "1");
    live::FolderWatcher watcher;
    std::string error;
    ASSERT_TRUE(watcher.Watch(dir.Path(), &error)) << error;
    EXPECT_TRUE(watcher.Changed().empty());
    for (const fs::path& file : {top, deep}) {
        std::ofstream(file, std::ios::in | std::ios::out) << "2";  // in place
        EXPECT_EQ(watcher.Changed(), std::vector<fs::path>{file});
        const fs::path swap = file.parent_path() / ("." + file.filename().string() + ".swp");
        std::ofstream(swap) << "3";  // write a hidden file, then rename it over
        fs::rename(swap, file);
        EXPECT_EQ(watcher.Changed(), std::vector<fs::path>{file});
        fs::remove(file);  // delete then create
        std::ofstream(file) << "4";
        EXPECT_EQ(watcher.Changed(), std::vector<fs::path>{file});
    }
    // Several saves between two polls: each file once, in the order first seen; hidden files and
    // folders are left out.
    dir.Write("sub/pig.fx", "5");
    dir.Write("timeline.txt", "5");
    dir.Write("sub/pig.fx", "6");
    dir.Write(".hidden", "x");
    fs::create_directory(dir.Path() / "newdir");
    EXPECT_EQ(watcher.Changed(), (std::vector<fs::path>{deep, top}));
    EXPECT_FALSE(watcher.Watch(dir.Path() / "absent", &error));
    EXPECT_NE(error.find("absent"), std::string::npos);
}

}  // namespace
