// The effect on the OpenGL device: programs per (vertex, pixel) pair, one uniform buffer for the
// parameter block, GL sampler objects for sampler_state, render states through the device.
//
// Index of this file:
//  [SECTION] Samplers and GL objects
//  [SECTION] The effect
//  [SECTION] Creation from a file

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>

#include "platform/fx/fx.h"
#include "platform/fx/fx_effect_compiler.h"
#include "platform/fx/fx_effect_file.h"
#include "platform/fx/fx_fixed_function.h"
#include "platform/fx/fx_state_names.h"
#include "platform/gfx/gl_api.h"
#include "platform/gfx/gl_bridge.h"

namespace fx {

namespace {

using namespace detail;

constexpr GLuint kBlockBinding = 0;
constexpr uint32_t kDoNotSaveState = 1;  // D3DXFX_DONOTSAVESTATE

// [SECTION] Samplers and GL objects
// OpenGL ES 3.0 has neither border nor mirror-once addressing: the nearest it has stands in.
GLenum AddressMode(uint32_t mode, bool es) {
    (void)es;  // the browser build is ES throughout
    switch (mode) {
        case kAddressMirror:
            return GL_MIRRORED_REPEAT;
        case kAddressClamp:
            return GL_CLAMP_TO_EDGE;
#if VM_GL_DESKTOP
        case kAddressBorder:
            return es ? GL_CLAMP_TO_EDGE : GL_CLAMP_TO_BORDER;
        case kAddressMirrorOnce:
            return es ? GL_MIRRORED_REPEAT : GL_MIRROR_CLAMP_TO_EDGE;
#else
        case kAddressBorder:
            return GL_CLAMP_TO_EDGE;
        case kAddressMirrorOnce:
            return GL_MIRRORED_REPEAT;
#endif
        default:
            return GL_REPEAT;
    }
}

GLuint MakeSampler(const SamplerDecl& s, bool es) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    // Textures of the device have one level: a mipmapped minification filter would make them
    // incomplete (black), so MipFilter is read but not applied.
    GLint min = s.minFilter >= 2 ? GL_LINEAR : GL_NEAREST;
    GLint mag = s.magFilter >= 2 ? GL_LINEAR : GL_NEAREST;
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, min);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, mag);
    for (auto [axis, mode] :
         {std::pair{GL_TEXTURE_WRAP_S, s.addressU}, std::pair{GL_TEXTURE_WRAP_T, s.addressV},
          std::pair{GL_TEXTURE_WRAP_R, s.addressW}})
        glSamplerParameteri(sampler, axis, static_cast<GLint>(AddressMode(mode, es)));
#if VM_GL_DESKTOP
    if (!es) glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, s.borderColor);
#endif
    return sampler;
}

std::string InfoLog(GLuint object, bool program) {
    GLint length = 0;
    program ? glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length)
            : glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(std::max(length, 1)), '\0');
    program ? glGetProgramInfoLog(object, length, nullptr, log.data())
            : glGetShaderInfoLog(object, length, nullptr, log.data());
    log.resize(std::strlen(log.c_str()));
    while (!log.empty() && (log.back() == '\n' || log.back() == ' ')) log.pop_back();
    return log;
}

