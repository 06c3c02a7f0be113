// Baking effects for the browser build (native builds only): an effect file goes through the same
// reading and compiling as CreateEffectFromFile, with GLSL ES 3.00 as the target, and what that
// gives (the effect's description, or the failure and messages loading it gives) becomes the
// bytes of its baked file, path + ".baked", which CreateEffectFromFile reads under
// EffectSource::Baked.
#pragma once

#include <string>

#include "platform/gfx/gfx.h"

namespace fx {

struct BakedFile {
    std::string bytes;      // the baked file's contents
    gfx::HRESULT result{};  // what loading the effect gives
    std::string messages;   // the errors (or warnings) loading it gives, as CreateEffectFromFile
};

// Never fails as such: a broken effect bakes into a file that fails the same way at run time.
BakedFile BakeEffectFile(const std::string& path);

}  // namespace fx
