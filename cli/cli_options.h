#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// Command line of pagewright-cli:
//   pagewright-cli [-o DIR|-] [-j N] [-q] [--update] [--files-from LIST] FILE...

namespace pagewright::cli {

enum class Action { Convert, Help, Version };

// One source of input paths, in command-line order: a FILE, or a LIST to read them from.
struct Input {
    std::string path;
    bool isList = false;
};

struct Options {
    Action action = Action::Convert;
    std::string outputDirectory = ".";
    bool toStandardOutput = false; // "-o -": the texts go to standard output, in list order
    unsigned jobs = 0;             // 0: one per core
    bool quiet = false;
    bool update = false; // convert only files whose text is missing or older than the PDF
    std::vector<Input> inputs;
};

struct ParseResult {
    std::optional<Options> options; // empty on a usage error
    std::string error;
};

ParseResult ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();

// Expands the inputs into the list of source paths, in command-line order. A LIST holds one path a
// line (a trailing CR is dropped, empty lines are skipped); "-" reads `standardInput`. Lines are
// taken byte for byte, a NUL byte included (the conversion of such a line fails), and cut after
// 64 KiB (such a line names no file either). Returns the paths, or nothing with `error` set when a
// LIST cannot be opened or a read from it fails: a list that cannot be read is never taken as empty.
std::optional<std::vector<std::string>> ExpandInputs(const std::vector<Input>& inputs,
                                                     std::istream& standardInput, std::string& error);

} // namespace pagewright::cli
