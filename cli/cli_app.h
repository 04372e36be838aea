#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pagewright::cli {

enum ExitCode : int {
    kExitConverted = 0, // every file was converted
    kExitFailed = 1,    // at least one file failed; each is named on the error stream
    kExitUsage = 2,     // bad command line, missing output directory, unreadable list
    // Standard output is a pipe whose reader has gone: the program ends as SIGPIPE would end it
    // (main raises the signal; RunCli only returns this).
    kExitBrokenPipe = 128 + 13,
};

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal = false; // a progress line is drawn only on a terminal
    // The descriptors behind `in` and `out` (-1: none), whose files are inputs of the run (a list
    // read from standard input) or must not be (standard output appended to a PDF of the run).
    int inFd = -1;
    int outFd = -1;
};

// The whole command: parses `args` (without the program name), converts, reports, and returns the
// exit code.
int RunCli(const std::vector<std::string>& args, Streams streams);

} // namespace pagewright::cli
