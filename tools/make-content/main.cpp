// make-content: writes the default production (pig meshes, images, soundtrack) into a data folder.
// Usage: make-content OUTDIR [meshes] [images] [music]   (no part names: all three)
// The track files and the effect files are added by the build (tracktool, copies).
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "generate.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-content OUTDIR [meshes] [images] [music]\n");
        return 2;
    }
    std::set<std::string> parts;
    for (int i = 2; i < argc; ++i) parts.insert(argv[i]);
    const bool all = parts.empty();
    const std::filesystem::path out = argv[1];
    std::string error;
    bool ok = true;
    if (ok && (all || parts.count("meshes"))) ok = content::GeneratePigMeshes(out, &error);
    if (ok && (all || parts.count("images"))) ok = content::GenerateImages(out, &error);
    if (ok && (all || parts.count("music"))) ok = content::GenerateSoundtrack(out, &error);
    if (!ok) {
        std::fprintf(stderr, "make-content: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
