#include "batch/blocking_window_proxy.h"

#include <QThread>

#include <QMetaObject>

#include <chrono>

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#include <immintrin.h>
#define PAGEWRIGHT_PAUSE() _mm_pause()
#else
#define PAGEWRIGHT_PAUSE() ((void)0)
#endif

BlockingWindowProxy::BlockingWindowProxy(QObject* context, IWorkerWindow& window)
    : m_context(context), m_uiThread(context->thread()), m_window(window),
      m_lingers(QThread::idealThreadCount() > 1) {}

bool BlockingWindowProxy::OnUiThread() const {
    return QThread::currentThread() == m_uiThread;
}

template <typename F> void BlockingWindowProxy::Run(F&& call) const {
    if (OnUiThread()) {
        RunQueued();
        call();
        return;
    }
    QMetaObject::invokeMethod(
        m_context,
        [this, &call] {
            RunQueued();
            call();
        },
        Qt::BlockingQueuedConnection);
}

void BlockingWindowProxy::Post(Write write) {
    const std::lock_guard lock(m_mutex);
    m_queued.push_back(std::move(write));
    ++m_postedWrites;
    // One event carries every write queued until the UI thread gets to it.
    m_queuedAny.store(true, std::memory_order_release);
    if (!m_runPosted) {
        m_runPosted = true;
        PostRun();
    }
}

void BlockingWindowProxy::PostRun() const {
    QMetaObject::invokeMethod(
        m_context, [this] { RunQueued(true); }, Qt::QueuedConnection);
}

void BlockingWindowProxy::RunQueued(bool linger) const {
    // A write that runs a nested event loop must not let later ones overtake the rest of its batch:
    // they wait for this loop, which takes them in order.
    if (m_running)
        return;
    m_running = true;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // The two vectors trade places, so neither the worker nor this thread allocates once both
    // have grown to a batch.
    for (;;) {
        // Small files bring a row's writes every few tens of microseconds. Waking this thread for
        // each costs the worker more than the row's own writes, so while they come that fast, and
        // with a core to spare, it looks again for a moment before it goes back to sleep (the
        // worker posts no event meanwhile), giving the event loop its turn every millisecond.
        if (linger && m_lingers && m_gap < 2 * kLinger) {
            const Clock::time_point until = Clock::now() + kLinger;
            while (!m_queuedAny.load(std::memory_order_acquire) && Clock::now() < until)
                PAGEWRIGHT_PAUSE();
            if (Clock::now() - start > kLingerTurn && m_queuedAny.load(std::memory_order_acquire)) {
                PostRun();
                break;
            }
        }
        {
            const std::lock_guard lock(m_mutex);
            m_applying.swap(m_queued);
            m_queuedAny.store(false, std::memory_order_relaxed);
            if (m_applying.empty())
                m_runPosted = false;
        }
        if (m_applying.empty())
            break;
        const Clock::time_point found = Clock::now();
        m_gap = found - m_lastFound;
        m_lastFound = found;
        for (const Write& write : m_applying)
            Apply(write);
        {
            const std::lock_guard lock(m_mutex);
            m_doneWrites.fetch_add(m_applying.size(), std::memory_order_release);
        }
        m_shown.notify_all();
        m_applying.clear();
        if (!linger) {
            const std::lock_guard lock(m_mutex);
            if (m_queued.empty()) {
                m_runPosted = false;
                break;
            }
        }
    }
    m_running = false;
}

void BlockingWindowProxy::Apply(const Write& write) const {
    if (write.kind == Write::Kind::Select)
        m_window.SelectRow(write.row, write.ensureVisible);
    else
        m_window.SetStatus(write.row, write.status, write.toolTip);
}

void BlockingWindowProxy::WaitUntilShown() {
    if (OnUiThread()) {
        RunQueued();
        return;
    }
    const std::uint64_t posted = m_postedWrites;
    if (m_doneWrites.load(std::memory_order_acquire) >= posted)
        return;
    std::unique_lock lock(m_mutex);
    m_shown.wait(lock, [&] { return m_doneWrites.load(std::memory_order_acquire) >= posted; });
}

bool BlockingWindowProxy::IsShown() const {
    return m_doneWrites.load(std::memory_order_acquire) >= m_postedWrites;
}

const QStringList& BlockingWindowProxy::Names() const {
    const std::atomic<std::uint64_t>* version = m_window.NamesVersion();
    if (!m_haveNames || version->load(std::memory_order_acquire) != m_namesVersion) {
        // Read on the UI thread, where the names cannot change while they are read.
        Run([this, version] {
            m_namesVersion = version->load(std::memory_order_acquire);
            m_names = m_window.ColumnTexts(kColumnName);
        });
        m_haveNames = true;
    }
    return m_names;
}

int BlockingWindowProxy::RowCount() const {
    if (m_window.NamesVersion() && !OnUiThread())
        return static_cast<int>(Names().size());
    int count = 0;
    Run([&] { count = m_window.RowCount(); });
    return count;
}

QString BlockingWindowProxy::CellText(int row, int column) const {
    if (column == kColumnName && m_window.NamesVersion() && !OnUiThread()) {
        const QStringList& names = Names();
        return row >= 0 && row < names.size() ? names[row] : QString();
    }
    QString text;
    Run([&] { text = m_window.CellText(row, column); });
    return text;
}

QStringList BlockingWindowProxy::ColumnTexts(int column) const {
    // The names, read once for this call and the row counts and names that follow.
    if (column == kColumnName && m_window.NamesVersion() && !OnUiThread())
        return Names();
    QStringList texts;
    Run([&] { texts = m_window.ColumnTexts(column); });
    return texts;
}

void BlockingWindowProxy::SetStatus(int row, const QString& status, const QString& toolTip) {
    if (OnUiThread())
        Run([&] { m_window.SetStatus(row, status, toolTip); });
    else
        Post({Write::Kind::Status, row, false, status, toolTip});
}

void BlockingWindowProxy::SelectRow(int row, bool ensureVisible) {
    if (OnUiThread())
        Run([&] { m_window.SelectRow(row, ensureVisible); });
    else
        Post({Write::Kind::Select, row, ensureVisible, {}, {}});
}

QString BlockingWindowProxy::OutputDirectory() const {
    QString path;
    Run([&] { path = m_window.OutputDirectory(); });
    return path;
}

void BlockingWindowProxy::EnableCommand(Command command, bool enabled) {
    Run([&] { m_window.EnableCommand(command, enabled); });
}

void BlockingWindowProxy::SetProgressRange(int low, int high) {
    Run([&] { m_window.SetProgressRange(low, high); });
}

void BlockingWindowProxy::OpenFolder(const QString& path) {
    Run([&] { m_window.OpenFolder(path); });
}
