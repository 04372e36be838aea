#include "runner/ordered_runner.h"

#include "engine/pdf_text_extractor.h"
#include "tests/support/failing_new.h"
#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace pagewright::run;
namespace fs = std::filesystem;

namespace {

std::string PdfSaying(const std::string& text, int pages = 1) {
    std::vector<std::string> contents;
    for (int p = 0; p < pages; ++p)
        contents.push_back("BT 0 -12 Td (" + text + " " + std::to_string(p) + ") Tj ET Q");
    return pagewright::pdfgen::MakePdf(contents);
}

std::set<std::string> Names(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A list of jobs over a folder of PDFs and one of earlier texts, with what each text file must hold
// once a job is finished.
class OrderedRun : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(m_dir / "in");
        fs::create_directory(m_dir / "out");
    }
    // A job whose PDF says `text` on `pages` pages (none: no such PDF), into out/`name`.txt, which
    // holds "earlier" before the run.
    void AddJob(const std::string& name, const std::string& text, int pages = 1) {
        const fs::path source = m_dir / "in" / (std::to_string(m_jobs.size()) + ".pdf");
        if (pages > 0)
            WriteBytes(source, PdfSaying(text, pages));
        const fs::path target = m_dir / "out" / (name + ".txt");
        WriteBytes(target, "earlier");
        m_jobs.push_back({source, target});
        std::string expected;
        if (pages > 0 && (!m_engine.ConvertFileToText(source, expected) || expected.empty()))
            ADD_FAILURE() << "the PDF of " << name << " gives no text";
        m_expected.push_back(pages > 0 ? expected : "");
    }
    // What the text file of job i holds once jobs 0 to i are finished.
    std::string TextAfter(std::size_t i) const {
        for (std::size_t k = i + 1; k-- > 0;)
            if (m_jobs[k].target == m_jobs[i].target && fs::exists(m_jobs[k].source))
                return m_expected[k];
        return "earlier";
    }
    // Whether the text file of job i holds what it may before job i is finished: what it held
    // before the run, or the text of an earlier job of the same text file.
    bool UntouchedBy(std::size_t i) const {
        const std::string text = ReadBytes(m_jobs[i].target);
        for (std::size_t k = 0; k < i; ++k)
            if (m_jobs[k].target == m_jobs[i].target && fs::exists(m_jobs[k].source) && text == m_expected[k])
                return true;
        return text == "earlier";
    }

    TempDir m_dir;
    const CPdfTextExtractor m_engine;
    std::vector<Job> m_jobs;
    std::vector<std::string> m_expected;
};

TEST_F(OrderedRun, JobsAreTakenAndFinishedInListOrderOnAnyNumberOfWorkers) {
    // Missing PDFs, PDFs that share a text file (the later one wins, a failure keeps the earlier
    // text) and PDFs large enough to be split into parts, between small ones.
    for (int i = 0; i < 40; ++i) {
        if (i % 7 == 3)
            AddJob("shared", "shared " + std::to_string(i));
        else if (i % 11 == 5)
            AddJob("gone" + std::to_string(i), "", 0);
        else if (i % 13 == 0)
            AddJob("large" + std::to_string(i), "large " + std::to_string(i), 120);
        else
            AddJob("f" + std::to_string(i), "text " + std::to_string(i));
    }
    AddJob("shared", "", 0);
    for (const unsigned workers : {1u, 2u, 8u}) {
        for (const bool gated : {false, true}) {
            SCOPED_TRACE(std::to_string(workers) + (gated ? " workers, gated" : " workers"));
            for (const Job& job : m_jobs)
                WriteBytes(job.target, "earlier");
            RunOptions options;
            options.workers = workers;
            options.gated = gated;
            options.splitBytes = 2000;
            options.partBytes = 300;
            std::vector<std::string> log;
            OrderedRunner* self = nullptr;
            OrderedRunner::Hooks hooks;
            hooks.take = [&](std::size_t i) {
                log.push_back("take " + std::to_string(i));
                // Nothing of job i is in place before it is taken.
                EXPECT_TRUE(UntouchedBy(i)) << i;
                self->Release(i + 1);
                return true;
            };
            hooks.done = [&](std::size_t i, const JobResult& result) {
                log.push_back("done " + std::to_string(i));
                EXPECT_EQ(result.converted, fs::exists(m_jobs[i].source)) << i << ": " << result.reason;
                EXPECT_TRUE(SameBytes(ReadBytes(m_jobs[i].target), TextAfter(i))) << i;
            };
            OrderedRunner runner(m_jobs, options, hooks);
            self = &runner;
            const RunReport report = runner.Run();
            EXPECT_EQ(report.split, workers > 1 ? 4u : 0u) << "the large PDFs are shared among the workers";
            // Taken in order, each finished after it was taken and before the next one is finished.
            std::size_t taken = 0;
            std::size_t done = 0;
            for (const std::string& entry : log) {
                if (entry.starts_with("take"))
                    EXPECT_EQ(entry, "take " + std::to_string(taken++));
                else
                    EXPECT_EQ(entry, "done " + std::to_string(done++));
                EXPECT_LE(done, taken);
            }
            EXPECT_EQ(done, m_jobs.size());
            std::set<std::string> targets;
            for (const Job& job : m_jobs)
                targets.insert(job.target.filename().string());
            EXPECT_EQ(Names(m_dir / "out"), targets) << "no temporary file is left";
        }
    }
}

