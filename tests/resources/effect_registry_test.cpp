// Effect loading and the begin/pass/end protocol, with a fake compiler and recording effects.
#include "resources/effect_registry.h"

#include <gtest/gtest.h>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;
using vmtest::Lines;

class EffectRegistry : public ::testing::Test {
  protected:
    EffectRegistry() {
        compiler.Add("DefaultFilters/BlurFilter.fx", "Blur", 3);
        compiler.Add("two.fx", "two", 2);
        compiler.Add("notech.fx", "notech", 1, false);
        compiler.Add("warns.fx", "warns", 1, true, "warns.fx(3,1): warning: implicit truncation");
        Effect::SetCompiler(compiler.AsFunction());
    }
    ~EffectRegistry() override { Effect::SetCompiler(nullptr); }

    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    vmtest::FakeEffectCompiler compiler{&device.Log()};
    Effect effects;
};

TEST_F(EffectRegistry, LoadsWithDebugFlagAndIgnoresWarnings) {
    const char* list[] = {"DefaultFilters/BlurFilter.fx", "Blur", "warns.fx", "warns", nullptr};
    effects.Load(list);
    EXPECT_EQ(compiler.Compiled(), (Lines{"DefaultFilters/BlurFilter.fx", "warns.fx"}));
    EXPECT_EQ(compiler.LastFlags(), (std::vector<uint32_t>{1, 1}));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(effects.Find("Blur"), compiler.Made("Blur"));
    EXPECT_EQ(effects.Find("warns"), compiler.Made("warns"));
}

TEST_F(EffectRegistry, BeforeAnyLoadOrSelectionNothingIsFoundAndEachLookupSaysSo) {
    EXPECT_EQ(effects.CurrentRef(), nullptr);
    EXPECT_EQ(effects.GetCurrent(), nullptr);
    EXPECT_EQ(effects.Find("Blur"), nullptr);
    EXPECT_EQ(effects.Find(nullptr), nullptr);
    EXPECT_EQ(boxes.boxes,
              (Boxes{{"(null)", "No Match"}, {"Blur", "No Match"}, {"(null)", "No Match"}}));
    EXPECT_EQ(effects.Count(), 0u);
}

TEST_F(EffectRegistry, ACompilationErrorShowsTheMessagesAndEndsTheLoad) {
    compiler.AddFailure("bad.fx", gfx::D3DXERR_INVALIDDATA, "bad.fx(7,3): error: undeclared 'x'\n");
    const char* list[] = {"two.fx", "two",  "bad.fx", "bad", "DefaultFilters/BlurFilter.fx",
                          "Blur",   nullptr};
    effects.Load(list);
    EXPECT_EQ(compiler.Compiled(), (Lines{"two.fx", "bad.fx"}));
    EXPECT_EQ(
        boxes.boxes,
        (Boxes{{"bad.fx(7,3): error: undeclared 'x'\n", "Shader Compilation Error In [bad.fx]"}}));
    EXPECT_EQ(effects.Count(), 1u);
    effects.SetCurrentRef("bad");
    EXPECT_EQ(boxes.boxes.size(), 1u);  // selecting is silent
    EXPECT_EQ(effects.GetCurrent(), nullptr);
    effects.SetCurrentRef("Blur");
    EXPECT_EQ(effects.GetCurrent(), nullptr);
    EXPECT_EQ(boxes.boxes.back(), (vmtest::BoxRecorder::Box{"Blur", "No Match"}));
}

TEST_F(EffectRegistry, AMissingFileShowsTheCompilersMessageAndLongPathsAreCut) {
    const std::string longPath = std::string(200, 'p') + ".fx";
    const char* list[] = {longPath.c_str(), "long", nullptr};
    effects.Load(list);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, longPath + ": error: cannot open file");
    EXPECT_EQ(boxes.boxes[0].caption.size(), 163u);
    EXPECT_EQ(boxes.boxes[0].caption.rfind("Shader Compilation Error In [ppp", 0), 0u);
}

