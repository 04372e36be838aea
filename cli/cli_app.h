#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pagewright::cli {

enum ExitCode : int {
    kExitConverted = 0, // every file was converted
    kExitFailed = 1,    // at least one file failed; each is named on the error stream
    kExitUsage = 2,     // bad command line, missing output directory, unreadable list
};

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // a progress line is drawn only on a terminal
};

// The whole command: parses `args` (without the program name), converts, reports, and returns the
// exit code.
int RunCli(const std::vector<std::string>& args, Streams streams);

} // namespace pagewright::cli
