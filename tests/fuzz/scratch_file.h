// One scratch file per fuzzer process, for readers that take a path; removed at exit.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& ScratchPath() {
    static const std::string path = [] {
        char pattern[] = "/tmp/fuzz-input-XXXXXX";
        const int fd = mkstemp(pattern);
        if (fd < 0) std::abort();
        close(fd);
        std::atexit([] { std::remove(ScratchPath().c_str()); });
        return std::string(pattern);
    }();
    return path;
}

// The scratch file's path, the file now holding these bytes.
inline const char* ScratchFileWith(const uint8_t* data, size_t size) {
    std::FILE* out = std::fopen(ScratchPath().c_str(), "wb");
    if (out == nullptr || (size != 0 && std::fwrite(data, 1, size, out) != size)) std::abort();
    std::fclose(out);
    return ScratchPath().c_str();
}
