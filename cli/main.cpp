#include "cli/cli_app.h"
#include "cli/standard_streams.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <istream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
    pagewright::cli::GuardStandardDescriptors();
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        const bool errIsTerminal = isatty(fileno(stderr)) != 0;
        // Standard input through a buffer that reports read errors, for --files-from -.
        pagewright::cli::DescriptorReadBuffer inBuffer(0);
        std::istream in(&inBuffer);
        return pagewright::cli::RunCli(args, {in, std::cout, std::cerr, errIsTerminal});
    } catch (const std::exception& e) {
        std::cerr << "pagewright-cli: " << e.what() << "\n";
        return pagewright::cli::kExitFailed;
    }
}
