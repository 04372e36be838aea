#pragma once

#include "batch/job_window.h"

#include <QObject>

// Forwards every call of the worker to the window on its own (UI) thread and waits for it there, so
// the worker can drive the window as if it were local. The UI thread must keep its event loop
// running and must never wait for the worker while it does (modal prompts run nested loops, which
// is enough).
class BlockingWindowProxy final : public IWorkerWindow {
public:
    // `context` lives on the UI thread and outlives every call; `window` is called there.
    BlockingWindowProxy(QObject* context, IWorkerWindow& window) : m_context(context), m_window(window) {}

    int RowCount() const override;
    QString CellText(int row, int column) const override;
    QStringList ColumnTexts(int column) const override;
    void SetStatus(int row, const QString& status, const QString& toolTip) override;
    void SelectRow(int row, bool ensureVisible) override;
    QString OutputDirectory() const override;
    void EnableCommand(Command command, bool enabled) override;
    void SetProgressRange(int low, int high) override;
    void OpenFolder(const QString& path) override;

private:
    template <typename F> void Run(F&& call) const;

    QObject* m_context;
    IWorkerWindow& m_window;
};