GLuint CompileGlsl(GLenum type, const std::string& source, std::string* log) {
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        *log = InfoLog(shader, false);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// [SECTION] The effect
class GlEffect final : public Effect {
  public:
    GlEffect(gfx::Device* device, std::unique_ptr<CompiledEffect> compiled)
        : device_(device), fx_(std::move(compiled)) {
        device_->AddRef();
        textures_.assign(fx_->prepass.textures.size(), nullptr);
        for (size_t t = 0; t < fx_->techniques.size(); ++t) {
            if (!fx_->techniques[t].empty()) {
                current_ = static_cast<int>(t);
                break;
            }
        }
    }

    // Creates GL objects; false with located errors.
    bool Build(std::vector<Diagnostic>* errors) {
        const bool es = gfx::gl::IsEsDevice(device_);
        for (const SamplerDecl& s : fx_->prepass.samplers) samplers_.push_back(MakeSampler(s, es));
        GLint size = 0;
        for (const auto& technique : fx_->techniques) {
            std::vector<GLuint> programs;
            for (const CompiledPass& pass : technique) {
                GLuint program = ProgramFor(pass, errors, &size);
                programs.push_back(program);
            }
            passPrograms_.push_back(std::move(programs));
        }
        if (!errors->empty()) return false;
        fx_->parameters.GrowBlock(
            static_cast<size_t>(size));  // GL may want more than SPIRV-Cross said
        if (!fx_->parameters.Block().empty()) {
            glGenBuffers(1, &ubo_);
            GLint previous = 0;
            glGetIntegerv(GL_UNIFORM_BUFFER_BINDING, &previous);
            glBindBuffer(GL_UNIFORM_BUFFER, ubo_);
            glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(fx_->parameters.Block().size()),
                         nullptr, GL_DYNAMIC_DRAW);
            glBindBuffer(GL_UNIFORM_BUFFER, static_cast<GLuint>(previous));
        }
        return true;
    }

    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override {
        uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT SetFloat(const char* name, float value) override {
        return name && fx_->parameters.SetFloat(name, value) ? gfx::D3D_OK
                                                             : gfx::D3DERR_INVALIDCALL;
    }
    HRESULT SetFloatArray(const char* name, const float* values, uint32_t count) override {
        return name && fx_->parameters.SetFloatArray(name, values, count) ? gfx::D3D_OK
                                                                          : gfx::D3DERR_INVALIDCALL;
    }
    HRESULT SetMatrix(const char* name, const float* matrix16) override {
        return name && fx_->parameters.SetMatrix(name, matrix16) ? gfx::D3D_OK
                                                                 : gfx::D3DERR_INVALIDCALL;
    }
    HRESULT SetTexture(const char* name, gfx::Texture* texture) override {
        int index = name ? fx_->TextureIndex(name) : -1;
        if (index < 0) return gfx::D3DERR_INVALIDCALL;
        if (texture) texture->AddRef();
        if (textures_[index]) textures_[index]->Release();
        textures_[index] = texture;
        texturesDirty_ = true;
        return gfx::D3D_OK;
    }

    TechniqueHandle GetCurrentTechnique() override {
        return current_ < 0 ? nullptr : &fx_->prepass.techniques[current_];
    }

    HRESULT Begin(uint32_t* passes, uint32_t flags) override {
        if (passes) *passes = 0;
        if (current_ < 0 || begun_) return gfx::D3DERR_INVALIDCALL;
        const auto& technique = fx_->techniques[current_];
        saved_.clear();
        if (!(flags & kDoNotSaveState)) {
            for (const CompiledPass& pass : technique) {
                for (const auto& stateAndValue : pass.decl->renderStates) {
                    const gfx::D3DRENDERSTATETYPE state =
                        stateAndValue
                            .first;  // not a structured binding: clang 14 cannot capture one
                    bool known = std::any_of(saved_.begin(), saved_.end(),
                                             [&](auto& s) { return s.first == state; });
                    if (known) continue;
                    uint32_t old = 0;
                    device_->GetRenderState(state, &old);
                    saved_.emplace_back(state, old);
                }
            }
        }
        if (passes) *passes = static_cast<uint32_t>(technique.size());
        begun_ = true;
        return gfx::D3D_OK;
    }

    HRESULT BeginPass(uint32_t pass) override {
        if (!begun_ || inPass_ || pass >= fx_->techniques[current_].size())
            return gfx::D3DERR_INVALIDCALL;
        const CompiledPass& p = fx_->techniques[current_][pass];
        for (auto [state, value] : p.decl->renderStates) device_->SetRenderState(state, value);
        activeProgram_ = passPrograms_[current_][pass];
        glUseProgram(activeProgram_);
        // The device keeps the alpha test states; OpenGL core has no alpha test of its own.
        uint32_t enabled = 0, func = 0, ref = 0;
        device_->GetRenderState(gfx::D3DRS_ALPHATESTENABLE, &enabled);
        device_->GetRenderState(gfx::D3DRS_ALPHAFUNC, &func);
        device_->GetRenderState(gfx::D3DRS_ALPHAREF, &ref);
        auto [funcAt, refAt] = alphaTestLocations_[activeProgram_];
        glUniform1i(funcAt, enabled ? static_cast<GLint>(func) : 0);
        glUniform1f(refAt, static_cast<float>(ref & 0xFF));
        activePass_ = &p;
        inPass_ = true;
        Upload(true);
        return gfx::D3D_OK;
    }

    HRESULT CommitChanges() override {
        if (!inPass_) return gfx::D3DERR_INVALIDCALL;
        Upload(false);
        return gfx::D3D_OK;
    }

    HRESULT EndPass() override {
        if (!inPass_) return gfx::D3DERR_INVALIDCALL;
        for (size_t unit = 0; unit < activePass_->samplers.size(); ++unit)
            glBindSampler(static_cast<GLuint>(unit), 0);
        inPass_ = false;
        activePass_ = nullptr;
        return gfx::D3D_OK;
    }

    HRESULT End() override {
        if (!begun_) return gfx::D3DERR_INVALIDCALL;
        if (inPass_) EndPass();
        for (auto [state, value] : saved_) device_->SetRenderState(state, value);
        saved_.clear();
        begun_ = false;
        return gfx::D3D_OK;
    }

  private:
    ~GlEffect() override {
        for (gfx::Texture* t : textures_) {
            if (t) t->Release();
        }
        if (ubo_) glDeleteBuffers(1, &ubo_);
        if (!samplers_.empty())
            glDeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
        for (auto& [key, program] : programCache_) glDeleteProgram(program);
        device_->Release();
    }

    GLuint ProgramFor(const CompiledPass& pass, std::vector<Diagnostic>* errors, GLint* blockSize) {
        auto key = std::make_pair(pass.vertex, pass.pixel);
        if (auto it = programCache_.find(key); it != programCache_.end()) return it->second;
        SourceLocation at = pass.decl->at;
        std::string log;
        GLuint vs = CompileGlsl(GL_VERTEX_SHADER, pass.vertex->glsl, &log);
        if (!vs) {
            errors->push_back({pass.decl->vertexAt, "GLSL of '" + pass.decl->vertexEntry +
                                                        "' does not compile: " + log});
            return 0;
        }
        GLuint ps = CompileGlsl(GL_FRAGMENT_SHADER, pass.pixel->glsl, &log);
        if (!ps) {
            glDeleteShader(vs);
            errors->push_back({pass.decl->pixelAt,
                               "GLSL of '" + pass.decl->pixelEntry + "' does not compile: " + log});
            return 0;
        }
        GLuint program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, ps);
        glLinkProgram(program);
        glDeleteShader(vs);
        glDeleteShader(ps);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            errors->push_back(
                {at, "pass '" + pass.decl->name + "' does not link: " + InfoLog(program, true)});
            glDeleteProgram(program);
            return 0;
        }
        GLuint block = glGetUniformBlockIndex(program, kGlobalBlockName);
        if (block != GL_INVALID_INDEX) {
            glUniformBlockBinding(program, block, kBlockBinding);
            GLint size = 0;
            glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
            *blockSize = std::max(*blockSize, size);
        }
        // Every sampler came out of glslang with binding 0: give each its own unit (ES 3.0 sets
        // uniforms of the program in use only).
        GLint previous = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
        glUseProgram(program);
        for (size_t unit = 0; unit < pass.samplers.size(); ++unit) {
            const std::string& name = fx_->prepass.samplers[pass.samplers[unit]].name;
            GLint location = glGetUniformLocation(program, name.c_str());
            if (location >= 0) glUniform1i(location, static_cast<GLint>(unit));
        }
        transformLocations_[program] = glGetUniformLocation(program, kFixedFunctionMatrix);
        alphaTestLocations_[program] = {glGetUniformLocation(program, kAlphaFuncUniform),
                                        glGetUniformLocation(program, kAlphaRefUniform)};
        // The previous program may be one deleted while in use: its name is gone.
        glUseProgram(glIsProgram(GLuint(previous)) ? GLuint(previous) : 0);
        programCache_[key] = program;
        return program;
    }

    // The fixed-function vertex stage reads the device's transforms as they are now, and a white
    // diffuse colour where the vertex declaration has none.
    void UploadFixedFunction() {
        const GLint location = transformLocations_[activeProgram_];
        if (location < 0) return;
        float m[3][16];
        device_->GetTransform(gfx::D3DTS_WORLD, m[0]);
        device_->GetTransform(gfx::D3DTS_VIEW, m[1]);
        device_->GetTransform(gfx::D3DTS_PROJECTION, m[2]);
        float wv[16], wvp[16];
        auto multiply = [](const float* a, const float* b, float* out) {
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    out[r * 4 + c] = a[r * 4] * b[c] + a[r * 4 + 1] * b[4 + c] +
                                     a[r * 4 + 2] * b[8 + c] + a[r * 4 + 3] * b[12 + c];
        };
        multiply(m[0], m[1], wv);
        multiply(wv, m[2], wvp);
        glUniformMatrix4fv(location, 1, GL_FALSE, wvp);
        glVertexAttrib4f(
            static_cast<GLuint>(gfx::gl::AttributeLocation(gfx::D3DDECLUSAGE_COLOR, 0)), 1, 1, 1,
            1);
    }

    void Upload(bool bindAll) {
        if (activePass_->fixedFunctionVertex) UploadFixedFunction();
        if (ubo_) {
            if (bindAll) glBindBufferBase(GL_UNIFORM_BUFFER, kBlockBinding, ubo_);
            if (fx_->parameters.Dirty()) {
                const auto& block = fx_->parameters.Block();
                glBindBuffer(GL_UNIFORM_BUFFER, ubo_);
                glBufferSubData(GL_UNIFORM_BUFFER, 0, static_cast<GLsizeiptr>(block.size()),
                                block.data());
                fx_->parameters.ClearDirty();
            }
        }
        // The device's stage textures may have changed since: read them again.
        const bool readsStages =
            std::any_of(activePass_->deviceStages.begin(), activePass_->deviceStages.end(),
                        [](int stage) { return stage >= 0; });
        if (bindAll || texturesDirty_ || readsStages) {
            for (size_t unit = 0; unit < activePass_->samplers.size(); ++unit) {
                const int samplerIndex = activePass_->samplers[unit];
                const int textureIndex = activePass_->textures[unit];
                const int stage = activePass_->deviceStages[unit];
                gfx::Texture* texture = textureIndex >= 0 ? textures_[textureIndex] : nullptr;
                if (stage >= 0) {
                    device_->GetTexture(static_cast<uint32_t>(stage), &texture);
                    if (texture) texture->Release();  // the device keeps its reference
                }
                // A texture of another kind than the sampler's reads as none.
                static const GLenum kTargets[] = {GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP,
                                                  GL_TEXTURE_3D};
                const GLenum target =
                    kTargets[static_cast<int>(fx_->prepass.samplers[samplerIndex].kind)];
                glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
                glBindTexture(target, gfx::gl::TextureTarget(texture) == target
                                          ? gfx::gl::TextureName(texture)
                                          : 0);
                glBindSampler(static_cast<GLuint>(unit), samplers_[samplerIndex]);
            }
            glActiveTexture(GL_TEXTURE0);
            texturesDirty_ = false;
        }
    }

    uint32_t refs_ = 1;
    gfx::Device* device_;
    std::unique_ptr<CompiledEffect> fx_;
    std::vector<gfx::Texture*> textures_;  // one reference each, parallel to the texture parameters
    std::vector<GLuint> samplers_;         // parallel to the sampler declarations
    std::map<std::pair<const CompiledStage*, const CompiledStage*>, GLuint> programCache_;
    std::map<GLuint, GLint> transformLocations_;  // of the fixed-function stage, -1 when none
    std::map<GLuint, std::pair<GLint, GLint>> alphaTestLocations_;  // function, reference
    std::vector<std::vector<GLuint>> passPrograms_;
    GLuint ubo_ = 0;
    int current_ = -1;
    bool begun_ = false, inPass_ = false, texturesDirty_ = true;
    const CompiledPass* activePass_ = nullptr;
    GLuint activeProgram_ = 0;
    std::vector<std::pair<gfx::D3DRENDERSTATETYPE, uint32_t>> saved_;
};

