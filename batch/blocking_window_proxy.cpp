#include "batch/blocking_window_proxy.h"

#include <QMetaObject>
#include <QThread>

bool BlockingWindowProxy::OnUiThread() const {
    return QThread::currentThread() == m_context->thread();
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

void BlockingWindowProxy::Post(std::function<void()> call) const {
    const std::lock_guard lock(m_mutex);
    m_queued.push_back(std::move(call));
    ++m_postedWrites;
    // One event carries every write queued until the UI thread gets to it.
    if (!m_runPosted) {
        m_runPosted = true;
        QMetaObject::invokeMethod(
            m_context, [this] { RunQueued(); }, Qt::QueuedConnection);
    }
}

void BlockingWindowProxy::RunQueued() const {
    // A write that runs a nested event loop must not let later ones overtake the rest of its batch:
    // they wait for this loop, which takes them in order.
    if (m_running)
        return;
    m_running = true;
    std::vector<std::function<void()>> calls;
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            calls.swap(m_queued);
            m_runPosted = false;
        }
        if (calls.empty())
            break;
        for (const auto& call : calls)
            call();
        {
            const std::lock_guard lock(m_mutex);
            m_doneWrites += calls.size();
        }
        m_shown.notify_all();
        calls.clear();
    }
    m_running = false;
}

void BlockingWindowProxy::WaitUntilShown() {
    if (OnUiThread()) {
        RunQueued();
        return;
    }
    std::unique_lock lock(m_mutex);
    const std::uint64_t posted = m_postedWrites;
    m_shown.wait(lock, [&] { return m_doneWrites >= posted; });
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
    QStringList texts;
    Run([&] { texts = m_window.ColumnTexts(column); });
    return texts;
}

void BlockingWindowProxy::SetStatus(int row, const QString& status, const QString& toolTip) {
    if (OnUiThread())
        Run([&] { m_window.SetStatus(row, status, toolTip); });
    else
        Post([this, row, status, toolTip] { m_window.SetStatus(row, status, toolTip); });
}

void BlockingWindowProxy::SelectRow(int row, bool ensureVisible) {
    if (OnUiThread())
        Run([&] { m_window.SelectRow(row, ensureVisible); });
    else
        Post([this, row, ensureVisible] { m_window.SelectRow(row, ensureVisible); });
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
