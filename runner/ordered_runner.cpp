#include "runner/ordered_runner.h"

#include "engine/text_job.h"

#include <algorithm>
#include <deque>
#include <new>
#include <system_error>
#include <utility>

namespace pagewright::run {

namespace {

constexpr char kNoMemory[] = "not enough memory to inflate a stream";
constexpr char kNoMemoryForThread[] = "not enough memory";
// Replacement files (texts of large PDFs) held open by jobs made ahead: no new job starts beyond
// this many, so a list of large PDFs cannot run the process out of file descriptors.
constexpr std::size_t kFilesAhead = 32;

} // namespace

struct OrderedRunner::Slot {
    enum class State { Running, Splitting, Ready };
    struct Part {
        PdfPart part;
        BufferSink text;
        bool done = false;
        bool ok = true;
    };

    State state = State::Running;
    // Set when the job will not be finished: its conversion stops between two streams.
    std::atomic<bool> cancel{false};
    std::unique_ptr<TextJob> job; // null only when memory for it could not be had
    // A split job's parts, in file order: [0, nextPart) handed out, [0, appended) appended.
    std::deque<Part> parts;
    std::size_t nextPart = 0;
    std::size_t appended = 0;
    bool splitEnded = false;
    std::string splitFailure; // why the split ended early, for the job once its parts are done
    bool lostMemory = false;  // memory ran out on the way: set without taking any
    bool appending = false;
    std::size_t held = 0;    // bytes of text counted in m_held
    bool countsFile = false; // counted in m_files

    void Reset() {
        state = State::Running;
        cancel.store(false, std::memory_order_relaxed);
        job.reset();
        parts.clear();
        nextPart = appended = 0;
        splitEnded = appending = lostMemory = false;
        splitFailure.clear();
        held = 0;
        countsFile = false;
    }
};

struct OrderedRunner::Task {
    std::size_t job = 0;
    bool isPart = false;
    std::size_t part = 0;
};

OrderedRunner::OrderedRunner(const std::vector<Job>& jobs, RunOptions options, Hooks hooks)
    : m_jobs(jobs), m_options(std::move(options)), m_hooks(std::move(hooks)) {}

OrderedRunner::~OrderedRunner() = default;

OrderedRunner::Slot& OrderedRunner::SlotOf(std::size_t i) {
    return *m_ring[i % m_ring.size()];
}

void OrderedRunner::Release(std::size_t count) {
    const std::lock_guard lock(m_mutex);
    if (count <= m_released)
        return;
    m_released = count;
    m_changed.notify_all();
}

void OrderedRunner::Cut(std::size_t count) {
    const std::lock_guard lock(m_mutex);
    if (m_stopTaking && m_taken <= count)
        return;
    m_taken = std::clamp(count, m_cursor, m_taken);
    StopTaking();
}

RunReport OrderedRunner::Run() {
    RunReport report;
    if (m_jobs.empty())
        return report;
    std::size_t wanted = m_options.workers != 0 ? m_options.workers : std::thread::hardware_concurrency();
    // Not fewer than asked for when the jobs are fewer: a large PDF is shared among all of them.
    wanted = std::max<std::size_t>(wanted, 1);
    const std::size_t ahead = m_options.ahead != 0 ? m_options.ahead : 16 * wanted;
    m_ring.reserve(ahead);
    for (std::size_t i = 0; i < ahead; ++i)
        m_ring.push_back(std::make_unique<Slot>());

    std::vector<std::jthread> threads;
    threads.reserve(wanted);
    {
        // Ends the workers however the calling thread leaves; the threads join after it.
        struct End {
            OrderedRunner& runner;
            ~End() {
                const std::lock_guard lock(runner.m_mutex);
                runner.StopTaking();
                runner.m_ended = true;
                runner.m_changed.notify_all();
            }
        };
        // Counted before they start: the first thread may take the first job, which is split
        // only when others are there to share it.
        {
            const std::lock_guard lock(m_mutex);
            m_workers = wanted;
        }
        for (std::size_t t = 1; t < wanted; ++t) {
            try {
                auto work = [this] { WorkerLoop(); };
                threads.push_back(m_options.startThread ? m_options.startThread(work) : std::jthread(work));
            } catch (const std::system_error& e) {
                // The threads already running and this one share the work between them.
                report.threadProblem = e.code().message();
                const std::lock_guard lock(m_mutex);
                m_workers = threads.size() + 1;
                break;
            } catch (const std::bad_alloc&) {
                report.threadProblem = kNoMemoryForThread;
                const std::lock_guard lock(m_mutex);
                m_workers = threads.size() + 1;
                break;
            }
        }
        report.workers = threads.size() + 1;
        const End end{*this};
        ConsumerLoop();
    }
    for (std::jthread& thread : threads)
        thread.join();
    // Texts made ahead of a stop are dropped here: their text files stay as they were.
    for (const auto& slot : m_ring)
        slot->Reset();
    report.mostHeldBytes = m_mostHeld;
    report.mostAhead = m_mostAhead;
    report.split = m_split;
    return report;
}

void OrderedRunner::WorkerLoop() {
    PartScratch scratch;
    std::unique_lock lock(m_mutex);
    while (!m_ended) {
        Task task;
        if (Pick(task))
            RunTask(task, scratch, lock);
        else
            m_changed.wait(lock);
    }
}

void OrderedRunner::ConsumerLoop() {
    PartScratch scratch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (!m_stopTaking && m_taken < m_jobs.size() &&
               (m_taken == m_cursor ||
                (m_options.gated && m_taken < m_next && SlotOf(m_taken).state == Slot::State::Ready))) {
            const std::size_t i = m_taken;
            lock.unlock();
            bool go = true;
            try {
                go = !m_hooks.take || m_hooks.take(i);
            } catch (const std::bad_alloc&) {
                go = false; // the front end cannot take the job in hand: the run ends before it
            }
            lock.lock();
            // A cut while the hook ran counts as its refusal.
            if (!go || m_stopTaking) {
                StopTaking();
                break;
            }
            ++m_taken;
        }
        if (m_cursor < m_taken) {
            if (SlotOf(m_cursor).state == Slot::State::Ready && (!m_options.gated || m_released > m_cursor)) {
                Finish(m_cursor, lock);
                continue;
            }
        } else if (m_stopTaking || m_cursor == m_jobs.size()) {
            return;
        }
        Task task;
        if (Pick(task))
            RunTask(task, scratch, lock);
        else
            m_changed.wait(lock);
    }
}

