// The files side of live mode without a device: the all-or-nothing atomic replacement and the
// folder watcher seeing the three ways editors save.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "driver/live_atomic_write.h"
#include "driver/live_watcher.h"
#include "support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using live::PendingFile;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}
size_t EntriesIn(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(AtomicWrite, ABatchReplacesEveryTargetOrNone) {
    vmtest::ScratchDir dir;
    const fs::path a = dir.Path() / "a.track", b = dir.Path() / "b.track";
    Write(a, "old a");
    Write(b, "old b");
    struct stat before {};
    ASSERT_EQ(::stat(a.c_str(), &before), 0);

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
    EXPECT_EQ(Read(a), "old a");
    EXPECT_EQ(Read(b), "old b");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);

    ASSERT_TRUE(live::ReplaceFilesAtomically(
        {{a, live::BytesWriter("new a")}, {b, live::BytesWriter("")}}, &error))
        << error;
    EXPECT_EQ(Read(a), "new a");
    EXPECT_EQ(Read(b), "");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
    struct stat st {};
    ::stat(a.c_str(), &st);
    EXPECT_NE(st.st_ino, before.st_ino) << "replaced by a rename, not rewritten in place";

    EXPECT_FALSE(live::ReplaceFilesAtomically(
        {{dir.Path() / "missing" / "c", live::BytesWriter("x")}}, &error));
    EXPECT_NE(error.find("missing/c"), std::string::npos) << error;
}

TEST(FolderWatcher, SeesWriteInPlaceRenameOverAndDeleteThenCreateInSubfolders) {
    vmtest::ScratchDir dir;
    fs::create_directories(dir.Path() / "sub");
    const fs::path top = dir.Path() / "timeline.txt", deep = dir.Path() / "sub" / "pig.fx";
    Write(top, "1");
    Write(deep, "1");
    live::FolderWatcher watcher;
    std::string error;
    ASSERT_TRUE(watcher.Watch(dir.Path(), &error)) << error;
    EXPECT_TRUE(watcher.Changed().empty());

    struct Save {
        const char* style;
        std::function<void(const fs::path&)> save;
    };
    const Save saves[] = {
        {"write in place",
         [](const fs::path& f) {
             std::ofstream out(f, std::ios::in | std::ios::out);
             out << "2";
         }},
        {"write then rename",
         [](const fs::path& f) {
             Write(f.parent_path() / ".pig.fx.swp", "3");
             fs::rename(f.parent_path() / ".pig.fx.swp", f);
         }},
        {"delete then create",
         [](const fs::path& f) {
             fs::remove(f);
             Write(f, "4");
         }},
    };
    for (const Save& s : saves) {
        for (const fs::path& file : {top, deep}) {
            s.save(file);
            EXPECT_EQ(watcher.Changed(), std::vector<fs::path>{file}) << s.style;
        }
    }
    // Several saves between two polls: each file once, in the order first seen; hidden files and
    // folders are left out.
    Write(deep, "5");
    Write(top, "5");
    Write(deep, "6");
    Write(dir.Path() / ".hidden", "x");
    fs::create_directory(dir.Path() / "newdir");
    EXPECT_EQ(watcher.Changed(), (std::vector<fs::path>{deep, top}));
    EXPECT_FALSE(watcher.Watch(dir.Path() / "absent", &error));
    EXPECT_NE(error.find("absent"), std::string::npos);
}

}  // namespace
