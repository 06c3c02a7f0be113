// Writing and reading baked effects.
//
// Index of this file:
//  [SECTION] Words and strings
//  [SECTION] Writing
//  [SECTION] Reading

#include "platform/fx/fx_bake.h"

#include <cstdint>
#include <cstring>

namespace fx::detail {
namespace {

constexpr std::string_view kMagic = "VMFXBAKE";
constexpr uint32_t kVersion = 2;
// Bounds that no real effect comes near; they keep a damaged count from asking for gigabytes.
constexpr uint32_t kMaxArraySize = 1u << 16;
constexpr int kMaxLine = 1 << 24;
constexpr uint32_t kMaxBlockBytes = 1u << 20;

// [SECTION] Words and strings
class Writer {
  public:
    void Word(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) bytes_ += char((value >> shift) & 0xFF);
    }
    void Int(int32_t value) { Word(static_cast<uint32_t>(value)); }
    void Float(float value) {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        Word(bits);
    }
    void Text(std::string_view text) {
        Word(static_cast<uint32_t>(text.size()));
        bytes_ += text;
    }
    void Texts(const std::vector<std::string>& texts) {
        Word(static_cast<uint32_t>(texts.size()));
        for (const std::string& t : texts) Text(t);
    }
    void At(SourceLocation at) {
        Int(at.line);
        Int(at.column);
    }
    std::string& Bytes() { return bytes_; }

  private:
    std::string bytes_;
};

// Every read checks what is left; the first failure sticks and later reads give zeros.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    uint32_t Word() {
        if (!Need(4)) return 0;
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(uint8_t(rest_[i])) << (8 * i);
        rest_.remove_prefix(4);
        return value;
    }
    int32_t Int() { return static_cast<int32_t>(Word()); }
    float Float() {
        const uint32_t bits = Word();
        float value = 0;
        std::memcpy(&value, &bits, 4);
        return value;
    }
    // A count of items that take at least minItemBytes each: never more than the bytes left.
    uint32_t Count(size_t minItemBytes) {
        const uint32_t count = Word();
        if (ok_ && count > rest_.size() / minItemBytes) Fail("a count runs past the end");
        return ok_ ? count : 0;
    }
    std::string Text() {
        const uint32_t length = Word();
        if (!Need(length)) return {};
        std::string text(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return text;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts(Count(4));
        for (std::string& t : texts) t = Text();
        return texts;
    }
    SourceLocation At() {
        SourceLocation at;
        at.line = Int();
        at.column = Int();
        if (at.line < 0 || at.line > kMaxLine || at.column < 0 || at.column > kMaxLine)
            Fail("a source location is out of range");
        return at;
    }
    // Reads an index below size, or fails.
    int Index(size_t size) {
        const uint32_t index = Word();
        if (ok_ && index >= size) Fail("an index is out of range");
        return ok_ ? static_cast<int>(index) : 0;
    }
    bool Magic() {
        if (rest_.substr(0, kMagic.size()) != kMagic) {
            Fail("not a baked effect");
            return false;
        }
        rest_.remove_prefix(kMagic.size());
        return true;
    }

    void Fail(std::string why) {
        if (ok_) reason_ = std::move(why);
        ok_ = false;
    }
    bool Ok() const { return ok_; }
    bool AtEnd() const { return rest_.empty(); }
    const std::string& Reason() const { return reason_; }

  private:
    bool Need(size_t bytes) {
        if (ok_ && rest_.size() < bytes) Fail("the file ends early");
        return ok_;
    }

    std::string_view rest_;
    bool ok_ = true;
    std::string reason_;
};

// [SECTION] Writing
void WriteParameter(Writer& w, const ParameterDecl& p) {
    w.Text(p.name);
    w.Word(static_cast<uint32_t>(p.type.base));
    w.Int(p.type.rows);
    w.Int(p.type.columns);
    w.Int(p.arraySize);
    w.Word(static_cast<uint32_t>(p.initial.size()));
    for (float v : p.initial) w.Float(v);
    w.At(p.at);
}

