#include "cli/terminal_text.h"

#include <cstdio>

namespace pagewright::cli {

namespace {

void AppendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%s%0*X", prefix, digits, value);
    out += buffer;
}

// Length of the well-formed UTF-8 sequence at text[i] and its code point, or 0.
std::size_t Utf8Sequence(std::string_view text, std::size_t i, unsigned& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string ForTerminal(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n";
            ++i;
        } else if (c == '\t') {
            out += "\\t";
            ++i;
        } else if (c == '\r') {
            out += "\\r";
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            AppendHex(out, "\\x", c, 2);
            ++i;
        } else if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
        } else {
            unsigned codePoint = 0;
            const std::size_t length = Utf8Sequence(text, i, codePoint);
            if (length == 0) {
                AppendHex(out, "\\x", c, 2);
                ++i;
            } else if (codePoint >= 0x80 && codePoint <= 0x9F) {
                AppendHex(out, "\\u", codePoint, 4);
                i += length;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
        }
    }
    return out;
}

} // namespace pagewright::cli
