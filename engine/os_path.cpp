#include "engine/os_path.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>

std::filesystem::path PathFromUtf8(std::string_view text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    const int in = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), in, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), in, wide.data(), length);
    return std::filesystem::path(std::move(wide));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty() || wide.size() > static_cast<std::size_t>(INT_MAX))
        return {};
    const int in = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, text.data(), length, nullptr, nullptr);
    return text;
}

std::filesystem::path OsPath(const std::filesystem::path& path) {
    // The classic limit is 260 with the terminator; folders must leave room for an 8.3 name.
    constexpr std::size_t kShortEnough = 240;
    const std::wstring& text = path.native();
    if (text.size() <= kShortEnough || text.rfind(LR"(\\?\)", 0) == 0 || text.rfind(LR"(\\.\)", 0) == 0)
        return path;
    // The prefix switches off the system's own clean-up of "/", "." and "..": do it here.
    const auto clean = [](const std::filesystem::path& p) {
        return p.lexically_normal().make_preferred().native();
    };
    const bool unc = (text[0] == L'\\' || text[0] == L'/') && (text[1] == L'\\' || text[1] == L'/');
    if (unc)
        return std::filesystem::path(LR"(\\?\UNC\)" + clean(std::filesystem::path(text.substr(2))));
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec)
        return path;
    return std::filesystem::path(LR"(\\?\)" + clean(full));
}

#else

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::string(text));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    return path.native();
}

std::filesystem::path OsPath(const std::filesystem::path& path) {
    return path;
}

#endif
