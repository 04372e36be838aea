#include "engine/target_path.h"

namespace {

PathStyle Resolve(PathStyle style) {
    if (style != PathStyle::Native)
        return style;
#ifdef _WIN32
    return PathStyle::Windows;
#else
    return PathStyle::Posix;
#endif
}

template <typename Char>
std::basic_string<Char> MakeTarget(std::basic_string_view<Char> source, std::basic_string_view<Char> outDir,
                                   PathStyle style) {
    const bool windows = Resolve(style) == PathStyle::Windows;
    const Char separators[] = {Char('/'), Char('\\'), Char(0)};
    const std::basic_string_view<Char> seps(separators, windows ? 2 : 1);

    const auto lastSep = source.find_last_of(seps);
    std::basic_string_view<Char> name = lastSep == source.npos ? source : source.substr(lastSep + 1);
    // "C:report.pdf" names report.pdf in drive C's current folder: the drive is no part of the name.
    if (windows && lastSep == source.npos && name.size() >= 2 && name[1] == Char(':') &&
        ((name[0] >= Char('A') && name[0] <= Char('Z')) || (name[0] >= Char('a') && name[0] <= Char('z'))))
        name = name.substr(2);
    const auto dot = name.rfind(Char('.'));
    if (dot != name.npos)
        name = name.substr(0, dot);

    std::basic_string<Char> target;
    target.reserve(outDir.size() + 1 + name.size() + 4);
    target.append(outDir);
    target.push_back(windows ? Char('\\') : Char('/'));
    target.append(name);
    for (const char c : {'.', 't', 'x', 't'})
        target.push_back(Char(c));
    return target;
}

template <typename Char>
std::basic_string<Char> MakeJobPathKey(std::basic_string_view<Char> path, PathStyle style) {
    std::basic_string<Char> key(path);
    if (Resolve(style) == PathStyle::Windows)
        for (Char& c : key)
            if (c >= Char('A') && c <= Char('Z'))
                c = static_cast<Char>(c - Char('A') + Char('a'));
    return key;
}

} // namespace

std::string MakeTargetPath(std::string_view source, std::string_view outputDirectory, PathStyle style) {
    return MakeTarget(source, outputDirectory, style);
}

std::u16string MakeTargetPath(std::u16string_view source, std::u16string_view outputDirectory,
                              PathStyle style) {
    return MakeTarget(source, outputDirectory, style);
}

std::string JobPathKey(std::string_view path, PathStyle style) {
    return MakeJobPathKey(path, style);
}

std::u16string JobPathKey(std::u16string_view path, PathStyle style) {
    return MakeJobPathKey(path, style);
}
