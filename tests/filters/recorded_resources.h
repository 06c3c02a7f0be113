// The filter set and the scene assets loaded once per test program onto a recording device (screen
// 1280 x 1024, render area 1280 x 720, offset 152) with fake effects; they stay loaded until the
// program ends. The fakes the loading made are renamed by role: a render texture's texture and
// target "sceneTarget", grids and meshes by their vertex buffers "renderQuad", "g1", images "eyes".
// Normalized() keeps of the device log the effect calls, scenes, clears and render states, with
//   "target halfTargetA"  render target 0 set to that render texture (or "backbuffer")
//   "draw renderQuad"     a DrawIndexedPrimitive of that grid or pig mesh
#pragma once

#include <string>
#include <vector>

#include "support/recording_device.h"

namespace vmtest {

class RecordedResources {
  public:
    // First call loads the filters (and the scene assets when withScene); later calls reuse them.
    static RecordedResources& Get(bool withScene = false);

    std::vector<std::string> Normalized() const;
    FakeEffect* Effect(const std::string& label) const { return compiler.Made(label); }

    RecordingDevice device;
    FakeEffectCompiler compiler{&device};
    BoxRecorder boxes;
};

}  // namespace vmtest