void WriteSampler(Writer& w, const SamplerDecl& s) {
    w.Text(s.name);
    w.Text(s.texture);
    for (uint32_t v : {s.minFilter, s.magFilter, s.mipFilter, s.addressU, s.addressV, s.addressW})
        w.Word(v);
    for (float c : s.borderColor) w.Float(c);
    w.Int(s.slot);
    w.Word(static_cast<uint32_t>(s.kind));
    w.At(s.at);
}

void WritePass(Writer& w, const PassDecl& p) {
    w.Text(p.name);
    w.Text(p.vertexEntry);
    w.Text(p.pixelEntry);
    w.At(p.vertexAt);
    w.At(p.pixelAt);
    w.At(p.at);
    w.Word(static_cast<uint32_t>(p.renderStates.size()));
    for (const auto& [state, value] : p.renderStates) {
        w.Word(state);
        w.Word(value);
    }
    w.Texts(p.slotTextures);
}

void WriteStage(Writer& w, const CompiledStage& s) {
    w.Text(s.glsl);
    w.Word(static_cast<uint32_t>(s.block.size()));
    for (const BlockMember& m : s.block) {
        w.Text(m.name);
        w.Word(static_cast<uint32_t>(m.base));
        for (uint32_t v : {m.offset, m.vectorSize, m.columns, m.arraySize, m.arrayStride,
                           m.matrixStride, uint32_t(m.rowMajor)})
            w.Word(v);
    }
    w.Word(s.blockSize);
    w.Texts(s.samplers);
    w.Texts(s.varyings);
    w.Word(static_cast<uint32_t>(s.varyingSizes.size()));
    for (uint32_t size : s.varyingSizes) w.Word(size);
    w.Texts(s.warnings);
}

int IndexOfStage(const CompiledEffect& effect, const CompiledStage* stage) {
    for (size_t i = 0; i < effect.stages.size(); ++i)
        if (effect.stages[i].get() == stage) return static_cast<int>(i);
    return -1;
}

void WriteDescription(Writer& w, const CompiledEffect& e) {
    const PrepassResult& p = e.prepass;
    w.Texts(e.warnings);
    w.Word(static_cast<uint32_t>(p.parameters.size()));
    for (const ParameterDecl& d : p.parameters) WriteParameter(w, d);
    w.Word(static_cast<uint32_t>(p.textures.size()));
    for (const TextureDecl& t : p.textures) {
        w.Text(t.name);
        w.Word(static_cast<uint32_t>(t.kind));
        w.At(t.at);
    }
    w.Word(static_cast<uint32_t>(p.samplers.size()));
    for (const SamplerDecl& s : p.samplers) WriteSampler(w, s);
    w.Word(static_cast<uint32_t>(p.techniques.size()));
    for (const TechniqueDecl& t : p.techniques) {
        w.Text(t.name);
        w.At(t.at);
        w.Word(static_cast<uint32_t>(t.passes.size()));
        for (const PassDecl& pass : t.passes) WritePass(w, pass);
    }
    w.Word(static_cast<uint32_t>(e.stages.size()));
    for (const auto& stage : e.stages) WriteStage(w, *stage);
    // Passes follow the techniques' shape, which is already written.
    for (const auto& technique : e.techniques) {
        for (const CompiledPass& pass : technique) {
            w.Int(IndexOfStage(e, pass.vertex));
            w.Int(IndexOfStage(e, pass.pixel));
            w.Word(static_cast<uint32_t>(pass.samplers.size()));
            for (int s : pass.samplers) w.Int(s);
            for (int t : pass.textures) w.Int(t);
            for (int stage : pass.deviceStages) w.Int(stage);
            w.Word(pass.fixedFunctionVertex ? 1 : 0);
        }
    }
}

// [SECTION] Reading
BaseKind ReadKind(Reader& r) {
    const uint32_t kind = r.Word();
    if (kind > static_cast<uint32_t>(BaseKind::Bool)) r.Fail("an unknown value kind");
    return static_cast<BaseKind>(kind);
}

