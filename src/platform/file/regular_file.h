// regular_file: opens only regular files, without ever blocking on what is not one.
//
// WHAT IT DOES
//   Every file the program reads or writes (soundtrack, tracks, meshes, images, effects, settings)
//   is opened here. A named pipe, a device or a directory in a file's place is refused at once, as
//   a file that cannot be opened, instead of hanging the program on an open or read that never
//   ends.
//
// STEP BY STEP
//   files::OpenRegular(path, "rb")   an ordinary FILE*, or null (errno says why)
//   files::IsRegular(path)           for readers that open by name themselves (libmpg123)
#pragma once

#include <cstdio>

namespace files {

// Like fopen with mode "r"/"rb"/"w"/"wb": null when the path cannot be opened or is not a regular
// file. Writing creates the file when it is missing.
std::FILE* OpenRegular(const char* path, const char* mode);

// True when the path names an existing regular file (links followed); never opens it.
bool IsRegular(const char* path);

}  // namespace files
