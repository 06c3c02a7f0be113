// The setup dialog's procedure against a scripted dialog and a fake adapter.
#include "display/display.h"
#include "display/test_env.h"

namespace {

using fake::Mode;

class SetupDialogTest : public DisplayTest {
  protected:
    // Runs the procedure through the scripted dialog; returns what was printed.
    std::string RunDialog(ui::DialogScript script, intptr_t* result = nullptr) {
        dialog.SetScript(std::move(script));
        testing::internal::CaptureStdout();
        const intptr_t r = ui::DialogBoxParam(SetupDialogTemplate(), SetupDialogProc, 0);
        if (result != nullptr) *result = r;
        return testing::internal::GetCapturedStdout();
    }
    const ui::ScriptedDialogRun& Run() const { return dialog.LastRun(); }
    static ui::DialogScript OpenOnly() { return {.endings = {}}; }
};

TEST_F(SetupDialogTest, ResolutionListSkipsNarrowModesAndPreselectsTheLast800x600) {
    adapter.modes = {Mode(320, 240, 60),   Mode(512, 384, 60),  Mode(600, 2000, 60),
                     Mode(640, 480, 60),   Mode(1024, 400, 85), Mode(1024, 768, 60),
                     Mode(1920, 1080, 144)};
    const std::string out = RunDialog(OpenOnly());
    ASSERT_NE(Run().Items(IDC_RESOLUTION), nullptr);
    EXPECT_EQ(*Run().Items(IDC_RESOLUTION),
              (std::vector<std::string>{" 3:  640x 480@60Hz", " 4: 1024x 400@85Hz",
                                        " 5: 1024x 768@60Hz", " 6: 1920x1080@144Hz"}));
    EXPECT_EQ(out, " 0 = 3 -> 3\n 1 = 4 -> 4\n 2 = 5 -> 5\n 3 = 6 -> 6\n");
    EXPECT_EQ(modeCount, 4);
    EXPECT_EQ((std::array{modeTable[0], modeTable[1], modeTable[2], modeTable[3], modeTable[4],
                          modeTable[199]}),
              (std::array{3, 4, 5, 6, -1, -1}));
    EXPECT_EQ(Run().Selection(IDC_RESOLUTION), 0);  // no 800 x 600: the first listed mode
    // Both boxes start checked.
    EXPECT_EQ(Run().Checked(IDC_FULLSCREEN), ui::BST_CHECKED);
    EXPECT_EQ(Run().Checked(IDC_VSYNC), ui::BST_CHECKED);

    // With 800 x 600 listed, its last entry is preselected.
    adapter.modes = {Mode(640, 480, 60), Mode(800, 600, 60),  Mode(800, 600, 72),
                     Mode(800, 600, 75), Mode(1024, 768, 60), Mode(800, 601, 60)};
    modeCount = 0;
    RunDialog(OpenOnly());
    EXPECT_EQ(Run().Selection(IDC_RESOLUTION), 3);
    EXPECT_EQ(Run().Items(IDC_RESOLUTION)->at(3), " 3:  800x 600@75Hz");
}

TEST_F(SetupDialogTest, MultisamplingListIsThePrefixUpToTheFirstRejection) {
    struct Case {
        std::vector<uint32_t> supported;
        size_t listed;
        int selected;
    };
    const Case cases[] = {
        {{0, 2, 4}, 3, 1},                        // rejects 6x: three entries, 2x chosen
        {{0, 2}, 2, 0},                           // only 2x: "No Multisampling" chosen
        {{0, 2, 4, 8, 16}, 3, 1},                 // 6x rejected ends the list before 8x
        {{0, 2, 4, 6, 8, 10, 12, 14, 16}, 9, 1},  // everything
        {{0}, 1, 0},
    };
    adapter.modes = {Mode(800, 600, 60)};
    for (const Case& c : cases) {
        adapter.supportedSamples = c.supported;
        adapter.windowedAsked.clear();
        modeCount = 0;
        RunDialog(OpenOnly());
        const auto& items = *Run().Items(IDC_MULTISAMPLE);
        ASSERT_EQ(items.size(), c.listed);
        for (size_t p = 0; p < items.size(); ++p) EXPECT_EQ(items[p], kMultiSampleNames[p]);
        EXPECT_EQ(Run().Selection(IDC_MULTISAMPLE), c.selected);
        for (int32_t windowed : adapter.windowedAsked)
            EXPECT_EQ(windowed, 0);  // always asks full screen
    }
}

TEST_F(SetupDialogTest, AspectPreselectionFollowsTheDesktopShape) {
    const std::pair<gfx::DisplayMode, int> cases[] = {
        {Mode(1024, 768, 60), 0},  {Mode(1280, 1024, 60), 0}, {Mode(1280, 800, 60), 1},
        {Mode(1680, 1050, 60), 1}, {Mode(1920, 1200, 60), 1}, {Mode(1366, 768, 60), 2},
        {Mode(1280, 720, 60), 2},  {Mode(1920, 1080, 60), 2}, {Mode(2560, 1080, 60), 2},
    };
    adapter.modes = {Mode(800, 600, 60)};
    for (const auto& [desktop, selected] : cases) {
        adapter.desktop = desktop;
        modeCount = 0;
        RunDialog(OpenOnly());
        EXPECT_EQ(*Run().Items(IDC_ASPECT), (std::vector<std::string>{"4:3", "16:10", "16:9"}));
        EXPECT_EQ(Run().Selection(IDC_ASPECT), selected) << desktop.Width << "x" << desktop.Height;
    }
}

TEST_F(SetupDialogTest, RunStoresTheChoices) {
    adapter.modes = {Mode(320, 200, 70), Mode(800, 600, 60), Mode(1280, 1024, 75)};
    adapter.supportedSamples = {0, 2, 4, 6, 8};
    intptr_t result = 0;
    const std::string out =
        RunDialog({.selections = {{IDC_RESOLUTION, 1}, {IDC_ASPECT, 1}, {IDC_MULTISAMPLE, 4}},
                   .checks = {{IDC_FULLSCREEN, ui::BST_UNCHECKED}},
                   .endings = {ui::DialogEnding::Command(ui::IDOK)}},
                  &result);
    EXPECT_EQ(result, 1);
    EXPECT_NE(out.find("dismode to udse = 2   off = 1  2\n"), std::string::npos) << out;
    EXPECT_EQ(displaySettings.screenWidth, 1280u);
    EXPECT_EQ(displaySettings.screenHeight, 1024u);
    EXPECT_EQ(displaySettings.refreshRate, 75u);
    EXPECT_EQ(displaySettings.ratio, 1.6f);
    EXPECT_FALSE(displaySettings.fullscreen);
    EXPECT_TRUE(displaySettings.vsync);
    EXPECT_EQ(displaySettings.multiSample, 8u);
    EXPECT_EQ(adapter.enumerated.back(), 2u);    // Run enumerates the chosen mode again
    EXPECT_EQ(displaySettings.renderHeight, 0);  // derived later, by ShowSetupDialog
}

TEST_F(SetupDialogTest, NoModesShowsTheBoxAndRunKeepsTheDialogOpen) {
    intptr_t result = 0;
    const std::string out = RunDialog({.endings = {ui::DialogEnding::Command(ui::IDOK)}}, &result);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Somethings Terribly Wrong");
    EXPECT_EQ(boxes[0].caption, "GetAdapterModeCount = 0");
    EXPECT_EQ(boxes[0].type, ui::MB_OK);
    EXPECT_TRUE(Run().Items(IDC_RESOLUTION)->empty());
    EXPECT_TRUE(Run().Items(IDC_MULTISAMPLE)->empty());
    EXPECT_TRUE(Run().Items(IDC_ASPECT)->empty());
    EXPECT_EQ(result, -1);  // still open after Run
    EXPECT_EQ(out, "");
    EXPECT_EQ(displaySettings.screenWidth, 0u);
}

TEST_F(SetupDialogTest, OnlyNarrowModesLeaveRunWithoutEffect) {
    adapter.modes = {Mode(320, 240, 60), Mode(512, 384, 60)};
    intptr_t result = 0;
    RunDialog(
        {.endings = {ui::DialogEnding::Command(ui::IDOK), ui::DialogEnding::Command(ui::IDCANCEL)}},
        &result);
    EXPECT_EQ(result, 0);  // Run did nothing, Exit then ended it
    EXPECT_EQ(displaySettings.screenWidth, 0u);
}

TEST_F(SetupDialogTest, ListingStopsAtTwoHundredModes) {
    adapter.modes.assign(250, Mode(1024, 768, 60));
    RunDialog(OpenOnly());
    EXPECT_EQ(modeCount, 200);
    EXPECT_EQ(Run().Items(IDC_RESOLUTION)->size(), 200u);
    EXPECT_EQ(modeTable[199], 199);
}

TEST_F(SetupDialogTest, CloseBoxEndsTheProcessWithZeroAndWritesNothing) {
    adapter.modes = {Mode(800, 600, 60)};
    dialog.SetScript({.endings = {ui::DialogEnding::Close()}});
    Display display;  // may make a real adapter first; the fake takes its place
    if (g_d3d != nullptr && g_d3d != &adapter) g_d3d->Release();
    g_d3d = &adapter;
    int code = -1;
    testing::internal::CaptureStdout();
    try {
        display.ShowSetupDialog();
        ADD_FAILURE() << "the close box must end the process";
    } catch (const ExitCalled& e) {
        code = e.code;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    g_d3d = nullptr;
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(dialog.LastRun().ended);
    EXPECT_EQ(dialog.LastRun().result, 0);
    EXPECT_FALSE(std::filesystem::exists("lol.txt"));
    EXPECT_EQ(out.find("hooo"), std::string::npos);
    EXPECT_EQ(out.find("screen ="), std::string::npos);
}

class ShowSetupDialogTest : public SetupDialogTest {
  protected:
    bool Show(std::string* out) {
        testing::internal::CaptureStdout();
        const bool shown = display_->ShowSetupDialog();
        *out = testing::internal::GetCapturedStdout();
        return shown;
    }
    void SetUp() override {
        SetupDialogTest::SetUp();
        display_ = std::make_unique<Display>();
        if (g_d3d != nullptr && g_d3d != &adapter) g_d3d->Release();
        g_d3d = &adapter;
        boxes.clear();
        adapter.modes = {Mode(640, 480, 60), Mode(1024, 768, 60)};
        adapter.desktop = Mode(1920, 1080, 60);
    }
    void TearDown() override {
        g_d3d = nullptr;  // the fake is not released by the display
        display_.reset();
        SetupDialogTest::TearDown();
    }
    std::unique_ptr<Display> display_;
};

TEST_F(ShowSetupDialogTest, RunDerivesTheAreaAndWritesLolTxt) {
    dialog.SetScript({.selections = {{IDC_RESOLUTION, 1}}});
    std::string out;
    ASSERT_TRUE(Show(&out));
    const std::string lines =
        "screen = 1024x768@60\nrender = 1024x768\noffset = 0\nratio  = 1.777778\nms = 2\n";
    EXPECT_EQ(out, " 0 = 0 -> 0\n 1 = 1 -> 1\ndismode to udse = 1   off = 1  2\n" + lines);
    EXPECT_EQ(ReadFile("lol.txt"), lines);
}

TEST_F(ShowSetupDialogTest, ExitPrintsHoooAndWritesNothing) {
    dialog.SetScript({.endings = {ui::DialogEnding::Command(ui::IDCANCEL)}});
    std::string out;
    EXPECT_FALSE(Show(&out));
    EXPECT_EQ(out, " 0 = 0 -> 0\n 1 = 1 -> 1\nhooo");
    EXPECT_FALSE(display_->setupDialogFailed);
    EXPECT_FALSE(std::filesystem::exists("lol.txt"));
    EXPECT_EQ(displaySettings.screenWidth, 0u);
}

TEST_F(ShowSetupDialogTest, NoDialogOrNoAdapterReturnsFalse) {
    ui::Configure({.headless = true});  // no hook: no dialog can be shown
    std::string out;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Show(&out));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be shown"), std::string::npos);
    EXPECT_TRUE(display_->setupDialogFailed);
    InstallUi();
    g_d3d = nullptr;
    EXPECT_FALSE(Show(&out));
    EXPECT_FALSE(dialog.LastRun().ran);
    EXPECT_FALSE(std::filesystem::exists("lol.txt"));
}

}  // namespace
