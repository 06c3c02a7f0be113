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
        compiler.Add("two.fx", "two", 2);
        compiler.Add("blur.fx", "Blur", 3, true, "blur.fx(3,1): warning: implicit truncation");
        compiler.Add("notech.fx", "notech", 1, false);
        compiler.Add("bad.fx", "", 0, false, "bad.fx(7,3): error: undeclared 'x'\n",
                     gfx::D3DXERR_INVALIDDATA);
        Effect::SetCompiler(compiler.AsFunction());
    }
    ~EffectRegistry() override { Effect::SetCompiler(nullptr); }
    void Load() {
        const char* list[] = {"two.fx", "two", "blur.fx", "Blur", "notech.fx", "notech", nullptr};
        effects.Load(list);
        device.ClearCalls();
    }

    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    vmtest::FakeEffectCompiler compiler{&device};
    Effect effects;
};

TEST_F(EffectRegistry, LoadsWithTheDebugFlagUntilAnErrorWhoseMessagesAreShown) {
    const std::string longPath = std::string(200, 'p') + ".fx";
    const char* lists[][7] = {{"blur.fx", "Blur", "bad.fx", "bad", "two.fx", "two", nullptr},
                              {longPath.c_str(), "long", nullptr},
                              {"two.fx", nullptr}};
    for (const auto& list : lists) effects.Load(list);
    EXPECT_LINES(device.Calls(), (Lines{"Compile(blur.fx, 1)", "Compile(bad.fx, 1)",
                                        "Compile(" + longPath + ", 1)"}));
    EXPECT_EQ(
        boxes.boxes,
        (Boxes{{"bad.fx(7,3): error: undeclared 'x'\n", "Shader Compilation Error In [bad.fx]"},
               {longPath + ": error: cannot open file",
                "Shader Compilation Error In [" + longPath.substr(0, 134)},
               {"Check Your Effect ParamenterList\n", "Error"}}));
    EXPECT_EQ(effects.Count(), 1u);
    EXPECT_EQ(effects.Find("Blur"), compiler.Made("Blur"));  // warnings are no error
}

TEST_F(EffectRegistry, BeginsAndEndsThePassOfTheCurrentEffectOrOfAnExplicitRef) {
    EXPECT_EQ(effects.GetCurrent(), nullptr);  // nothing loaded or selected
    Load();
    effects.SetCurrentRef("two");
    effects.GetCurrent()->SetFloat("radius", 1.5f);
    effects.Begin(1, nullptr);
    effects.End(nullptr);
    effects.Begin(2, "Blur");
    effects.End("Blur");
    EXPECT_STREQ(effects.CurrentRef(), "two");
    EXPECT_LINES(device.Calls(),
                 (Lines{"Effect[two].SetFloat(radius, 1.5)", "Effect[two].Begin(0)",
                        "Effect[two].BeginPass(1)", "Effect[two].EndPass()", "Effect[two].End()",
                        "Effect[Blur].Begin(0)", "Effect[Blur].BeginPass(2)",
                        "Effect[Blur].EndPass()", "Effect[Blur].End()"}));
    EXPECT_EQ(boxes.boxes, (Boxes{{"(null)", "No Match"}}));
}

TEST_F(EffectRegistry, BeginsWithoutAUsableEffectOrPassAreReportedAndEndStillRuns) {
    Load();
    effects.Begin(0, nullptr);  // neither a ref nor a current ref
    effects.End(nullptr);
    effects.Begin(0, "notech");
    effects.SetCurrentRef("nothing");
    effects.Begin(0, nullptr);
    effects.SetCurrentRef("two");
    effects.Begin(2, nullptr);
    effects.End(nullptr);
    EXPECT_EQ(boxes.boxes,
              (Boxes{{"CurrentRef & Ref == NULL", "Effect"},
                     {"CurrentRef & Ref == NULL", "Effect"},
                     {"Begin[Ref == notech] Doesn't Have An Current Technique", "Effect->Begin"},
                     {"nothing", "No Match"},
                     {"Effect[two] -  has MaxPasses[2] and cannot use Pass[2]\n",
                      "Effect Error [Begin]"}}));
    EXPECT_LINES(device.Calls(),
                 (Lines{"Effect[two].Begin(0)", "Effect[two].EndPass()", "Effect[two].End()"}));
}

}  // namespace
