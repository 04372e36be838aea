#pragma once

#include "batch/job_window.h"

#include <QObject>

#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

// Forwards every call of the worker to the window on its own (UI) thread, so the worker can drive
// the window as if it were local. The UI thread must keep its event loop running and must never
// wait for the worker while it does (modal prompts run nested loops, which is enough).
//
// Calls run on the UI thread in the order the worker makes them. The worker waits for the commands
// and the folder and for every read that goes to the window. The writes (selecting a row, a row's
// statuses) are only queued: they are carried out in one batch with the next call the worker waits
// for, or as soon as the UI thread gets to them; WaitUntilShown waits until they have been, which
// the worker does before it looks at a row's text file and before it looks at the stop request
// again. Row counts and names are kept from one read to the next while the window's NamesVersion
// stays the same. So the worker reads and converts while the window shows the row, and waits for the
// UI thread only when the window falls behind.
class BlockingWindowProxy final : public IWorkerWindow {
public:
    // `context` lives on the UI thread and outlives every call; `window` is called there.
    BlockingWindowProxy(QObject* context, IWorkerWindow& window);

    int RowCount() const override;
    QString CellText(int row, int column) const override;
    QStringList ColumnTexts(int column) const override;
    void SetStatus(int row, const QString& status, const QString& toolTip) override;
    void SelectRow(int row, bool ensureVisible) override;
    QString OutputDirectory() const override;
    void EnableCommand(Command command, bool enabled) override;
    void SetProgressRange(int low, int high) override;
    void OpenFolder(const QString& path) override;
    void WaitUntilShown() override;
    bool IsShown() const override;

private:
    // Runs `call` on the UI thread after the writes queued before it and waits for it.
    template <typename F> void Run(F&& call) const;
    // A write the worker does not wait for: a row's selection or its status.
    struct Write {
        enum class Kind { Select, Status } kind;
        int row;
        bool ensureVisible;
        QString status;
        QString toolTip;
    };
    // Queues a write for the UI thread.
    void Post(Write write);
    // Carries out the queued writes in order (UI thread).
    // With `linger` (the posted event), it looks for more writes for a while before it returns.
    void RunQueued(bool linger = false) const;
    void PostRun() const;
    void Apply(const Write& write) const;
    bool OnUiThread() const;
    // The names of all rows, read again when the window's NamesVersion has changed.
    const QStringList& Names() const;

    // How long the UI thread looks for more writes before it sleeps, and how long it stays at it
    // before the event loop gets its turn.
    static constexpr std::chrono::microseconds kLinger{40};
    static constexpr std::chrono::microseconds kLingerTurn{1000};

    QObject* m_context;
    QThread* m_uiThread;
    IWorkerWindow& m_window;
    const bool m_lingers; // with more than one core

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_shown; // signalled when queued writes were done
    mutable std::vector<Write> m_queued;     // guarded by m_mutex
    mutable std::vector<Write> m_applying;   // UI thread only: the batch being carried out
    mutable bool m_runPosted = false;        // guarded by m_mutex
    // m_queued holds writes; on a cache line of its own, as the UI thread reads it in a loop.
    alignas(64) mutable std::atomic<bool> m_queuedAny = false;
    std::uint64_t m_postedWrites = 0; // the worker's thread only
    // Written under m_mutex; read without it when it is enough.
    mutable std::atomic<std::uint64_t> m_doneWrites = 0;
    mutable bool m_running = false; // UI thread only: inside RunQueued
    // UI thread only: when writes were last found, and how long after the ones before.
    mutable std::chrono::steady_clock::time_point m_lastFound;
    mutable std::chrono::steady_clock::duration m_gap = std::chrono::steady_clock::duration::max();

    // The worker's thread only.
    mutable QStringList m_names;
    mutable std::uint64_t m_namesVersion = 0;
    mutable bool m_haveNames = false;
};
