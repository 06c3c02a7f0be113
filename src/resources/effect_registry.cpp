#include "resources/effect_registry.h"

#include <cstdio>
#include <utility>

#include "display/device_globals.h"
#include "platform/ui/ui.h"

namespace {

Effect::Compiler& CompilerSlot() {
    static Effect::Compiler compiler;
    return compiler;
}

// The effect a Begin or End names: its own ref, else the current one; neither is reported.
const char* RefOrCurrent(const char* ref, const char* current) {
    const char* name = ref != nullptr ? ref : current;
    if (name == nullptr) ui::MessageBox("CurrentRef & Ref == NULL", "Effect");
    return name;
}

}  // namespace

gfx::HRESULT Effect::Compile(const char* path, fx::Effect** effect, std::string* messages) {
    const Compiler& compiler = CompilerSlot();
    if (compiler) return compiler(g_device, path, fx::D3DXSHADER_DEBUG, effect, messages);
    return fx::CreateEffectFromFile(g_device, path, fx::D3DXSHADER_DEBUG, effect, messages);
}

void Effect::SetCompiler(Compiler compiler) {
    CompilerSlot() = std::move(compiler);
}

Effect::~Effect() {
    Release();
}

void Effect::Release() {
    ReleaseAll([](fx::Effect* effect) { effect->Release(); });
}

void Effect::Load(ParameterList list) {
    Walk(list, "Check Your Effect ParamenterList\n", "Error",
         [](const char* path, const char*) -> fx::Effect* {
             fx::Effect* effect = nullptr;
             std::string messages;
             const gfx::HRESULT result = Compile(path, &effect, &messages);
             if (!gfx::Failed(result) && effect != nullptr) return effect;  // warnings: dropped
             if (effect != nullptr) effect->Release();
             char caption[164];
             std::snprintf(caption, sizeof caption, "Shader Compilation Error In [%s]", path);
             if (messages.empty())
                 messages = std::string(path) + ": the effect could not be created";
             ui::MessageBox(messages.c_str(), caption);
             return nullptr;
         });
}

fx::Effect* Effect::GetCurrent() const {
    return Find(currentRef_);
}

void Effect::Begin(uint32_t pass, const char* ref) {
    const char* name = RefOrCurrent(ref, currentRef_);
    if (name == nullptr) return;
    fx::Effect* effect = Find(name);
    if (effect == nullptr) return;
    char text[64];
    if (effect->GetCurrentTechnique() == nullptr) {
        std::snprintf(text, sizeof text, "Begin[Ref == %s] Doesn't Have An Current Technique",
                      name);
        ui::MessageBox(text, "Effect->Begin");
        return;
    }
    uint32_t passes = 0;
    effect->Begin(&passes, 0);
    if (pass >= passes) {
        std::snprintf(text, sizeof text,
                      "Effect[%s] -  has MaxPasses[%d] and cannot use Pass[%d]\n", name,
                      static_cast<int>(passes), static_cast<int>(pass));
        ui::MessageBox(text, "Effect Error [Begin]");
        return;
    }
    effect->BeginPass(pass);
}

void Effect::End(const char* ref) {
    const char* name = RefOrCurrent(ref, currentRef_);
    if (name == nullptr) return;
    fx::Effect* effect = Find(name);
    if (effect == nullptr) return;
    effect->EndPass();
    effect->End();
}