TEST_F(EffectRegistry, AFileWithoutANameShowsTheListError) {
    const char* list[] = {"two.fx", nullptr};
    effects.Load(list);
    EXPECT_TRUE(compiler.Compiled().empty());
    EXPECT_EQ(boxes.boxes, (Boxes{{"Check Your Effect ParamenterList\n", "Error"}}));
}

class EffectProtocol : public EffectRegistry {
  protected:
    EffectProtocol() {
        const char* list[] = {"two.fx", "two",  "DefaultFilters/BlurFilter.fx", "Blur", "notech.fx",
                              "notech", nullptr};
        effects.Load(list);
        device.ClearCalls();
    }
};

TEST_F(EffectProtocol, BeginsAndEndsTheRequestedPassOfTheCurrentEffect) {
    effects.SetCurrentRef("two");
    effects.GetCurrent()->SetFloat("radius", 1.5f);
    effects.Begin(1, nullptr);
    effects.End(nullptr);
    EXPECT_LINES(device.Calls(),
                 (Lines{"Effect[two].SetFloat(radius, 1.5)", "Effect[two].Begin(0)",
                        "Effect[two].BeginPass(1)", "Effect[two].EndPass()", "Effect[two].End()"}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(EffectProtocol, APassPastTheCountIsReportedAndEndStillRuns) {
    effects.SetCurrentRef("two");
    effects.Begin(2, nullptr);
    EXPECT_EQ(boxes.boxes, (Boxes{{"Effect[two] -  has MaxPasses[2] and cannot use Pass[2]\n",
                                   "Effect Error [Begin]"}}));
    effects.End(nullptr);
    EXPECT_LINES(device.Calls(),
                 (Lines{"Effect[two].Begin(0)", "Effect[two].EndPass()", "Effect[two].End()"}));
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(EffectProtocol, AnExplicitRefWinsAndLeavesCurrentRefAlone) {
    const char* current = "two";
    effects.SetCurrentRef(current);
    effects.Begin(2, "Blur");
    effects.End("Blur");
    EXPECT_LINES(device.Calls(), (Lines{"Effect[Blur].Begin(0)", "Effect[Blur].BeginPass(2)",
                                        "Effect[Blur].EndPass()", "Effect[Blur].End()"}));
    EXPECT_EQ(effects.CurrentRef(), current);
}

TEST_F(EffectProtocol, BeginsWithoutAUsableEffectAreReportedAndTouchNoEffect) {
    effects.Begin(0, nullptr);  // neither a ref nor a current ref
    effects.End(nullptr);
    effects.Begin(0, "notech");
    effects.SetCurrentRef("nothing");
    effects.Begin(0, nullptr);
    effects.End(nullptr);
    EXPECT_EQ(boxes.boxes,
              (Boxes{{"CurrentRef & Ref == NULL", "Effect"},
                     {"CurrentRef & Ref == NULL", "Effect"},
                     {"Begin[Ref == notech] Doesn't Have An Current Technique", "Effect->Begin"},
                     {"nothing", "No Match"},
                     {"nothing", "No Match"}}));
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(EffectProtocol, LongNamesAreCutToTheMessageBuffer) {
    const std::string name(80, 'n');
    compiler.Add("long.fx", name, 1);
    const char* list[] = {"long.fx", name.c_str(), nullptr};
    effects.Load(list);
    effects.Begin(5, name.c_str());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "Effect[" + name.substr(0, 56));
    EXPECT_EQ(boxes.boxes[0].caption, "Effect Error [Begin]");
}

TEST_F(EffectProtocol, ReleaseDropsOneReferenceOnEachEffect) {
    vmtest::FakeEffect* two = compiler.Made("two");
    two->AddRef();
    effects.Release();
    EXPECT_EQ(two->refs, 1u);
    EXPECT_EQ(compiler.Made("Blur")->refs, 0u);
    EXPECT_EQ(compiler.Made("Blur")->releasedTooOften, 0);
    EXPECT_EQ(effects.Count(), 0u);
}

}  // namespace
