#pragma once

#include "engine/file_io.h"
#include "engine/text_job.h"
#include "engine/text_sink.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pagewright::run {

struct Job {
    std::filesystem::path source;
    // The text file; empty: the text is kept in memory and handed to Hooks::deliver.
    std::filesystem::path target;
};

struct JobResult {
    bool converted = false;
    std::string reason; // why the job failed, or the note on a PDF without text
};

// Starts one more thread running `work`. Throws std::system_error when the system refuses the
// thread, as std::jthread's constructor does (the default starter is that constructor).
using ThreadStarter = std::function<std::jthread(std::function<void()> work)>;

struct RunOptions {
    // Threads that convert, the calling one included (0: one per core). The system may grant fewer.
    unsigned workers = 0;
    // How many jobs the workers may run ahead of the one next put in place (0: 16 per worker), and
    // how much text they may hold in memory meanwhile. The job next put in place is always started.
    std::size_t ahead = 0;
    std::size_t heldBytes = 64u << 20;
    // A PDF larger than this is split into parts of about `partBytes` of stream data, converted by
    // every worker at once (with one worker, nothing is split).
    std::size_t splitBytes = 4u << 20;
    std::size_t partBytes = 512u << 10;
    // Gated: a job's text is put in place only once Release has been called past it.
    bool gated = false;
    // Files that no text may replace (the PDFs of the run), by identity.
    const io::FileSet* keep = nullptr;
    ThreadStarter startThread;
};

struct RunReport {
    std::size_t workers = 0;       // threads that converted, the calling one included
    std::string threadProblem;     // why fewer threads than asked for could be started
    std::size_t mostHeldBytes = 0; // the most text held in memory at once by jobs made ahead
    std::size_t mostAhead = 0;     // the most jobs started past the one next finished, plus one
    std::size_t split = 0;         // PDFs converted in parts
};

// Converts a list of PDFs on several threads and puts their texts in place strictly in list order,
// from one thread, the caller's. This class holds every rule that its threads share:
//
// - Order. Jobs are taken in hand (Hooks::take) and finished (put in place or delivered, then
//   Hooks::done) in list order, on the calling thread. Jobs that share a text file end as if
//   converted one after the other: the later one's text wins, and a failure leaves the text
//   file as the job before it left it.
// - Ahead. Workers start jobs in list order, at most `ahead` jobs past the one next finished and
//   while the texts held in memory stay under `heldBytes`; a text made ahead waits, in memory or in
//   a replacement file without a name, until its turn.
// - Stop. When take refuses a job, no job from there on is put in place or touched: their texts are
//   dropped and conversions under way are abandoned between two streams. The jobs already taken
//   are finished first.
// - Gate. In a gated run, a job is taken as soon as its text is made (the job next finished is
//   taken at once, so it can be shown while it is converted), and put in place only once Release
//   has let it through: the window releases a row once it shows "Converting", and cuts the run
//   short at a row it did not show because a stop came first.
// - Split. A large PDF is read by one worker, which searches its streams once and hands them out in
//   parts as it goes; every worker converts parts, those of the earliest job first, and the parts'
//   texts are appended in file order by whichever thread finishes the next one.
//
// The calling thread is one of the workers: it converts while nothing is ready to be finished.
// Every conversion failure, lack of memory included, fails its job alone; no exception leaves a
// worker thread, nor Run: a hook that runs out of memory fails its job (deliver), keeps it
// unrecorded (done: the front end still has it as not converted) or ends the run before it (take),
// and a thread that cannot be had for lack of memory is a refused thread. Hooks run on the calling
// thread, never two at a time, and may not call Run.
class OrderedRunner {
public:
    struct Hooks {
        // Before job i is taken in hand: false ends the run before job i.
        std::function<bool(std::size_t i)> take;
        // The whole text of job i, which has no text file: false, with a reason, when it could not be
        // passed on (the job then fails).
        std::function<bool(std::size_t i, const BufferSink& text, std::string& reason)> deliver;
        // Job i is finished.
        std::function<void(std::size_t i, const JobResult& result)> done;
    };

    OrderedRunner(const std::vector<Job>& jobs, RunOptions options, Hooks hooks);
    ~OrderedRunner();
    OrderedRunner(const OrderedRunner&) = delete;
    OrderedRunner& operator=(const OrderedRunner&) = delete;

    // Runs the jobs; returns once every job taken is finished and no worker is left. Once only.
    RunReport Run();
    // Lets the first `count` jobs of a gated run be put in place. Any thread, any time, also before
    // or after Run.
    void Release(std::size_t count);
    // Ends a gated run before job `count`, taken or not: the jobs before it that were taken are
    // finished, no job from it on is put in place or reported done. `count` must not be below what
    // Release let through. Any thread.
    void Cut(std::size_t count);

private:
    struct Slot;
    struct Task;

    void WorkerLoop();
    void ConsumerLoop();
    // The next task for a worker, or none (under the lock).
    bool Pick(Task& task);
    void RunTask(const Task& task, PartScratch& scratch, std::unique_lock<std::mutex>& lock);
    void RunJob(std::size_t i, std::unique_lock<std::mutex>& lock);
    void RunPart(std::size_t i, std::size_t part, PartScratch& scratch, std::unique_lock<std::mutex>& lock);
    // Appends the parts of job i that are done, in order, and ends the job after its last part,
    // unless another thread is at it already (under the lock, which it lets go while it writes).
    void AppendParts(Slot& slot, std::unique_lock<std::mutex>& lock);
    void MarkReady(Slot& slot);
    // Ends the job in hand: puts its text in place or delivers it, then Hooks::done.
    void Finish(std::size_t i, std::unique_lock<std::mutex>& lock);
    void StopTaking();
    Slot& SlotOf(std::size_t i);

    const std::vector<Job>& m_jobs;
    RunOptions m_options;
    Hooks m_hooks;
    std::size_t m_workers = 1;

    std::mutex m_mutex;
    std::condition_variable m_changed;         // a job or part got done, or the gate or the end moved
    std::vector<std::unique_ptr<Slot>> m_ring; // the jobs [m_cursor, m_next), slot i % ahead
    std::vector<std::size_t> m_splitting;      // jobs whose parts are handed out, in list order
    std::size_t m_cursor = 0;                  // the job next finished
    std::size_t m_taken = 0;                   // jobs taken in hand: [m_cursor, m_taken)
    std::size_t m_next = 0;                    // the job next started
    std::size_t m_released = 0;                // gated runs: jobs that may be put in place
    std::size_t m_held = 0;                    // bytes of text held in memory by jobs and parts done
    std::size_t m_files = 0;                   // replacement files held open by jobs made ahead
    std::size_t m_mostHeld = 0;
    std::size_t m_mostAhead = 0;
    std::size_t m_split = 0;
    bool m_stopTaking = false;
    bool m_ended = false; // the workers leave
};

} // namespace pagewright::run