TextureKind ReadTextureKind(Reader& r) {
    const uint32_t kind = r.Word();
    if (kind > static_cast<uint32_t>(TextureKind::Volume)) r.Fail("an unknown texture kind");
    return static_cast<TextureKind>(kind);
}

ParameterDecl ReadParameter(Reader& r) {
    ParameterDecl p;
    p.name = r.Text();
    p.type.base = ReadKind(r);
    p.type.rows = r.Int();
    p.type.columns = r.Int();
    p.arraySize = r.Int();
    if (p.type.rows < 1 || p.type.rows > 4 || p.type.columns < 1 || p.type.columns > 4 ||
        p.arraySize < 0 || uint32_t(p.arraySize) > kMaxArraySize)
        r.Fail("parameter '" + p.name + "' has an impossible shape");
    p.initial.resize(r.Count(4));
    for (float& v : p.initial) v = r.Float();
    p.at = r.At();
    return p;
}

SamplerDecl ReadSampler(Reader& r) {
    SamplerDecl s;
    s.name = r.Text();
    s.texture = r.Text();
    for (uint32_t* v :
         {&s.minFilter, &s.magFilter, &s.mipFilter, &s.addressU, &s.addressV, &s.addressW})
        *v = r.Word();
    for (float& c : s.borderColor) c = r.Float();
    s.slot = r.Int();
    s.kind = ReadTextureKind(r);
    s.at = r.At();
    return s;
}

PassDecl ReadPass(Reader& r) {
    PassDecl p;
    p.name = r.Text();
    p.vertexEntry = r.Text();
    p.pixelEntry = r.Text();
    p.vertexAt = r.At();
    p.pixelAt = r.At();
    p.at = r.At();
    p.renderStates.resize(r.Count(8));
    for (auto& [state, value] : p.renderStates) {
        state = static_cast<gfx::D3DRENDERSTATETYPE>(r.Word());
        value = r.Word();
    }
    p.slotTextures = r.Texts();
    return p;
}

std::unique_ptr<CompiledStage> ReadStage(Reader& r) {
    auto s = std::make_unique<CompiledStage>();
    s->glsl = r.Text();
    s->block.resize(r.Count(36));
    for (BlockMember& m : s->block) {
        m.name = r.Text();
        m.base = ReadKind(r);
        for (uint32_t* v :
             {&m.offset, &m.vectorSize, &m.columns, &m.arraySize, &m.arrayStride, &m.matrixStride})
            *v = r.Word();
        const uint32_t rowMajor = r.Word();
        if (rowMajor > 1) r.Fail("a block member's row-major flag is neither 0 nor 1");
        m.rowMajor = rowMajor == 1;
    }
    s->blockSize = r.Word();
    if (s->blockSize > kMaxBlockBytes) r.Fail("a parameter block is too large");
    s->samplers = r.Texts();
    s->varyings = r.Texts();
    s->varyingSizes.resize(r.Count(4));
    for (uint32_t& size : s->varyingSizes) size = r.Word();
    s->warnings = r.Texts();
    return s;
}

// The stage whose block layout the parameters use: the first one with a block, in pass order (as
// the compiler chose it).
const CompiledStage* LayoutSource(const CompiledEffect& e) {
    for (const auto& technique : e.techniques)
        for (const CompiledPass& pass : technique)
            for (const CompiledStage* stage : {pass.vertex, pass.pixel})
                if (!stage->block.empty()) return stage;
    return nullptr;
}

