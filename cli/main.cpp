#include "cli/cli_app.h"

#include <cstdio>
#include <exception>
#include <iostream>
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
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        const bool errIsTerminal = isatty(fileno(stderr)) != 0;
        return pagewright::cli::RunCli(args, {std::cin, std::cout, std::cerr, errIsTerminal});
    } catch (const std::exception& e) {
        std::cerr << "pagewright-cli: " << e.what() << "\n";
        return pagewright::cli::kExitFailed;
    }
}
