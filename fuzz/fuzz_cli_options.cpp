// Fuzz target for the command line of pagewright-cli: the option parser, the reading of a file list
// and the escaping of names for the terminal.
//
// Input: the arguments, separated by NUL bytes; the same bytes are also read as a file list and
// escaped as a name.

#include "cli/cli_options.h"
#include "cli/terminal_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace pagewright::cli;

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "command line: %s\n", what);
        std::abort();
    }
}

bool IsArgumentPart(const std::vector<std::string>& args, const std::string& text) {
    for (const std::string& arg : args)
        if (arg.find(text) != std::string::npos)
            return true;
    return false;
}

void CheckParse(const std::vector<std::string>& args) {
    const ParseResult r = ParseCommandLine(args);
    if (!r.options) {
        Require(!r.error.empty(), "a usage error without a message");
        return;
    }
    const Options& o = *r.options;
    if (o.action != Action::Convert)
        return;
    Require(!o.inputs.empty(), "nothing to convert was accepted");
    Require(IsArgumentPart(args, o.outputDirectory) || o.outputDirectory == ".",
            "an output directory from nowhere");
    for (const Input& input : o.inputs)
        Require(IsArgumentPart(args, input.path), "an input that is in no argument");
}

void CheckList(std::string_view bytes) {
    std::istringstream in{std::string(bytes)};
    std::string error;
    const auto paths = ExpandInputs({{"-", true}}, in, error);
    Require(paths.has_value(), "a list in memory could not be read");
    std::size_t lines = 1;
    for (const char c : bytes)
        lines += c == '\n' ? 1 : 0;
    Require(paths->size() <= lines, "more paths than lines");
    for (const std::string& path : *paths) {
        Require(!path.empty() && path.size() <= 64 * 1024, "an empty or endless path");
        Require(path.find('\n') == std::string::npos, "a line break inside a path");
        Require(bytes.find(path) != std::string_view::npos, "a path that is not in the list");
    }
}

// Decodes well-formed UTF-8; false on anything else.
bool NextCodePoint(std::string_view s, std::size_t& i, unsigned& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned lead = b(i);
    std::size_t n = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (n == 0 || i + n > s.size())
        return false;
    cp = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    static const unsigned kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    i += n;
    return true;
}

void CheckEscaping(std::string_view bytes) {
    const std::string shown = ForTerminal(bytes);
    bool plain = true;
    for (std::size_t i = 0; i < bytes.size();) {
        unsigned cp = 0;
        if (!NextCodePoint(bytes, i, cp) || cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) {
            plain = false;
            break;
        }
    }
    Require(!plain || shown == bytes, "text without control characters was changed");
    for (std::size_t i = 0; i < shown.size();) {
        unsigned cp = 0;
        Require(NextCodePoint(shown, i, cp), "the escaped text is not UTF-8");
        Require(cp >= 0x20 && !(cp >= 0x7F && cp <= 0x9F), "a control character left in the escaped text");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    std::size_t from = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || bytes[i] == '\0') {
            args.emplace_back(bytes.substr(from, i - from));
            from = i + 1;
        }
    }
    if (size == 0)
        args.clear();
    CheckParse(args);
    CheckList(bytes);
    CheckEscaping(bytes);
    return 0;
}
