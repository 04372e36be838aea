#include "cli/cli_app.h"

#include "cli/cli_options.h"
#include "cli/conversion_runner.h"
#include "engine/product_version.h"

#include <filesystem>
#include <istream>
#include <ostream>

namespace pagewright::cli {

namespace {

int UsageError(std::ostream& err, const std::string& message) {
    err << "pagewright-cli: " << message << "\n"
        << "Try 'pagewright-cli --help' for more information.\n";
    return kExitUsage;
}

} // namespace

int RunCli(const std::vector<std::string>& args, Streams streams) {
    std::ostream& err = streams.err;
    const ParseResult parsed = ParseCommandLine(args);
    if (!parsed.options)
        return UsageError(err, parsed.error);
    const Options& options = *parsed.options;
    if (options.action == Action::Help) {
        streams.out << UsageText();
        return kExitConverted;
    }
    if (options.action == Action::Version) {
        streams.out << "pagewright-cli " << kProductVersion << "\n";
        return kExitConverted;
    }

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
        if (!result.converted)
            err << "pagewright-cli: " << result.source << ": " << result.reason << "\n";
        if (showProgress && done < total) {
            err << "[" << done << "/" << total << "] " << result.source << std::flush;
            progressShown = true;
        }
    };
    const std::vector<FileResult> results =
        ConvertAll(*sources, options.outputDirectory, options.jobs, report);

    std::size_t failed = 0;
    for (const FileResult& result : results)
        failed += result.converted ? 0 : 1;
    if (!options.quiet) {
        err << "pagewright-cli: " << (results.size() - failed) << " of " << results.size()
            << (results.size() == 1 ? " file" : " files") << " converted into " << options.outputDirectory;
        if (failed > 0)
            err << ", " << failed << " failed";
        err << "\n";
    }
    return failed == 0 ? kExitConverted : kExitFailed;
}

} // namespace pagewright::cli
