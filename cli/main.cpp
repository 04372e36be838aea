#include "cli/cli_app.h"
#include "cli/standard_streams.h"
#include "engine/temporary_files.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <istream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "engine/os_path.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <csignal>
#include <unistd.h>
#endif

namespace {

int Run(const std::vector<std::string>& args) {
    try {
        const bool errIsTerminal = isatty(fileno(stderr)) != 0;
        // Standard input through a buffer that reports read errors, for --files-from -.
        pagewright::cli::DescriptorReadBuffer inBuffer(0);
        std::istream in(&inBuffer);
        return pagewright::cli::RunCli(
            args, {in, std::cout, std::cerr, errIsTerminal, fileno(stdin), fileno(stdout)});
    } catch (const std::exception& e) {
        std::cerr << "pagewright-cli: " << e.what() << "\n";
        return pagewright::cli::kExitFailed;
    }
}

} // namespace

#ifdef _WIN32
// The wide command line, so that every name reaches the tool whole, whatever the code page; the
// tool keeps paths as UTF-8. Its streams carry bytes as on every other system: no LF becomes CR LF,
// and a console shows the UTF-8 of the messages as text.
int wmain(int argc, wchar_t** argv) {
    pagewright::cli::GuardStandardDescriptors();
    std::vector<std::string> args;
    args.reserve(argc > 0 ? static_cast<std::size_t>(argc - 1) : 0);
    for (int i = 1; i < argc; ++i)
        args.push_back(PathToUtf8(std::filesystem::path(argv[i])));
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    const int status = Run(args);
    // No signal tells a pipe's writer that its reader has gone: the run ends as any failed one.
    return status == pagewright::cli::kExitBrokenPipe ? pagewright::cli::kExitFailed : status;
}
#else
int main(int argc, char** argv) {
    pagewright::cli::GuardStandardDescriptors();
    // Before any thread: a run that is interrupted takes its named temporaries with it.
    pagewright::io::NamedTemporaries::RemoveOnSignals();
    const int status = Run(std::vector<std::string>(argv + 1, argv + argc));
    if (status == pagewright::cli::kExitBrokenPipe) {
        // End as a writer into a closed pipe ends, also when SIGPIPE was ignored for this process.
        std::signal(SIGPIPE, SIG_DFL);
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigprocmask(SIG_UNBLOCK, &pipe, nullptr);
        std::raise(SIGPIPE);
    }
    return status;
}
#endif
