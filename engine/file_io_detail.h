#pragma once

#include <cerrno>
#include <filesystem>
#include <string>

// What the POSIX and the Windows halves of the engine's file access share.

namespace pagewright::io::detail {

// errno, or `fallback` when a failing call left it at 0.
inline int LastError(int fallback = EIO) {
    return errno != 0 ? errno : fallback;
}

// A name in a target's folder that no other writer picks: the process, a per-process random salt
// and a counter.
std::string TemporaryName();

// The folder of a file path ("." for a bare name).
inline std::filesystem::path FolderOf(const std::filesystem::path& path) {
    const std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

} // namespace pagewright::io::detail
