#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Paths as the command-line tool keeps them: UTF-8 text on Windows, the file system's own bytes
// elsewhere. These turn them into the paths the file functions take and back, so that a name that
// is not ASCII reaches the file system as the user typed it.
//
// POSIX: the bytes pass unchanged both ways. Windows: UTF-8 to and from the UTF-16 of the wide file
// functions; a byte sequence that is not UTF-8 becomes U+FFFD, which names no file the user has.

std::filesystem::path PathFromUtf8(std::string_view text);
std::string PathToUtf8(const std::filesystem::path& path);
