// Effect figures: cold compile time of eight effects, and the cost of setting parameters plus
// CommitChanges inside a pass. Prints figures; asserts nothing.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::string data = argc > 1 ? argv[1] : VM_FX_BENCH_DATA;
    gfx::Config config;
    config.provider = gfx::ContextProvider::Headless;
    gfx::Configure(config);
    gfx::Adapter* adapter = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
    if (!adapter) return 1;
    gfx::PresentParameters pp;
    pp.BackBufferWidth = 320;
    pp.BackBufferHeight = 180;
    pp.BackBufferFormat = gfx::D3DFMT_X8R8G8B8;
    pp.Windowed = 1;
    gfx::Device* device = nullptr;
    if (gfx::Failed(adapter->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, nullptr,
                                          gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device)))
        return 1;

    // Eight effects of 50 to 110 lines: the two realistic files, each varied so nothing is shared.
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "fx_bench";
    fs::create_directories(dir);
    const std::string sources[] = {Read(data + "/pig.fx"), Read(data + "/gaussian.fx")};
    if (sources[0].empty() || sources[1].empty()) {
        std::fprintf(stderr, "cannot read pig.fx and gaussian.fx in %s\n", data.c_str());
        return 1;
    }
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i) {
        std::string text = sources[i % 2] + "\n// variant " + std::to_string(i) + "\n";
        paths.push_back((dir / ("effect" + std::to_string(i) + ".fx")).string());
        std::ofstream(paths.back()) << text;
    }
    std::vector<fx::Effect*> effects;
    auto start = Clock::now();
    double first = 0;
    for (const std::string& path : paths) {
        auto t0 = Clock::now();
        fx::Effect* effect = nullptr;
        std::string messages;
        if (gfx::Failed(fx::CreateEffectFromFile(device, path.c_str(), 0, &effect, &messages))) {
            std::fprintf(stderr, "%s", messages.c_str());
            return 1;
        }
        if (effects.empty()) first = Ms(Clock::now() - t0);
        effects.push_back(effect);
    }
    double total = Ms(Clock::now() - start);
    std::printf(
        "cold compile: 8 effects %.1f ms (first %.1f ms with glslang start-up, then %.1f ms "
        "each)\n",
        total, first, (total - first) / 7);

    // Parameter updates inside a pass, as the pig scene does per mesh.
    fx::Effect* pig = effects[0];
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    const float color[4] = {1, 0.5f, 0.25f, 1};
    uint32_t passes = 0;
    pig->Begin(&passes, 0);
    pig->BeginPass(0);
    const int rounds = 20000;
    auto t0 = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        pig->SetMatrix("matWorldViewProjection", m);
        pig->SetMatrix("matWorldView", m);
        pig->SetMatrix("matWorld", m);
        pig->SetFloatArray("DiffuseColor", color, 4);
        pig->SetFloat("FogEnd", static_cast<float>(i));
        pig->CommitChanges();
    }
    double perRound = Ms(Clock::now() - t0) * 1000.0 / rounds;
    pig->EndPass();
    pig->End();
    auto t1 = Clock::now();
    for (int i = 0; i < rounds; ++i) pig->SetFloat("FogEnd", static_cast<float>(i));
    double perSet = Ms(Clock::now() - t1) * 1000.0 / rounds;
    std::printf("5 parameter sets + CommitChanges: %.2f us; one SetFloat by name: %.3f us\n",
                perRound, perSet);

    for (fx::Effect* e : effects) e->Release();
    device->Release();
    adapter->Release();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
