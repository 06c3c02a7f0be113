// One scratch file per fuzzer process, for readers that take a path; removed at exit.
#pragma once

#include <unistd.h>

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
