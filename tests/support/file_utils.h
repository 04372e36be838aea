#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes control bytes visible in assertion messages.
inline std::string Visible(std::string_view bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c == '\r')
            out += "[CR]";
        else if (c == '\n')
            out += "[LF]";
        else if (c == '\t')
            out += "[TAB]";
        else if (c < 0x20 || c >= 0x7F) {
            static const char hex[] = "0123456789ABCDEF";
            out += "[";
            out += hex[c >> 4];
            out += hex[c & 15];
            out += "]";
        } else
            out += static_cast<char>(c);
    }
    return out;
}
