// fxbake: bakes every effect file (*.fx) under a production folder for the browser build, which
// loads "<effect>.baked" instead of compiling HLSL. An effect that does not compile still gets its
// baked file: it fails at run time with the same box as natively. Paths in messages are relative
// to the production folder, as the demo names its effects.
// Usage: vessmark-fxbake [--out DIR] PRODUCTION_DIR   (DIR defaults to PRODUCTION_DIR)
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file/regular_file.h"
#include "platform/fx/fx_baker.h"

namespace {

namespace fs = std::filesystem;

int Usage() {
    std::fprintf(stderr, "usage: vessmark-fxbake [--out DIR] PRODUCTION_DIR\n");
    return 2;
}

// Effect files under root, relative to it, in a stable order.
std::vector<std::string> FindEffects(const fs::path& root, std::error_code* error) {
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator it(root, *error), end; !*error && it != end;
         it.increment(*error)) {
        if (it->is_regular_file() && it->path().extension() == ".fx")
            found.push_back(it->path().lexically_relative(root).generic_string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
    std::FILE* file = files::OpenRegular(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    std::string outArg, rootArg;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
            outArg = argv[++i];
        else if (argv[i][0] != '-' && rootArg.empty())
            rootArg = argv[i];
        else
            return Usage();
    }
    if (rootArg.empty()) return Usage();
    std::error_code error;
    const fs::path out = fs::absolute(outArg.empty() ? rootArg : outArg, error);
    if (!error) fs::current_path(rootArg, error);
    if (error) {
        std::fprintf(stderr, "fxbake: %s: %s\n", rootArg.c_str(), error.message().c_str());
        return 1;
    }
    const std::vector<std::string> effects = FindEffects(".", &error);
    if (error) {
        std::fprintf(stderr, "fxbake: %s: %s\n", rootArg.c_str(), error.message().c_str());
        return 1;
    }
    int failedWrites = 0;
    for (const std::string& effect : effects) {
        const fx::BakedFile baked = fx::BakeEffectFile(effect);
        const fs::path target = out / (effect + ".baked");
        if (!WriteFile(target, baked.bytes)) {
            std::fprintf(stderr, "fxbake: cannot write %s\n", target.c_str());
            ++failedWrites;
            continue;
        }
        std::printf("%s: %s\n", effect.c_str(),
                    gfx::Failed(baked.result) ? "baked as failing to load" : "baked");
        std::fputs(baked.messages.c_str(), stdout);
    }
    std::printf("fxbake: %zu effects\n", effects.size());
    return failedWrites == 0 ? 0 : 1;
}