TEST_F(OrderedRun, AGatedRunPutsNothingInPlaceBeforeItsRelease) {
    for (int i = 0; i < 12; ++i)
        AddJob("g" + std::to_string(i), "gated " + std::to_string(i), i % 4 == 1 ? 60 : 1);
    RunOptions options;
    options.workers = 3;
    options.gated = true;
    options.splitBytes = 2000;
    options.partBytes = 300;
    std::mutex mutex;
    std::condition_variable allTaken;
    std::size_t taken = 0;
    std::size_t done = 0;
    OrderedRunner::Hooks hooks;
    hooks.take = [&](std::size_t i) {
        const std::lock_guard lock(mutex);
        taken = i + 1;
        allTaken.notify_all();
        return true;
    };
    hooks.done = [&](std::size_t, const JobResult&) { ++done; };
    OrderedRunner runner(m_jobs, options, hooks);
    // Every job is made and taken while none is released: not one text file may have changed.
    std::thread releaser([&] {
        std::unique_lock lock(mutex);
        allTaken.wait(lock, [&] { return taken == m_jobs.size(); });
        for (const Job& job : m_jobs)
            EXPECT_EQ(ReadBytes(job.target), "earlier") << job.target;
        runner.Release(m_jobs.size());
    });
    runner.Run();
    releaser.join();
    EXPECT_EQ(done, m_jobs.size());
    for (std::size_t i = 0; i < m_jobs.size(); ++i)
        EXPECT_TRUE(SameBytes(ReadBytes(m_jobs[i].target), m_expected[i])) << i;
}

TEST_F(OrderedRun, AStopLeavesEveryLaterJobUntouchedAndDropsWhatWasMadeAhead) {
    // Refused by take, or cut short by the gate at a job already taken; on one and on many workers.
    for (int i = 0; i < 30; ++i)
        AddJob("s" + std::to_string(i), "stop " + std::to_string(i), i % 5 == 2 ? 50 : 1);
    struct Case {
        unsigned workers;
        bool cut;
        std::size_t at;
    };
    for (const Case c : {Case{1, false, 0}, Case{4, false, 7}, Case{4, false, 29}, Case{1, true, 3},
                         Case{4, true, 12}, Case{4, true, 0}}) {
        SCOPED_TRACE(std::to_string(c.workers) + " workers, " + (c.cut ? "cut" : "refused") + " at " +
                     std::to_string(c.at));
        for (const Job& job : m_jobs)
            WriteBytes(job.target, "earlier");
        const std::set<std::string> before = Names(m_dir / "out");
        RunOptions options;
        options.workers = c.workers;
        options.gated = c.cut;
        options.splitBytes = 2000;
        options.partBytes = 300;
        std::vector<std::size_t> done;
        OrderedRunner* self = nullptr;
        OrderedRunner::Hooks hooks;
        hooks.take = [&](std::size_t i) {
            if (!c.cut)
                return i != c.at;
            // The window's way: the jobs taken meanwhile run three rows past the stop; the rows
            // shown up to it are released, the run is cut at the first row not shown, and later
            // releases change nothing.
            if (i == c.at + 3) {
                self->Release(c.at);
                self->Cut(c.at);
                self->Release(i);
            }
            return true;
        };
        hooks.done = [&](std::size_t i, const JobResult&) { done.push_back(i); };
        OrderedRunner runner(m_jobs, options, hooks);
        self = &runner;
        runner.Run();
        ASSERT_EQ(done.size(), c.at);
        for (std::size_t i = 0; i < m_jobs.size(); ++i)
            EXPECT_EQ(ReadBytes(m_jobs[i].target), i < c.at ? m_expected[i] : "earlier") << i;
        EXPECT_EQ(Names(m_dir / "out"), before) << "no temporary file is left";
    }
}

