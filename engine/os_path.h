#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths as the operating system takes them.
//
// The command-line tool keeps paths as text: UTF-8 on Windows, the file system's own bytes
// elsewhere. PathFromUtf8 and PathToUtf8 turn that text into the paths the file functions take and
// back, so that a name that is not ASCII reaches the file system as the user typed it. On POSIX
// systems the bytes pass unchanged both ways; on Windows a byte sequence that is not UTF-8 becomes
// U+FFFD, which names no file the user has.
std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);

// The form of `path` that the system's file functions take whole. On Windows a path of more than
// 240 characters is made absolute, normalised, and given the extended-length prefix ("\\?\C:\..." or
// "\\?\UNC\server\share\..."), which lifts the classic limit of 260; shorter paths and paths that
// already carry a prefix ("\\?\", "\\.\") are left alone. Elsewhere the path is returned unchanged.
std::filesystem::path OsPath(const std::filesystem::path& path);
