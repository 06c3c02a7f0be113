// The setup dialog's procedure against a scripted dialog and the fake adapter. (ShowSetupDialog,
// lol.txt and "hooo" are the Xvfb runs' part.)
#include <array>
#include <tuple>

#include "display/test_env.h"
#include "support/call_lines.h"

namespace {

using fake::Mode;
using vmtest::Lines;
using Ending = ui::DialogEnding;

class SetupDialogTest : public DisplayTest {
  protected:
    // Runs the procedure; what it printed, then per list "item|item|... [selection]", then the
    // states of the two boxes.
    Lines Run(ui::DialogScript script = {.endings = {}}) {
        dialog.SetScript(std::move(script));
        modeCount = 0;
        testing::internal::CaptureStdout();
        result = ui::DialogBoxParam(SetupDialogTemplate(), SetupDialogProc, 0);
        Lines lines{testing::internal::GetCapturedStdout()};
        const ui::ScriptedDialogRun& run = dialog.LastRun();
        for (int id : {IDC_RESOLUTION, IDC_MULTISAMPLE, IDC_ASPECT}) {
            std::string line;
            for (const std::string& item : *run.Items(id)) line += item + "|";
            lines.push_back(line + " [" + std::to_string(run.Selection(id)) + "]");
        }
        lines.push_back("boxes " + std::to_string(run.Checked(IDC_FULLSCREEN)) +
                        std::to_string(run.Checked(IDC_VSYNC)));
        return lines;
    }
    intptr_t result = 0;
};

TEST_F(SetupDialogTest, ListsTheModesFromWidth640AndPreselectsTheLast800x600) {
    adapter.modes = {Mode(320, 240, 60),  Mode(600, 2000, 60), Mode(640, 480, 60),
                     Mode(1024, 400, 85), Mode(800, 600, 60),  Mode(800, 600, 75)};
    EXPECT_LINES(Run(), (Lines{" 0 = 2 -> 2\n 1 = 3 -> 3\n 2 = 4 -> 4\n 3 = 5 -> 5\n",
                               " 2:  640x 480@60Hz| 3: 1024x 400@85Hz| 4:  800x 600@60Hz| 5:  "
                               "800x 600@75Hz| [3]",
                               "No Multisampling|2x Multisampling|4x Multisampling| [1]",
                               "4:3|16:10|16:9| [0]", "boxes 11"}));
    EXPECT_EQ((std::array{modeCount, modeTable[0], modeTable[3], modeTable[4], modeTable[199]}),
              (std::array{4, 2, 5, -1, -1}));
    adapter.modes.resize(4);  // no 800 x 600: the first entry
    EXPECT_EQ(Run()[1], " 2:  640x 480@60Hz| 3: 1024x 400@85Hz| [0]");
    adapter.modes.assign(250, Mode(1024, 768, 60));  // the table holds 200
    Run();
    EXPECT_EQ((std::array{modeCount, modeTable[199]}), (std::array{200, 199}));
    EXPECT_EQ(dialog.LastRun().Items(IDC_RESOLUTION)->size(), 200u);
}

TEST_F(SetupDialogTest, MultisamplingListsUpToTheFirstRejectionAndAspectFollowsTheDesktop) {
    const struct {
        std::vector<uint32_t> supported;
        gfx::DisplayMode desktop;
        size_t listed;
        int multisampling, aspect;
    } cases[] = {
        {{0, 2}, Mode(1280, 1024, 60), 2, 0, 0},
        {{0, 2, 4, 8}, Mode(1280, 800, 60), 3, 1, 1},
        {{0}, Mode(1366, 768, 60), 1, 0, 2},
        {{0, 2, 4, 6, 8, 10, 12, 14, 16}, Mode(1920, 1200, 60), 9, 1, 1},
    };
    adapter.modes = {Mode(800, 600, 60)};
    for (const auto& c : cases) {
        adapter.supportedSamples = c.supported;
        adapter.desktop = c.desktop;
        Run();
        const ui::ScriptedDialogRun& run = dialog.LastRun();
        EXPECT_EQ(std::tuple(run.Items(IDC_MULTISAMPLE)->size(), run.Selection(IDC_MULTISAMPLE),
                             run.Selection(IDC_ASPECT)),
                  std::tuple(c.listed, c.multisampling, c.aspect))
            << c.desktop.Width << "x" << c.desktop.Height;
    }
}

TEST_F(SetupDialogTest, RunStoresTheChoicesAndNeedsAListedMode) {
    adapter.modes = {Mode(320, 200, 70), Mode(800, 600, 60), Mode(1280, 1024, 75)};
    adapter.supportedSamples = {0, 2, 4, 6, 8};
    const Lines shown =
        Run({.selections = {{IDC_RESOLUTION, 1}, {IDC_ASPECT, 1}, {IDC_MULTISAMPLE, 4}},
             .checks = {{IDC_FULLSCREEN, ui::BST_UNCHECKED}},
             .endings = {Ending::Command(ui::IDOK)}});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(shown[0], " 0 = 1 -> 1\n 1 = 2 -> 2\ndismode to udse = 2   off = 1  2\n");
    const DisplaySettings& s = displaySettings;
    EXPECT_EQ(std::tuple(s.screenWidth, s.screenHeight, s.refreshRate, s.ratio, s.fullscreen,
                         s.vsync, s.multiSample, s.renderHeight),
              std::tuple(1280u, 1024u, 75u, 1.6f, false, true, 8u, 0));  // area: later
    EXPECT_EQ(adapter.enumerated.back(), 2u);  // the chosen mode asked again

    // Only narrow modes, or none (with its box): Run does nothing, Exit ends the dialog.
    displaySettings = {};
    adapter.modes = {Mode(320, 240, 60)};
    Run({.endings = {Ending::Command(ui::IDOK), Ending::Command(ui::IDCANCEL)}});
    EXPECT_EQ(result, 0);
    adapter.modes.clear();
    EXPECT_LINES(Run({.endings = {Ending::Command(ui::IDOK)}}),
                 (Lines{"", " [-1]", " [-1]", " [-1]", "boxes 11"}));
    EXPECT_EQ(result, -1);  // still open
    EXPECT_EQ(boxes, (Boxes{{"Somethings Terribly Wrong", "GetAdapterModeCount = 0", ui::MB_OK}}));
    EXPECT_EQ(displaySettings.screenWidth, 0u);
}

}  // namespace
