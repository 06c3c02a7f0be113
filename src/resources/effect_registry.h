// Effect: the registry of compiled effects, with the current-effect name and the begin/pass/end
// protocol every draw uses:
//   SetCurrentRef("pig"); GetCurrent()->Set...(...); Begin(pass, nullptr); draw; End(nullptr);
// Begin/End with a null ref use CurrentRef. Every failure shows a box and does nothing more.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/fx/fx.h"
#include "resources/registry.h"

class Effect : public Registry<fx::Effect> {
  public:
    // How an effect file is compiled; fx::CreateEffectFromFile unless a test replaced it.
    using Compiler = std::function<gfx::HRESULT(gfx::Device*, const char* path, uint32_t flags,
                                                fx::Effect** effect, std::string* messages)>;
    static void SetCompiler(Compiler compiler);  // empty: back to fx::CreateEffectFromFile
    // Compiles one file as Load does (flags 1, g_device), without a box.
    static gfx::HRESULT Compile(const char* path, fx::Effect** effect, std::string* messages);

    Effect() = default;
    ~Effect();

    // Compiles each file (flags 1) on g_device; stops at the first failure with a box showing the
    // compiler's messages under "Shader Compilation Error In [path]".
    void Load(ParameterList list);

    void SetCurrentRef(const char* name) { currentRef_ = name; }
    const char* CurrentRef() const { return currentRef_; }
    // Find(CurrentRef); null (after a "No Match" box) also while no name was set.
    fx::Effect* GetCurrent() const;

    // Begins the current technique and the given pass of the effect named ref (or CurrentRef).
    void Begin(uint32_t pass, const char* ref);
    // Ends the pass and the technique; also after a Begin that failed.
    void End(const char* ref);

    // Drops one reference on every effect; run at exit by the destructor.
    void Release();

  private:
    const char* currentRef_ = nullptr;
};
