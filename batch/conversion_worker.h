#pragma once

#include "batch/job_window.h"

#include <atomic>

// One conversion run over the job list, from the top row down. Before each row it looks at the
// stop request; for each row it selects it, marks it "Converting", converts its file and marks it
// "Complete" (or "Failed", with the reason as the row's tooltip). A row's text file is looked at only
// once the row shows "Converting" (the next row's PDF may be read meanwhile), and whatever the window
// does on seeing that (a stop request) counts before the next row. No file of the list is ever written as
// another row's text: that row fails. A failed row leaves its text file as it was. The rows are counted again
// after every row. A PDF without text is "Complete" with kNoTextFound as its tooltip. At the end a stop
// request is cleared, or, when there was none, the output directory is opened if it exists; then the commands
// return to the Ready state.
//
// Runs on the worker thread; `window` is then a BlockingWindowProxy.
void ConvertThreadProc(IWorkerWindow& window, std::atomic<bool>& stopRequested);
