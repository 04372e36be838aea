#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Converts a list of PDFs into an output directory on several threads.

namespace pagewright::cli {

struct FileResult {
    std::string source;
    std::string target;
    bool converted = false;
    std::string reason; // why it failed
};

// Called once per file as soon as it is done, from the worker that converted it; calls never
// overlap.
using ProgressCallback = std::function<void(const FileResult& result, std::size_t done, std::size_t total)>;

// Converts every source into outputDirectory by the target path rule, `jobs` files at a time
// (0: one per core). Sources that map to the same target are converted one after the other in
// list order by the same worker, so the target is never written by two threads at once and ends
// with the text of the last of them, as a run of one file at a time would. Results come back in
// list order.
std::vector<FileResult> ConvertAll(const std::vector<std::string>& sources,
                                   const std::string& outputDirectory, unsigned jobs,
                                   const ProgressCallback& progress = {});

} // namespace pagewright::cli