void OrderedRunner::StopTaking() {
    m_stopTaking = true;
    for (std::size_t i = m_taken; i < m_next; ++i)
        SlotOf(i).cancel.store(true, std::memory_order_relaxed);
    m_changed.notify_all();
}

bool OrderedRunner::Pick(Task& task) {
    // The parts of the earliest split job first: its text holds up every job after it.
    for (auto it = m_splitting.begin(); it != m_splitting.end();) {
        Slot& slot = SlotOf(*it);
        if (!slot.cancel.load(std::memory_order_relaxed) && slot.nextPart < slot.parts.size()) {
            task = {*it, true, slot.nextPart++};
            return true;
        }
        if (slot.splitEnded || slot.cancel.load(std::memory_order_relaxed))
            it = m_splitting.erase(it);
        else
            ++it;
    }
    if (m_stopTaking || m_ended || m_next >= m_jobs.size())
        return false;
    if (m_next != m_cursor &&
        (m_next - m_cursor >= m_ring.size() || m_held >= m_options.heldBytes || m_files >= kFilesAhead))
        return false;
    SlotOf(m_next).Reset();
    task = {m_next++, false, 0};
    m_mostAhead = std::max(m_mostAhead, m_next - m_cursor);
    return true;
}

void OrderedRunner::RunTask(const Task& task, PartScratch& scratch, std::unique_lock<std::mutex>& lock) {
    try {
        if (task.isPart) {
            RunPart(task.job, task.part, scratch, lock);
        } else {
            // A whole PDF has a buffer of its own: the parts' is given back meanwhile.
            scratch.Release();
            RunJob(task.job, lock);
        }
    } catch (const std::bad_alloc&) {
        // Whatever the step, the job fails alone and the run goes on.
        if (!lock.owns_lock())
            lock.lock();
        Slot& slot = SlotOf(task.job);
        if (task.isPart) {
            slot.parts[task.part].done = true;
            slot.parts[task.part].ok = false;
        } else {
            slot.splitEnded = true;
            slot.lostMemory = true;
        }
        if (slot.state == Slot::State::Running)
            MarkReady(slot);
        else if (slot.state == Slot::State::Splitting)
            AppendParts(slot, lock);
        m_changed.notify_all();
    }
}

