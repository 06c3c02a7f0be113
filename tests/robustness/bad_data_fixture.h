// A fixture for runs of the whole demo over a data folder that is valid except for what a test
// breaks: a 2-second soundtrack, the six meshes, four images, the effect files and a timeline that
// visits parts 1 to 6 and filters 0 to 7 in eight frames of a quarter second each.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/demo_data_folder.h"
#include "robustness/demo_process.h"

namespace robust {

constexpr const char* kSoundtrack = "vessmark/Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3";
constexpr const char* kBodyMesh = "vessmark/gris/gris.SCENEgrismesh_1.mesh";

class BadDataTest : public ::testing::Test {
  protected:
    void SetUp() override;

    std::filesystem::path Path(const std::string& relative) const {
        return folder_.Path() / relative;
    }
    std::vector<uint8_t> Read(const std::string& relative) const;
    void Write(const std::string& relative, const std::vector<uint8_t>& bytes) const;
    // Replaces the file with a named pipe (no writer: opening or reading it would block) or with
    // a directory of the same name.
    void MakePipe(const std::string& relative) const;
    void MakeDirectory(const std::string& relative) const;
    DemoRun Run(const RunOptions& options = {}) const {
        return RunHeadlessDemo(folder_.Path(), options);
    }

  private:
    demo_test::DemoDataFolder folder_;
};

// Nothing crashed, hung or leaked, no sanitizer spoke, and the program reached its end with this
// exit code.
void ExpectEnded(const DemoRun& run, int exitCode);
// Ended with 0 after loading everything and presenting every frame of the soundtrack.
void ExpectRanToTheEnd(const DemoRun& run);

}  // namespace robust