TEST_F(OrderedRun, AJobWithoutATextFileIsDeliveredWholeAndInOrder) {
    for (int i = 0; i < 9; ++i)
        AddJob("m" + std::to_string(i), "memory " + std::to_string(i), i == 4 ? 200 : 1 + i % 3);
    std::vector<Job> jobs = m_jobs;
    for (Job& job : jobs)
        job.target.clear();
    fs::remove(jobs[6].source);
    RunOptions options;
    options.workers = 4;
    options.splitBytes = 2000;
    options.partBytes = 300;
    std::string delivered;
    std::string expected;
    std::vector<bool> converted;
    OrderedRunner::Hooks hooks;
    hooks.deliver = [&](std::size_t, const BufferSink& text, std::string&) {
        delivered.append(reinterpret_cast<const char*>(text.Bytes()), text.Size());
        return true;
    };
    hooks.done = [&](std::size_t, const JobResult& result) { converted.push_back(result.converted); };
    for (std::size_t i = 0; i < jobs.size(); ++i)
        expected += i == 6 ? "" : m_expected[i];
    OrderedRunner(jobs, options, hooks).Run();
    EXPECT_TRUE(SameBytes(delivered, expected));
    EXPECT_EQ(converted, (std::vector<bool>{true, true, true, true, true, true, false, true, true}));
    for (const Job& job : m_jobs)
        EXPECT_EQ(ReadBytes(job.target), "earlier");
}

TEST_F(OrderedRun, WorkersStayWithinTheJobsAndTheTextAllowedAhead) {
    // A first PDF that takes long (not split), while the others, each with a long text, could run
    // far ahead of it.
    AddJob("slow", "slow", 5000);
    // Letters that do not compress beyond the engine's ten times, or the streams would give nothing.
    std::string line;
    std::minstd_rand letters(7);
    for (int k = 0; k < 2000; ++k)
        line += static_cast<char>('a' + letters() % 26);
    for (int i = 1; i < 120; ++i)
        AddJob("t" + std::to_string(i), line, 40);
    ASSERT_GT(m_expected[1].size(), 40u * 2000u);
    std::size_t longest = 0;
    for (const std::string& text : m_expected)
        longest = std::max(longest, text.size());
    RunOptions options;
    options.workers = 3;
    options.ahead = 100;
    options.heldBytes = 4 * longest;
    options.splitBytes = std::size_t(1) << 40;
    const RunReport report = OrderedRunner(m_jobs, options, {}).Run();
    // Each worker may finish one text past the bound; memory for a text is at most twice its size.
    EXPECT_LE(report.mostHeldBytes, options.heldBytes + 3 * 2 * longest);
    EXPECT_LE(report.mostAhead, options.ahead);
    for (std::size_t i = 0; i < m_jobs.size(); ++i)
        EXPECT_TRUE(SameBytes(ReadBytes(m_jobs[i].target), m_expected[i])) << i;
}