// [SECTION] Creation from a file
// The effect's description from the current source, or a failing result with *log holding the
// located messages.
HRESULT DescribeEffect(gfx::Device* device, const std::string& path, CompiledEffect* out,
                       std::string* log) {
    auto fail = [&](const char* why, HRESULT result) {
        *log = FormatError(path, {{1, 1}, why});
        return result;
    };
    if (CurrentEffectSource() == EffectSource::Baked) {
        if (HRESULT hr = LoadBakedEffect(path, out, log); gfx::Failed(hr)) return hr;
        if (!gfx::gl::IsGlDevice(device))
            return fail("effects need the OpenGL device", gfx::D3DERR_INVALIDCALL);
        if (!gfx::gl::IsEsDevice(device))
            return fail("baked effects need the OpenGL ES device", gfx::D3DERR_INVALIDCALL);
        return gfx::D3D_OK;
    }
#ifdef __EMSCRIPTEN__
    return fail("this build loads baked effects only", gfx::D3DERR_INVALIDCALL);
#else
    if (!gfx::gl::IsGlDevice(device)) {
        // The file's own problems come first, as they would on any device.
        std::string text;
        std::vector<Diagnostic> errors;
        if (HRESULT hr = ReadEffectText(path, &text, &errors); gfx::Failed(hr)) {
            *log = FormatError(path, errors[0]);
            return hr;
        }
        return fail("effects need the OpenGL device", gfx::D3DERR_INVALIDCALL);
    }
    const GlslFlavour flavour =
        gfx::gl::IsEsDevice(device) ? GlslFlavour::Es : GlslFlavour::Desktop;
    return CompileEffectFile(path, flavour, out, log);
#endif
}

}  // namespace

