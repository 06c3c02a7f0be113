#include "platform/fx/fx_effect_file.h"

#include <cstdio>
#include <memory>

#include "platform/file/regular_file.h"
#include "platform/fx/fx.h"
#include "platform/fx/fx_bake.h"

namespace fx {
namespace {

#ifdef __EMSCRIPTEN__
EffectSource g_effectSource = EffectSource::Baked;
#else
EffectSource g_effectSource = EffectSource::Compile;
#endif

}  // namespace

void SetEffectSource(EffectSource source) {
    g_effectSource = source;
}

EffectSource CurrentEffectSource() {
    return g_effectSource;
}

namespace detail {
namespace {

constexpr long kMaxEffectBytes = 4 << 20;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// The whole file, or a failing result with why at (1,1).
gfx::HRESULT ReadWhole(const std::string& path, long maxBytes, const char* tooLarge,
                       std::string* bytes, std::vector<Diagnostic>* errors) {
    auto fail = [&](const char* why, gfx::HRESULT result) {
        errors->push_back({{1, 1}, why});
        return result;
    };
    File file(files::OpenRegular(path.c_str(), "rb"), &std::fclose);
    if (!file) return fail("cannot open the file", gfx::E_FAIL);
    std::fseek(file.get(), 0, SEEK_END);
    const long size = std::ftell(file.get());
    if (size < 0 || size > maxBytes) return fail(tooLarge, gfx::D3DXERR_INVALIDDATA);
    std::rewind(file.get());
    bytes->assign(static_cast<size_t>(size), '\0');
    if (std::fread(bytes->data(), 1, bytes->size(), file.get()) != bytes->size())
        return fail("cannot read the file", gfx::E_FAIL);
    return gfx::D3D_OK;
}

}  // namespace

gfx::HRESULT ReadEffectText(const std::string& path, std::string* text,
                            std::vector<Diagnostic>* errors) {
    const gfx::HRESULT hr =
        ReadWhole(path, kMaxEffectBytes, "the file is too large for an effect", text, errors);
    if (gfx::Failed(hr)) return hr;
    if (text->find('\0') != std::string::npos) {
        errors->push_back({{1, 1}, "not a text file"});
        return gfx::D3DXERR_INVALIDDATA;
    }
    return gfx::D3D_OK;
}

gfx::HRESULT LoadBakedEffect(const std::string& path, CompiledEffect* out, std::string* log) {
    std::string bytes;
    std::vector<Diagnostic> errors;
    const gfx::HRESULT hr = ReadWhole(path + std::string(kBakedSuffix), long(kMaxBakedBytes),
                                      "the baked effect is too large", &bytes, &errors);
    if (gfx::Failed(hr)) {
        *log = FormatError(path, errors.front());
        return hr;
    }
    BakedEffect baked;
    std::string reason;
    if (!ReadBakedEffect(bytes, &baked, &reason)) {
        *log = FormatError(path, {{1, 1}, "the baked effect is damaged: " + reason});
        return gfx::D3DXERR_INVALIDDATA;
    }
    if (gfx::Failed(baked.result)) {
        *log = baked.messages;
        return baked.result;
    }
    *out = std::move(baked.effect);
    return gfx::D3D_OK;
}

}  // namespace detail
}  // namespace fx
