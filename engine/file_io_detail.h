#pragma once

#include "engine/file_io.h"

#include <cerrno>
#include <filesystem>
#include <string>

// What the POSIX and the Windows halves of the engine's file access share.

namespace pagewright::io::detail {

// errno, or `fallback` when a failing call left it at 0.
inline int LastError(int fallback = EIO) {
    return errno != 0 ? errno : fallback;
}

#ifdef _WIN32
// The last modification of an open file, exact (GetFileTime), for ReadWholeFile.
ModTime ModTimeOfDescriptor(int fd);
#endif

// The folder of a file path ("." for a bare name).
inline std::filesystem::path FolderOf(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

} // namespace pagewright::io::detail
