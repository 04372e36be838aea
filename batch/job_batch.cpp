#include "batch/job_batch.h"

#include "batch/conversion_worker.h"
#include "batch/job_paths.h"
#include "batch/row_event_queue.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QSet>
#include <QThread>

namespace {

const QString kOverwriteQuestion = QStringLiteral("Are you want to overtwrite  ");
const QString kStopQuestion = QStringLiteral("Do you want to stop convert?");
const QString kWarning = QStringLiteral("Warning");

} // namespace

CJobBatch::CJobBatch(IJobWindow& window, IPrompts& prompts, QObject* parent)
    : QObject(parent), m_window(window), m_prompts(prompts),
      m_events(std::make_unique<RowEventQueue>(window, m_stopRequested)) {}

CJobBatch::~CJobBatch() {
    WaitUntilIdle();
}

void CJobBatch::WaitUntilIdle() {
    // The worker's writes are carried out on this thread; serve them until its end has been handled.
    while (m_worker) {
        QEventLoop loop;
        connect(this, &CJobBatch::RunFinished, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

bool CJobBatch::IsRunning() const {
    return m_worker != nullptr;
}

bool CJobBatch::IsFileInList(const QString& path) const {
    const QString key = DuplicateKey(path);
    const int rows = m_window.RowCount();
    for (int row = 0; row < rows; ++row)
        if (DuplicateKey(m_window.CellText(row, kColumnName)) == key)
            return true;
    return false;
}

void CJobBatch::OnAdd() {
    m_stopRequested.store(false);
    AddFiles(m_prompts.PickPdfFiles());
}

void CJobBatch::AddFiles(const QStringList& paths) {
    if (m_worker)
        return;
    m_stopRequested.store(false);
    if (paths.isEmpty())
        return;
    const QString outputDirectory = m_window.OutputDirectory();

    // The rows' keys, gathered once: asking the list for every chosen file would make adding
    // thousands of files quadratic.
    QSet<QString> inList;
    const int rows = m_window.RowCount();
    inList.reserve(rows + paths.size());
    for (int row = 0; row < rows; ++row)
        inList.insert(DuplicateKey(m_window.CellText(row, kColumnName)));

    int insertAt = 0;
    for (const QString& path : paths) {
        const QString target = TargetPathFor(path, outputDirectory);
        const QString key = DuplicateKey(path);
        // A duplicate ends the Add: the rest is not added. The buttons stay as they are unless rows
        // were added, which must be convertible and removable.
        if (inList.contains(key)) {
            if (insertAt > 0)
                ApplyStateChange(m_window, StateChange::FilesAdded);
            return;
        }
        const QString size = SizeText(QFileInfo(path).size());
        if (QFileInfo::exists(target) &&
            m_prompts.AskYesNo(kOverwriteQuestion + target + QStringLiteral("!"), kWarning,
                               PromptIcon::Exclamation) != PromptAnswer::Yes)
            continue;
        m_window.InsertRow(insertAt);
        m_window.SetCellText(insertAt, kColumnName, path);
        m_window.SetCellText(insertAt, kColumnSize, size);
        m_window.SetCellText(insertAt, kColumnTarget, QStringLiteral("txt"));
        m_window.SetCellText(insertAt, kColumnStatus, kStatusReady);
        inList.insert(key);
        ++insertAt;
    }
    ApplyStateChange(m_window, StateChange::FilesAdded);
}

void CJobBatch::AddFromDesktop(const QStringList& paths) {
    if (m_worker)
        return;
    QStringList pdfs;
    QList<LeftOutPath> leftOut;
    for (const QString& path : paths) {
        const QString reason = NotAPdfReason(path);
        if (reason.isEmpty())
            pdfs << path;
        else
            leftOut.append({path, reason});
    }
    if (!pdfs.isEmpty())
        AddFiles(pdfs);
    if (!leftOut.isEmpty())
        m_prompts.ShowMessage(LeftOutMessage(leftOut), QCoreApplication::applicationName(),
                              PromptIcon::Exclamation);
}

void CJobBatch::OnRemove() {
    if (m_window.RowCount() == 0)
        return;
    for (int row = m_window.RowCount() - 1; row >= 0; --row) {
        if (!m_window.IsRowSelected(row))
            continue;
        m_window.DeleteRow(row);
        if (row < m_window.RowCount())
            m_window.SelectRow(row, false);
    }
    m_window.FocusList();
    if (m_window.RowCount() == 0)
        ApplyStateChange(m_window, StateChange::LastRowRemoved);
}

void CJobBatch::OnClear() {
    m_window.DeleteAllRows();
    ApplyStateChange(m_window, StateChange::ListCleared);
}

void CJobBatch::OnConvert() {
    if (m_window.RowCount() == 0 || m_worker)
        return;
    ApplyStateChange(m_window, StateChange::RunStarted);
    m_window.SetProgressRange(1, 100);
    m_events->ExpectEnd();
    // The run takes the rows once: the list cannot change until it ends.
    m_worker.reset(QThread::create(
        [this, rows = RunRows{m_window.ColumnTexts(kColumnName), m_window.OutputDirectory()}] {
            ConvertThreadProc(rows, *m_events, m_stopRequested);
        }));
    connect(m_worker.get(), &QThread::finished, this, [this] {
        m_worker->wait();
        // The run's last writes, and its end even when it could not say so.
        m_events->Drain();
        if (!m_events->EndShown())
            ApplyStateChange(m_window, StateChange::RunEnded);
        m_worker.reset();
        emit RunFinished();
    });
    m_worker->start(QThread::HighestPriority);
}

void CJobBatch::OnStop() {
    if (m_prompts.AskYesNo(kStopQuestion, kWarning, PromptIcon::Question) != PromptAnswer::No)
        m_stopRequested.store(true);
}