void OrderedRunner::RunJob(std::size_t i, std::unique_lock<std::mutex>& lock) {
    Slot& slot = SlotOf(i);
    const Job& job = m_jobs[i];
    const bool split = m_workers > 1;
    lock.unlock();
    auto text = std::make_unique<TextJob>();
    const bool opened = text->Open(job.source, job.target, m_options.keep, &slot.cancel);
    if (opened && split && text->PdfSize() > m_options.splitBytes) {
        lock.lock();
        slot.job = std::move(text);
        slot.state = Slot::State::Splitting;
        slot.countsFile = true;
        ++m_files;
        ++m_split;
        m_splitting.push_back(i);
        TextJob& splitting = *slot.job;
        lock.unlock();
        std::string failure;
        const bool found = splitting.Split(
            m_options.partBytes,
            [&](PdfPart&& part) {
                const std::lock_guard partLock(m_mutex);
                slot.parts.push_back({std::move(part), {}, false, true});
                m_changed.notify_all();
            },
            failure);
        lock.lock();
        slot.splitEnded = true;
        if (!found && failure.empty())
            slot.lostMemory = true;
        else if (!found)
            slot.splitFailure = std::move(failure);
        AppendParts(slot, lock);
        m_changed.notify_all();
        return;
    }
    if (opened)
        text->ConvertWhole();
    lock.lock();
    slot.job = std::move(text);
    MarkReady(slot);
    m_changed.notify_all();
}

void OrderedRunner::RunPart(std::size_t i, std::size_t part, PartScratch& scratch,
                            std::unique_lock<std::mutex>& lock) {
    Slot& slot = SlotOf(i);
    // Parts are only ever added behind this one: the reference holds while the lock is let go.
    Slot::Part& p = slot.parts[part];
    const TextJob& job = *slot.job;
    lock.unlock();
    BufferSink text;
    const bool ok = job.ConvertPart(p.part, text, scratch);
    lock.lock();
    p.text = std::move(text);
    p.ok = ok;
    p.done = true;
    m_held += p.text.Capacity();
    m_mostHeld = std::max(m_mostHeld, m_held);
    AppendParts(slot, lock);
    m_changed.notify_all();
}

void OrderedRunner::AppendParts(Slot& slot, std::unique_lock<std::mutex>& lock) {
    if (slot.appending)
        return;
    slot.appending = true;
    TextJob& job = *slot.job;
    for (;;) {
        if (slot.appended < slot.parts.size() && slot.parts[slot.appended].done) {
            Slot::Part& p = slot.parts[slot.appended];
            const BufferSink text = std::move(p.text);
            const bool ok = p.ok;
            p.part = {};
            lock.unlock();
            if (ok)
                job.AppendPart(text);
            else if (!job.Failed())
                job.Fail(slot.cancel.load(std::memory_order_relaxed) ? "cancelled" : kNoMemory);
            lock.lock();
            m_held -= text.Capacity();
            ++slot.appended;
            continue;
        }
        if (slot.splitEnded && slot.appended == slot.parts.size()) {
            lock.unlock();
            if (slot.lostMemory && !job.Failed())
                job.Fail(kNoMemory);
            else if (!slot.splitFailure.empty() && !job.Failed())
                job.Fail(std::move(slot.splitFailure));
            job.EndParts();
            lock.lock();
            MarkReady(slot);
        }
        break;
    }
    slot.appending = false;
}

void OrderedRunner::MarkReady(Slot& slot) {
    slot.state = Slot::State::Ready;
    slot.held = slot.job ? slot.job->HeldBytes() : 0;
    m_held += slot.held;
    m_mostHeld = std::max(m_mostHeld, m_held);
    if (slot.job && slot.job->HoldsFile() && !slot.countsFile) {
        slot.countsFile = true;
        ++m_files;
    }
}

void OrderedRunner::Finish(std::size_t i, std::unique_lock<std::mutex>& lock) {
    Slot& slot = SlotOf(i);
    std::unique_ptr<TextJob> job = std::move(slot.job);
    m_held -= slot.held;
    if (slot.countsFile)
        --m_files;
    slot.Reset();
    ++m_cursor;
    m_changed.notify_all();
    lock.unlock();

    JobResult result;
    try {
        if (job) {
            result.converted = job->Commit();
            result.reason = job->Reason();
            if (result.converted && m_jobs[i].target.empty() && m_hooks.deliver) {
                std::string reason;
                result.converted = m_hooks.deliver(i, job->Text(), reason);
                if (!result.converted)
                    result.reason = std::move(reason);
            }
        }
    } catch (const std::bad_alloc&) {
        result.converted = false;
    }
    if (!result.converted && result.reason.empty())
        result.reason = kNoMemory;
    job.reset();
    try {
        if (m_hooks.done)
            m_hooks.done(i, result);
    } catch (const std::bad_alloc&) {
        // What the front end could not record stays as it had it: not converted.
    }
    lock.lock();
}

} // namespace pagewright::run
