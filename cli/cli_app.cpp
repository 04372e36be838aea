#include "cli/cli_app.h"

#include "cli/cli_options.h"
#include "cli/conversion_runner.h"
#include "cli/terminal_text.h"
#include "engine/file_io.h"
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

// The input of the run (a PDF or a list) that standard output writes into, named; empty when none.
std::string InputBehind(const Streams& streams, const std::vector<std::string>& sources,
                        const std::vector<Input>& inputs) {
    io::FileStatus out;
    if (streams.outFd < 0 || io::StatusOfDescriptor(streams.outFd, out) != 0 ||
        out.kind != io::FileKind::Regular)
        return {};
    io::FileId id;
    for (const std::string& source : sources)
        if (io::FileSet::IdOf(PathFromUtf8(source), id) && id == out.id)
            return "the PDF '" + source + "'";
    for (const Input& input : inputs) {
        if (!input.isList)
            continue;
        io::FileStatus in;
        if (input.path == "-"
                ? streams.inFd >= 0 && io::StatusOfDescriptor(streams.inFd, in) == 0 && in.id == out.id
                : io::FileSet::IdOf(PathFromUtf8(input.path), id) && id == out.id)
            return input.path == "-" ? "the list read from standard input" : "the list '" + input.path + "'";
    }
    return {};
}

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

    if (!options.toStandardOutput) {
        io::FileStatus folder;
        const int error = io::StatusOf(PathFromUtf8(options.outputDirectory), folder);
        if (error == ENOENT)
            return UsageError(err, "output directory '" + options.outputDirectory + "' does not exist");
        if (error != 0)
            return UsageError(err, "output directory '" + options.outputDirectory +
                                       "': " + std::generic_category().message(error));
        if (folder.kind != io::FileKind::Directory)
            return UsageError(err, "output directory '" + options.outputDirectory + "' is not a directory");
    }

    std::string listError;
    const auto sources = ExpandInputs(options.inputs, streams.in, listError);
    if (!sources)
        return UsageError(err, listError);

    // The lists are inputs of the run as the PDFs are: no text may replace one.
    io::FileSet lists;
    for (const Input& input : options.inputs) {
        io::FileStatus status;
        if (!input.isList)
            continue;
        if (input.path != "-")
            lists.Insert(PathFromUtf8(input.path), io::FileSet::Role::List);
        else if (streams.inFd >= 0 && io::StatusOfDescriptor(streams.inFd, status) == 0 &&
                 status.kind == io::FileKind::Regular)
            lists.Insert(status.id, io::FileSet::Role::List);
    }
    if (options.toStandardOutput) {
        if (const std::string input = InputBehind(streams, *sources, options.inputs); !input.empty())
            return UsageError(err, "standard output is " + input + " of this run: nothing written");
    }

    const bool showProgress = streams.errIsTerminal && !options.quiet;
    bool progressShown = false;
    auto report = [&](const FileResult& result, std::size_t done, std::size_t total) {
        if (progressShown) {
            err << "\r\033[K";
            progressShown = false;
        }
        // A failure always, the note on a PDF without text unless quiet; a text already up to date
        // is no failure.
        if ((!result.converted && !result.upToDate && !result.superseded && !result.notWritten) ||
            (result.converted && !result.reason.empty() && !options.quiet))
            err << "pagewright-cli: " << ForTerminal(result.source) << ": " << result.reason << "\n";
        if (showProgress && done < total) {
            err << "[" << done << "/" << total << "] " << ForTerminal(result.source) << std::flush;
            progressShown = true;
        }
    };

    RunResult run;
    int outputError = 0;
    bool brokenPipe = false;
    if (options.toStandardOutput) {
        // Whole texts in the order of the files; a file that failed writes nothing.
        auto deliver = [&](const FileResult&, const char* text, std::size_t size, std::string& reason) {
            if (outputError != 0) {
                reason = "not written: standard output failed";
                return Delivery::Skipped;
            }
            if (size == 0)
                return Delivery::Written;
            errno = 0;
            streams.out.write(text, static_cast<std::streamsize>(size));
            streams.out.flush();
            if (streams.out)
                return Delivery::Written;
            outputError = errno != 0 ? errno : EIO;
            if (outputError == EPIPE) {
                brokenPipe = true;
                reason = "not written: the reader of standard output has gone";
                return Delivery::Stop;
            }
            reason = "cannot write to standard output: " + std::generic_category().message(outputError);
            return Delivery::Failed;
        };
        run = ConvertAllInOrder(*sources, options.jobs, deliver, report);
        // The reader of the pipe has gone: nothing more to say to anyone.
        if (brokenPipe) {
            if (progressShown)
                err << "\r\033[K" << std::flush;
            return kExitBrokenPipe;
        }
    } else {
        run = ConvertAll(*sources, options.outputDirectory, options.jobs, report, {},
                         options.update ? Selection::Outdated : Selection::All, lists);
    }
    const std::vector<FileResult>& results = run.files;
    if (progressShown)
        err << "\r\033[K";
    if (!options.quiet)
        for (const std::vector<std::size_t>& group : run.shared) {
            err << "pagewright-cli: ";
            for (std::size_t k = 0; k < group.size(); ++k)
                err << (k == 0                  ? ""
                        : k + 1 == group.size() ? " and "
                                                : ", ")
                    << ForTerminal(results[group[k]].source);
            err << " share the text file " << ForTerminal(results[group.back()].target)
                << ": only the last is converted\n";
        }

    std::size_t failed = 0;
    std::size_t withoutText = 0;
    std::size_t upToDate = 0;
    std::size_t superseded = 0;
    std::size_t notWritten = 0;
    for (const FileResult& result : results) {
        upToDate += result.upToDate ? 1 : 0;
        superseded += result.superseded ? 1 : 0;
        notWritten += result.notWritten ? 1 : 0;
        failed += result.converted || result.upToDate || result.superseded || result.notWritten ? 0 : 1;
        withoutText += result.converted && !result.reason.empty() ? 1 : 0;
    }
    if (notWritten > 0 && options.quiet)
        err << "pagewright-cli: " << notWritten << (notWritten == 1 ? " file" : " files")
            << " not written: cannot write to standard output: "
            << std::generic_category().message(outputError) << "\n";
    if (!options.quiet) {
        if (!run.threadProblem.empty())
            err << "pagewright-cli: could not start more threads (" << run.threadProblem << "); converted "
                << run.workers << (run.workers == 1 ? " file" : " files") << " at a time\n";
        const std::size_t converted = results.size() - failed - upToDate - superseded - notWritten;
        err << "pagewright-cli: " << converted << " of " << results.size()
            << (results.size() == 1 ? " file" : " files") << " converted "
            << (options.toStandardOutput ? std::string("to standard output")
                                         : "into " + ForTerminal(options.outputDirectory));
        if (withoutText > 0)
            err << ", " << withoutText << " with " << kNoTextFound;
        if (upToDate > 0)
            err << ", " << upToDate << " up to date";
        if (superseded > 0)
            err << ", " << superseded << " left to a later PDF of the same text file";
        if (failed > 0)
            err << ", " << failed << " failed";
        if (notWritten > 0)
            err << ", " << notWritten << " not written: cannot write to standard output: "
                << std::generic_category().message(outputError);
        err << "\n";
    }
    return failed == 0 && notWritten == 0 ? kExitConverted : kExitFailed;
}

} // namespace pagewright::cli
