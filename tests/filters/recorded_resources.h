// The filter set and the scene assets loaded once per test program onto a recording device (screen
// 1280 x 1024, render area 1280 x 720, offset 152), with fake effects, and released again before
// the program's static resource objects are destroyed. Normalized() reads the device log by role:
//   "target halfTargetA"  render target 0 set to that render texture (or "backbuffer")
//   "draw renderQuad"     a DrawIndexedPrimitive of that grid or pig mesh
//   texture labels in SetTexture lines become render texture or image names
// Surface bookkeeping (Get*/SetDepthStencilSurface, StretchRect, buffers, declarations) is left
// out.
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
    void ClearLog() { device.ClearCalls(); }
    FakeEffect* Effect(const std::string& label) const { return compiler.Made(label); }

    RecordingDevice device{1280, 1024};
    FakeEffectCompiler compiler{&device.Log()};
    BoxRecorder boxes;

  private:
    RecordedResources() = default;
    void NameObjects();
    std::string Role(const std::string& label) const;

    std::vector<std::pair<std::string, std::string>> roles_;  // device label -> role
};

// A one-triangle mesh file (format bits 7, stride 32) whose only key puts it at position.
void WriteTriangleMesh(const std::string& path, float x, float y, float z, bool withKey);

}  // namespace vmtest
