#include "cli/cli_app.h"

#include "cli/cli_options.h"
#include "cli/conversion_runner.h"
#include "cli/terminal_text.h"
#include "engine/os_path.h"
#include "engine/pdf_text_extractor.h"
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
    if (!options.toStandardOutput &&
        !std::filesystem::is_directory(OsPath(PathFromUtf8(options.outputDirectory)), ec))
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
        // A failure always, the note on a PDF without text unless quiet; a text already up to date
        // is no failure.
        if ((!result.converted && !result.upToDate) ||
            (result.converted && !result.reason.empty() && !options.quiet))
            err << "pagewright-cli: " << ForTerminal(result.source) << ": " << result.reason << "\n";
        if (showProgress && done < total) {
            err << "[" << done << "/" << total << "] " << ForTerminal(result.source) << std::flush;
            progressShown = true;
        }
    };

    RunResult run;
    int outputError = 0;
    if (options.toStandardOutput) {
        // Whole texts in the order of the files; a file that failed writes nothing.
        auto deliver = [&](const FileResult&, const char* text, std::size_t size) {
            if (size == 0)
                return true;
            errno = 0;
            streams.out.write(text, static_cast<std::streamsize>(size));
            streams.out.flush();
            if (!streams.out) {
                outputError = errno != 0 ? errno : EIO;
                return false;
            }
            return true;
        };
        run = ConvertAllInOrder(*sources, options.jobs, deliver, report);
    } else {
        run = ConvertAll(*sources, options.outputDirectory, options.jobs, report, {},
                         options.update ? Selection::Outdated : Selection::All);
    }
    const std::vector<FileResult>& results = run.files;
    if (outputError != 0) {
        if (progressShown)
            err << "\r\033[K";
        err << "pagewright-cli: cannot write to standard output: "
            << std::generic_category().message(outputError) << "\n";
    }

    std::size_t failed = 0;
    std::size_t withoutText = 0;
    std::size_t upToDate = 0;
    for (const FileResult& result : results) {
        upToDate += result.upToDate ? 1 : 0;
        failed += result.converted || result.upToDate ? 0 : 1;
        withoutText += result.converted && !result.reason.empty() ? 1 : 0;
    }
    if (!options.quiet) {
        if (!run.threadProblem.empty())
            err << "pagewright-cli: could not start more threads (" << run.threadProblem << "); converted "
                << run.workers << (run.workers == 1 ? " file" : " files") << " at a time\n";
        err << "pagewright-cli: " << (results.size() - failed - upToDate) << " of " << results.size()
            << (results.size() == 1 ? " file" : " files") << " converted "
            << (options.toStandardOutput ? std::string("to standard output")
                                         : "into " + ForTerminal(options.outputDirectory));
        if (withoutText > 0)
            err << ", " << withoutText << " with " << kNoTextFound;
        if (upToDate > 0)
            err << ", " << upToDate << " up to date";
        if (failed > 0)
            err << ", " << failed << " failed";
        err << "\n";
    }
    return failed == 0 ? kExitConverted : kExitFailed;
}

} // namespace pagewright::cli