void ReadDescription(Reader& r, CompiledEffect* e) {
    PrepassResult& p = e->prepass;
    e->warnings = r.Texts();
    p.parameters.resize(r.Count(32));
    for (ParameterDecl& d : p.parameters) d = ReadParameter(r);
    p.textures.resize(r.Count(12));
    for (TextureDecl& t : p.textures) {
        t.name = r.Text();
        t.kind = ReadTextureKind(r);
        t.at = r.At();
    }
    p.samplers.resize(r.Count(40));
    for (SamplerDecl& s : p.samplers) s = ReadSampler(r);
    p.techniques.resize(r.Count(16));
    for (TechniqueDecl& t : p.techniques) {
        t.name = r.Text();
        t.at = r.At();
        t.passes.resize(r.Count(40));
        for (PassDecl& pass : t.passes) pass = ReadPass(r);
    }
    const uint32_t stages = r.Count(24);
    for (uint32_t i = 0; i < stages && r.Ok(); ++i) e->stages.push_back(ReadStage(r));
    for (const TechniqueDecl& t : p.techniques) {
        std::vector<CompiledPass> passes;
        for (const PassDecl& decl : t.passes) {
            CompiledPass pass;
            pass.decl = &decl;
            pass.vertex = e->stages.empty() ? nullptr : e->stages[r.Index(stages)].get();
            pass.pixel = e->stages.empty() ? nullptr : e->stages[r.Index(stages)].get();
            if (!pass.vertex || !pass.pixel) r.Fail("a pass has no stages");
            pass.samplers.resize(r.Count(4));
            for (int& s : pass.samplers) s = r.Index(p.samplers.size());
            pass.textures.resize(pass.samplers.size());
            for (int& texture : pass.textures) {
                texture = r.Int();
                if (texture < -1 || texture >= int(p.textures.size()))
                    r.Fail("an index is out of range");
            }
            pass.deviceStages.resize(pass.samplers.size());
            for (int& stage : pass.deviceStages) {
                stage = r.Int();
                if (stage < -1 || stage >= int(gfx::Device::kTextureStages))
                    r.Fail("an index is out of range");
            }
            const uint32_t fixedFunction = r.Word();
            if (fixedFunction > 1) r.Fail("a pass's fixed-function flag is neither 0 nor 1");
            pass.fixedFunctionVertex = fixedFunction == 1;
            if (!r.Ok()) return;
            passes.push_back(std::move(pass));
        }
        e->techniques.push_back(std::move(passes));
    }
}

}  // namespace

std::string WriteBakedEffect(gfx::HRESULT result, const std::string& messages,
                             const CompiledEffect* effect) {
    Writer w;
    w.Bytes() += kMagic;
    w.Word(kVersion);
    w.Int(result);
    w.Text(gfx::Failed(result) ? messages : std::string());
    if (!gfx::Failed(result) && effect) WriteDescription(w, *effect);
    return std::move(w.Bytes());
}

bool ReadBakedEffect(std::string_view bytes, BakedEffect* out, std::string* reason) {
    *out = BakedEffect{};
    Reader r(bytes);
    if (bytes.size() > kMaxBakedBytes) r.Fail("the file is too large for a baked effect");
    if (r.Ok() && r.Magic() && r.Word() != kVersion && r.Ok())
        r.Fail("a baked effect of another version (bake the effects again)");
    out->result = static_cast<gfx::HRESULT>(r.Int());
    out->messages = r.Text();
    if (r.Ok() && gfx::Failed(out->result) == out->messages.empty())
        r.Fail("the result and the messages disagree");
    if (r.Ok() && !gfx::Failed(out->result)) ReadDescription(r, &out->effect);
    if (r.Ok() && !r.AtEnd()) r.Fail("bytes follow the end");
    if (r.Ok() && !gfx::Failed(out->result)) {
        // The same checks as after compiling: a description that does not hold together is
        // refused here rather than misread later.
        const CompiledStage* layout = LayoutSource(out->effect);
        std::vector<Diagnostic> problems;
        if (!out->effect.parameters.Build(out->effect.prepass.parameters,
                                          layout ? layout->block : std::vector<BlockMember>{},
                                          layout ? layout->blockSize : 0, &problems))
            r.Fail("its parameters do not fit their block: " + problems.front().text);
    }
    if (!r.Ok()) {
        if (reason) *reason = r.Reason();
        *out = BakedEffect{};
        return false;
    }
    return true;
}

}  // namespace fx::detail
