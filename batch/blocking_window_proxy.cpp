#include "batch/blocking_window_proxy.h"

#include <QMetaObject>
#include <QThread>

template <typename F> void BlockingWindowProxy::Run(F&& call) const {
    if (QThread::currentThread() == m_context->thread()) {
        call();
        return;
    }
    QMetaObject::invokeMethod(m_context, std::forward<F>(call), Qt::BlockingQueuedConnection);
}

int BlockingWindowProxy::RowCount() const {
    int count = 0;
    Run([&] { count = m_window.RowCount(); });
    return count;
}

QString BlockingWindowProxy::CellText(int row, int column) const {
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
    Run([&] { m_window.SetStatus(row, status, toolTip); });
}

void BlockingWindowProxy::SelectRow(int row, bool ensureVisible) {
    Run([&] { m_window.SelectRow(row, ensureVisible); });
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
