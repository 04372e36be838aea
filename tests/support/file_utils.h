#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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

// Equal bytes, or a failure that names both sizes and shows where the two first differ; for
// buffers too long to print whole.
inline ::testing::AssertionResult SameBytes(std::string_view got, std::string_view expected) {
    if (got == expected)
        return ::testing::AssertionSuccess();
    const auto diff = static_cast<std::size_t>(
        std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin());
    const auto around = [&](std::string_view s) { return Visible(s.substr(diff, 16)); };
    return ::testing::AssertionFailure()
           << got.size() << " bytes where " << expected.size() << " were expected; first difference at byte "
           << diff << ": \"" << around(got) << "\" instead of \"" << around(expected) << "\"";
}
