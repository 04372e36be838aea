#include "cli/cli_options.h"

#include "engine/os_path.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <istream>
#include <system_error>

namespace pagewright::cli {

namespace {

bool ParseJobs(const std::string& text, unsigned& jobs) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value == 0)
        return false;
    jobs = value;
    return true;
}

ParseResult Fail(std::string message) {
    return ParseResult{std::nullopt, std::move(message)};
}

} // namespace

std::string UsageText() {
    return "Usage: pagewright-cli [-o DIR|-] [-j N] [-q] [--update] [--files-from LIST] FILE...\n"
           "Extracts the plain text of each PDF FILE into DIR, as the file's name with .txt.\n"
           "\n"
           "  -o DIR             write the text files into DIR, which must exist\n"
           "                     (default: the current directory)\n"
           "  -o -               write the texts to standard output instead, one after the\n"
           "                     other in the order of the files\n"
           "  -j N               convert N files at a time (default: one per core)\n"
           "  -q                 quiet: no progress line and no summary; failures are still reported\n"
           "  --update           convert a file only when its text is missing or older than the PDF\n"
           "  --files-from LIST  also convert the files named in LIST, one path a line;\n"
           "                     \"-\" reads the list from standard input\n"
           "  -h, --help         show this help and exit\n"
           "  --version          show the version and exit\n"
           "\n"
           "Exit status: 0 when every file was converted, 1 when any failed, 2 for a usage error.\n";
}

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
    Options options;
    bool sawInput = false;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
            options.inputs.push_back({arg, false});
            sawInput = true;
            continue;
        }
        // An option's value: the rest of this argument ("-oDIR", "--files-from=LIST") or the next.
        auto value = [&](std::size_t prefix, std::string& out) {
            if (arg.size() > prefix) {
                out = arg.substr(prefix + (prefix > 2 && arg[prefix] == '=' ? 1 : 0));
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string text;
        if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "-h" || arg == "--help") {
            options.action = Action::Help;
            return ParseResult{options, {}};
        } else if (arg == "--version") {
            options.action = Action::Version;
            return ParseResult{options, {}};
        } else if (arg == "-q" || arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--update") {
            options.update = true;
        } else if (arg.rfind("-o", 0) == 0 && arg.rfind("--", 0) != 0) {
            if (!value(2, text))
                return Fail("option -o needs a directory");
            // A folder named "-" is still reachable as "./-".
            options.toStandardOutput = text == "-";
            if (!options.toStandardOutput)
                options.outputDirectory = text;
        } else if (arg.rfind("-j", 0) == 0 && arg.rfind("--", 0) != 0) {
            if (!value(2, text))
                return Fail("option -j needs a number");
            if (!ParseJobs(text, options.jobs))
                return Fail("option -j needs a whole number of at least 1, not '" + text + "'");
        } else if (arg == "--files-from" || arg.rfind("--files-from=", 0) == 0) {
            if (!value(12, text))
                return Fail("option --files-from needs a list file");
            options.inputs.push_back({text, true});
            sawInput = true;
        } else {
            return Fail("unknown option '" + arg + "'");
        }
    }
    if (!sawInput)
        return Fail("no PDF files given");
    // Standard output keeps no texts whose age could be compared with the PDFs'.
    if (options.update && options.toStandardOutput)
        return Fail("option --update needs an output directory, not -o -");
    return ParseResult{options, {}};
}

namespace {

// Longer than any path the system takes, so a line cut here still names no file: it fails as a name
// that is too long instead of filling memory (a list read from a device may never end a line).
constexpr std::size_t kMaxLine = 64 * 1024;

void ReadList(std::istream& in, std::vector<std::string>& paths) {
    std::string line;
    bool ended = true;
    auto take = [&] {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            paths.push_back(std::move(line));
        line.clear();
    };
    for (std::istream::int_type c = in.get(); c != std::istream::traits_type::eof(); c = in.get()) {
        ended = false;
        if (c == '\n') {
            take();
            ended = true;
        } else if (line.size() < kMaxLine) {
            line.push_back(static_cast<char>(c));
        }
    }
    if (!ended)
        take();
}

// Reads a whole list; a read error (a closed standard input, a folder) is an error, never the end.
bool ReadListReporting(std::istream& in, std::vector<std::string>& paths, std::string& why) {
    const auto mask = in.exceptions();
    try {
        in.exceptions(std::ios::badbit);
        ReadList(in, paths);
        in.exceptions(mask);
    } catch (const std::system_error& e) {
        in.clear();
        in.exceptions(mask);
        why = e.code().category() == std::iostream_category() ? "read error" : e.code().message();
        return false;
    } catch (const std::exception&) {
        in.clear();
        in.exceptions(mask);
        why = "read error";
        return false;
    }
    if (in.bad()) {
        why = "read error";
        return false;
    }
    return true;
}

} // namespace

std::optional<std::vector<std::string>> ExpandInputs(const std::vector<Input>& inputs,
                                                     std::istream& standardInput, std::string& error) {
    std::vector<std::string> paths;
    for (const Input& input : inputs) {
        if (!input.isList) {
            paths.push_back(input.path);
            continue;
        }
        std::string why;
        if (input.path == "-") {
            if (!ReadListReporting(standardInput, paths, why)) {
                error = "cannot read the list from standard input: " + why;
                return std::nullopt;
            }
            continue;
        }
        const std::filesystem::path listPath = OsPath(PathFromUtf8(input.path));
        std::error_code ec;
        // Opening a folder succeeds on some systems and fails with "Permission denied" on others.
        if (std::filesystem::is_directory(listPath, ec)) {
            error = "cannot read the list '" + input.path + "': " + std::generic_category().message(EISDIR);
            return std::nullopt;
        }
        std::ifstream list(listPath, std::ios::binary);
        if (!list) {
            error = "cannot read the list '" + input.path + "': " + std::generic_category().message(errno);
            return std::nullopt;
        }
        if (!ReadListReporting(list, paths, why)) {
            error = "cannot read the list '" + input.path + "': " + why;
            return std::nullopt;
        }
    }
    return paths;
}

} // namespace pagewright::cli