HRESULT CreateEffectFromFile(gfx::Device* device, const char* path, uint32_t flags, Effect** effect,
                             std::string* messages) {
    (void)flags;  // debug information makes no difference here
    std::string sink;
    std::string& log = messages ? *messages : sink;
    log.clear();
    if (effect) *effect = nullptr;
    std::string name = path ? path : "";
    // A problem with the file as a whole is reported at its first character.
    auto fail = [&](const std::string& why, HRESULT result) {
        log = name + "(1,1): error: " + why + "\n";
        return result;
    };
    if (!device || !path || !effect) return fail("invalid arguments", gfx::D3DERR_INVALIDCALL);
    auto compiled = std::make_unique<CompiledEffect>();
    if (HRESULT hr = DescribeEffect(device, name, compiled.get(), &log); gfx::Failed(hr)) return hr;
    std::string warnings;
    for (const std::string& w : compiled->warnings) warnings += name + ": warning: " + w + "\n";
    const SourceMap sources = compiled->sources;
    auto* created = new GlEffect(device, std::move(compiled));
    std::vector<Diagnostic> errors;
    if (!created->Build(&errors)) {
        created->Release();
        for (const Diagnostic& d : errors) log += sources.Format(name, d);
        return gfx::D3DXERR_INVALIDDATA;
    }
    log = warnings;
    *effect = created;
    return gfx::D3D_OK;
}

}  // namespace fx
