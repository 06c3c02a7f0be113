// A fixture for runs of the whole demo over a data folder that is valid except for what a test
// breaks: a 2-second soundtrack, the six meshes, four images, the effect files and a timeline that
// visits parts 1 to 6 and filters 0 to 7 in eight frames of a quarter second each.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/demo_data_folder.h"
#include "robustness/demo_process.h"

namespace robust {

using Bytes = std::vector<uint8_t>;

constexpr const char* kSoundtrack = "vessmark/Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3";
constexpr const char* kBodyMesh = "vessmark/gris/gris.SCENEgrismesh_1.mesh";  // "g2"
constexpr double kSoundtrackSeconds = 2.0;
constexpr long kFullRunFrames = 8;  // 2 s in quarter-second frames

// Little-endian writers for building hostile files.
void Put32(Bytes& b, uint32_t v);
void PutF(Bytes& b, float f);
void Set32(Bytes& b, size_t offset, uint32_t v);
void Set16(Bytes& b, size_t offset, uint16_t v);

struct Key {
    uint32_t row;
    float value;
    int8_t kind;
};
Bytes TrackFile(const std::vector<Key>& keys);

class BadDataTest : public ::testing::Test {
  protected:
    void SetUp() override;

    std::filesystem::path Path(const std::string& relative) const {
        return folder_->Path() / relative;
    }
    Bytes Read(const std::string& relative) const;
    std::string ReadText(const std::string& relative) const;
    void Write(const std::string& relative, const Bytes& bytes) const;
    void Write(const std::string& relative, const std::string& text) const;
    // Replaces the file with an empty directory of the same name.
    void MakeDirectory(const std::string& relative) const;
    void Remove(const std::string& relative) const;
    // Makes the file unreadable; false when that does not stop this process reading it (root).
    bool MakeUnreadable(const std::string& relative) const;

    DemoRun Run(const RunOptions& options = {}) const;
    // Runs the demo with the file unreadable (where permissions stop this user), missing, and
    // replaced by a directory, handing each run to check.
    void RunUnopenable(
        const std::string& relative,
        const std::function<void(const char* what, const DemoRun& run)>& check) const;

  private:
    std::unique_ptr<demo_test::DemoDataFolder> folder_;
};

// Nothing crashed, hung or leaked, and no sanitizer spoke.
void ExpectSurvived(const DemoRun& run);
// Survived, exit code 0, and every frame of the soundtrack was presented.
void ExpectRanToTheEnd(const DemoRun& run);

}  // namespace robust
