#pragma once

#include "cli/conversion_runner.h"

#include <functional>
#include <string>
#include <vector>

// Converts a list of PDFs into texts in memory on several threads and hands the texts on in list
// order: what "-o -" writes to standard output.

namespace pagewright::cli {

// Called once per file in list order, with the file's whole text (empty when it failed), from
// whichever worker completed that stretch of the list; calls never overlap. Returns false when the
// text could not be passed on (standard output closed): no file is started after that.
using TextDelivery = std::function<bool(const FileResult& result, const std::string& text, std::size_t done,
                                        std::size_t total)>;

// Converts every source, `jobs` at a time (0: one per core), and delivers each in list order as soon
// as every file before it has been delivered. Workers run at most a few files ahead of the file
// awaited, so a slow file holds back a bounded number of texts in memory, never the whole list.
// After a refused delivery, the files not yet delivered end with converted false and the reason
// "not converted: the output failed". Threads the system refuses are handled as by ConvertAll.
RunResult ConvertAllInOrder(const std::vector<std::string>& sources, unsigned jobs,
                            const TextDelivery& deliver, const ThreadStarter& startThread = {});

} // namespace pagewright::cli