// A thousand tiny PDFs on many threads, released by another thread in uneven steps and stopped at a
// random row, as the window does: whatever the interleaving, the order and the stop hold.
TEST_F(OrderedRun, AThousandTinyPdfsStoppedAtRandomMomentsKeepOrderAndStop) {
    constexpr std::size_t kJobs = 1000;
    constexpr std::size_t kNames = 900;
    for (std::size_t i = 0; i < kJobs; ++i)
        AddJob("tiny" + std::to_string(i % kNames), "tiny " + std::to_string(i));
    std::mt19937 rng(20261208);
    for (int round = 0; round < 3; ++round) {
        const std::size_t stopAt = 200 + rng() % (kJobs - 200);
        SCOPED_TRACE("stop at " + std::to_string(stopAt));
        for (const Job& job : m_jobs)
            WriteBytes(job.target, "earlier");
        RunOptions options;
        options.workers = 4;
        options.gated = true;
        options.ahead = 64 + rng() % 512;
        std::mutex mutex;
        std::condition_variable moved;
        std::size_t taken = 0;
        bool ended = false;
        std::size_t nextDone = 0;
        bool inOrder = true;
        OrderedRunner::Hooks hooks;
        hooks.take = [&](std::size_t i) {
            const std::lock_guard lock(mutex);
            inOrder = inOrder && i == taken;
            taken = i + 1;
            moved.notify_all();
            return i != stopAt;
        };
        hooks.done = [&](std::size_t i, const JobResult& result) {
            inOrder = inOrder && i == nextDone++ && result.converted;
        };
        OrderedRunner runner(m_jobs, options, hooks);
        // Releases what was taken, less a few rows at random, whenever more is taken; all of it when
        // nothing more comes; up to the stop once it has come.
        std::thread releaser([&, seed = rng()] {
            std::mt19937 steps(seed);
            std::unique_lock lock(mutex);
            std::size_t seen = 0;
            while (!ended) {
                const bool more = moved.wait_for(lock, std::chrono::milliseconds(1),
                                                 [&] { return taken != seen || ended; });
                seen = taken;
                runner.Release(std::min(seen, stopAt) -
                               (more ? std::min<std::size_t>(seen, steps() % 8) : 0));
            }
        });
        runner.Run();
        {
            const std::lock_guard lock(mutex);
            ended = true;
            moved.notify_all();
        }
        releaser.join();
        EXPECT_TRUE(inOrder);
        EXPECT_EQ(nextDone, stopAt);
        // The text of a name is that of the last job before the stop that has it.
        for (std::size_t i = 0; i < kNames; ++i) {
            const std::size_t last = i + kNames < stopAt ? i + kNames : i;
            EXPECT_EQ(ReadBytes(m_jobs[i].target), last < stopAt ? m_expected[last] : "earlier") << i;
        }
    }
}

// Memory runs short in a worker thread: the job in its hands fails alone with its reason, the worker
// goes on with the next, and no exception leaves a thread or Run. With text files and without.
TEST_F(OrderedRun, AWorkerWithoutMemoryFailsItsJobsAloneAndTheRunGoesOn) {
    for (int i = 0; i < 24; ++i)
        AddJob("n" + std::to_string(i), "no memory " + std::to_string(i), i % 6 == 5 ? 80 : 1);
    for (const bool toMemory : {false, true}) {
        SCOPED_TRACE(toMemory ? "texts in memory" : "text files");
        std::vector<Job> jobs = m_jobs;
        for (Job& job : jobs) {
            WriteBytes(job.target, "earlier");
            if (toMemory)
                job.target.clear();
        }
        const std::size_t failedBefore = pagewright::testing::FailedAllocations();
        RunOptions options;
        options.workers = 2;
        options.splitBytes = 2000;
        options.partBytes = 300;
        options.startThread = [](std::function<void()> work) {
            return std::jthread([work = std::move(work)] {
                pagewright::testing::FailNextAllocations(1);
                work();
            });
        };
        std::vector<JobResult> results(jobs.size());
        OrderedRunner::Hooks hooks;
        hooks.take = [&](std::size_t i) {
            // The first job waits until the worker has met the failure: it has then taken a job.
            while (i == 0 && pagewright::testing::FailedAllocations() == failedBefore)
                std::this_thread::yield();
            return true;
        };
        hooks.deliver = [](std::size_t, const BufferSink&, std::string&) { return true; };
        hooks.done = [&](std::size_t i, const JobResult& result) { results[i] = result; };
        OrderedRunner(jobs, options, hooks).Run();
        // The worker's first job is job 0: the calling thread waits in take(0) until it has failed.
        EXPECT_FALSE(results[0].converted);
        EXPECT_EQ(results[0].reason, "not enough memory to inflate a stream");
        EXPECT_EQ(ReadBytes(m_jobs[0].target), "earlier");
        for (std::size_t i = 1; i < jobs.size(); ++i) {
            EXPECT_TRUE(results[i].converted) << i << ": " << results[i].reason;
            if (!toMemory) {
                EXPECT_TRUE(SameBytes(ReadBytes(m_jobs[i].target), m_expected[i])) << i;
            }
        }
    }
}

} // namespace
