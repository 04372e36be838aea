#pragma once

// A deliberately plain model of the content-stream scanner: a 15-byte window shifted one byte at a
// time and "%f" number reading, one step per input byte. The engine's scanner
// reads its window from the input and skips ahead; tests and the fuzzer compare the two. Run it
// under the "C" locale only.

#include <cstdio>
#include <cstring>
#include <string>

namespace pagewright::reference {

inline bool IsWs(unsigned char c) {
    return c == ' ' || c == '\r' || c == '\n';
}

inline float ParseTrailingNumber(const unsigned char* w, int n) {
    int i = n;
    while (i > 0 && w[i] == ' ')
        --i;
    if (i > 0)
        while (i > 0 && ((w[i] >= '0' && w[i] <= '9') || w[i] == '.'))
            --i;
    char text[20] = {};
    const int len = n - i;
    if (len <= 0)
        return -1.0f;
    std::memcpy(text, w + i + 1, static_cast<std::size_t>(len));
    float value = 0;
    if (std::sscanf(text, "%f", &value) != 1)
        return -1.0f;
    return value;
}

inline bool Matches(const unsigned char* w, char a, char b) {
    return IsWs(w[11]) && w[12] == static_cast<unsigned char>(a) && w[13] == static_cast<unsigned char>(b) &&
           IsWs(w[14]);
}

inline std::string ExtractText(const unsigned char* bytes, std::size_t length) {
    std::string out;
    unsigned char w[15];
    std::memset(w, ' ', sizeof w);
    bool inText = false, inString = false, escape = false;
    auto copyable = [](unsigned char c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE); };
    for (std::size_t k = 0; k < length; ++k) {
        const unsigned char ch = bytes[k];
        if (inText) {
            bool handle = true;
            if (!inString && Matches(w, 'T', 'd')) {
                const float v = ParseTrailingNumber(w, 10);
                if (v > 1)
                    out += "\r\n";
                else if (v < 1)
                    out += '\t';
            } else if (!inString && Matches(w, 'E', 'T')) {
                inText = false;
                out += "\r\n";
                handle = false;
            }
            if (handle) {
                if (!inString) {
                    if (ch == '(') {
                        const float v = ParseTrailingNumber(w, 14);
                        // The integer part, kept in range so the model itself stays defined.
                        const long long n = v > 1e9f ? 1000000000LL : static_cast<long long>(v);
                        if (n > 1000)
                            out += '\t';
                        else if (n > 100)
                            out += ' ';
                        inString = true;
                    }
                } else if (escape) {
                    escape = false;
                    if (copyable(ch))
                        out += static_cast<char>(ch);
                } else if (ch == ')') {
                    inString = false;
                } else if (ch == '\\') {
                    escape = true;
                } else if (copyable(ch)) {
                    out += static_cast<char>(ch);
                }
            }
        }
        std::memmove(w, w + 1, 14);
        w[14] = ch;
        if (!inText && Matches(w, 'B', 'T'))
            inText = true;
    }
    return out;
}

} // namespace pagewright::reference
