#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>

// Binary file access for the engine: files are always opened in binary mode so that no platform
// translates line ends, and every failure comes back as an errno value.

namespace pagewright::io {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` with a binary stdio mode ("rb", "wb"); empty on failure, errno set.
UniqueFile OpenFile(const std::filesystem::path& path, const char* mode);

// Flushes and closes the file; returns 0, or the errno value of the first failure (a full disk
// shows up here when the last buffer is written).
int CloseFile(UniqueFile& file);

struct FileBytes {
    std::unique_ptr<unsigned char[]> data;
    std::size_t size = 0;
};

// Reads everything from the current position to the end. Regular files are read in one piece
// sized from the file; pipes and devices are read until their end. Returns 0 or an errno value
// (EISDIR for a directory, ENOMEM when the buffer cannot be had).
int ReadWholeFile(std::FILE* file, FileBytes& out);

} // namespace pagewright::io
