#include "cli/cli_app.h"

#include "cli/cli_options.h"
#include "cli/conversion_runner.h"
#include "cli/terminal_text.h"
#include "engine/product_version.h"

#include <cerrno>
#include <filesystem>
#include <istream>
#include <ostream>
#include <system_error>

namespace pagewright::cli {

namespace {

int UsageError(std::ostream& err, const std::string& message) {
    err << "pagewright-cli: " << ForTerminal(message) << "\n"
        << "Try 'pagewright-cli --help' for more information.\n";
    return kExitUsage;
}

// Writes `text` to standard output; a failed write (a full disk, a closed pipe) is reported and
// makes the command fail instead of passing unnoticed.
int PrintResult(const Streams& streams, const std::string& text) {
    errno = 0;
    streams.out << text;
    streams.out.flush();
    if (streams.out)
        return kExitConverted;
    const int error = errno;
    streams.err << "pagewright-cli: cannot write to standard output: "
                << (error != 0 ? std::generic_category().message(error) : std::string("write error")) << "\n";
    return kExitFailed;
}

} // namespace

int RunCli(const std::vector<std::string>& args, Streams streams) {
    std::ostream& err = streams.err;
    const ParseResult parsed = ParseCommandLine(args);
    if (!parsed.options)
        return UsageError(err, parsed.error);
    const Options& options = *parsed.options;
    if (options.action == Action::Help)
        return PrintResult(streams, UsageText());
    if (options.action == Action::Version)
        return PrintResult(streams, std::string("pagewright-cli ") + kProductVersion + "\n");

    std::error_code ec;
    if (!std::filesystem::is_directory(options.outputDirectory, ec))
        return UsageError(err, "output directory '" + options.outputDirectory + "' does not exist");

    std::string listError;
    const auto sources = ExpandInputs(options.inputs, streams.in, listError);
    if (!sources)
        return UsageError(err, listError);

    const bool showProgress = streams.errIsTerminal && !options.quiet;
    bool progressShown = false;
    auto report = [&](const FileResult& result, std::size_t done, std::size_t total) {
        if (progressShown) {
            err << "\r\033[K";
            progressShown = false;
        }
        if (!result.converted && !result.upToDate)
            err << "pagewright-cli: " << ForTerminal(result.source) << ": " << result.reason << "\n";
        if (showProgress && done < total) {
            err << "[" << done << "/" << total << "] " << ForTerminal(result.source) << std::flush;
            progressShown = true;
        }
    };
    const RunResult run = ConvertAll(*sources, options.outputDirectory, options.jobs, report, {},
                                     options.update ? Selection::Outdated : Selection::All);
    const std::vector<FileResult>& results = run.files;

    std::size_t failed = 0;
    std::size_t upToDate = 0;
    for (const FileResult& result : results) {
        upToDate += result.upToDate ? 1 : 0;
        failed += result.converted || result.upToDate ? 0 : 1;
    }
    if (!options.quiet) {
        if (!run.threadProblem.empty())
            err << "pagewright-cli: could not start more threads (" << run.threadProblem << "); converted "
                << run.workers << (run.workers == 1 ? " file" : " files") << " at a time\n";
        err << "pagewright-cli: " << (results.size() - failed - upToDate) << " of " << results.size()
            << (results.size() == 1 ? " file" : " files") << " converted into "
            << ForTerminal(options.outputDirectory);
        if (upToDate > 0)
            err << ", " << upToDate << " up to date";
        if (failed > 0)
            err << ", " << failed << " failed";
        err << "\n";
    }
    return failed == 0 ? kExitConverted : kExitFailed;
}

} // namespace pagewright::cli
