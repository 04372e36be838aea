// Fuzz target for the target path rule and the job key: any source path and output directory, in
// both path styles and both code unit widths, held to a plain model of the rule.
//
// Input: the source path, a NUL byte, the output directory.

#include "engine/target_path.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "target path rule: %s\n", what);
        std::abort();
    }
}

std::u16string Widen(std::string_view s) {
    std::u16string out;
    for (const char c : s)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

void Check(std::string_view source, std::string_view outDir, PathStyle style) {
    const bool windows = style == PathStyle::Windows;
    const std::string target = MakeTargetPath(source, outDir, style);

    // The model: the output directory, the joining separator, the file name without its last
    // extension, ".txt".
    const std::size_t sep = windows ? source.find_last_of("/\\") : source.rfind('/');
    std::string_view name = sep == std::string_view::npos ? source : source.substr(sep + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name = name.substr(0, dot);
    const std::string expected = std::string(outDir) + (windows ? '\\' : '/') + std::string(name) + ".txt";
    Require(target == expected, "the target is not the directory, the name without extension and .txt");
    Require(std::string_view(target).substr(outDir.size() + 1).find(windows ? '\\' : '/') ==
                std::string::npos,
            "a separator in the target's file name");

    // UTF-16 code units give the same target.
    Require(MakeTargetPath(Widen(source), Widen(outDir), style) == Widen(target),
            "UTF-16 differs from UTF-8");

    // The job key: the path itself, ASCII case folded in the Windows style.
    const std::string key = JobPathKey(source, style);
    Require(key.size() == source.size(), "the key changed the length");
    Require(JobPathKey(key, style) == key, "the key of a key differs");
    Require(JobPathKey(Widen(source), style) == Widen(key), "UTF-16 key differs from UTF-8");
    std::string upper(source);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    Require((JobPathKey(upper, style) == key) == (windows || upper == source),
            "case folding does not follow the style");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view source = input.substr(0, split);
    const std::string_view outDir =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    Check(source, outDir, PathStyle::Posix);
    Check(source, outDir, PathStyle::Windows);
    return 0;
}
