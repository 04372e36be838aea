#include "batch/job_batch.h"

#include "batch/conversion_worker.h"
#include "batch/job_paths.h"
#include "batch/row_event_queue.h"
#include "platform/prompts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QSet>

#include <chrono>
#include <system_error>
#include <thread>

namespace {

const QString kOverwriteQuestion = QStringLiteral("Are you want to overtwrite  ");
const QString kStopQuestion = QStringLiteral("Do you want to stop convert?");
const QString kWarning = QStringLiteral("Warning");

} // namespace

CJobBatch::CJobBatch(IJobWindow& window, IPrompts& prompts, QObject* parent)
    : QObject(parent), m_window(window), m_prompts(prompts),
      m_events(std::make_unique<RowEventQueue>(window, prompts, m_stopRequested)) {}

CJobBatch::~CJobBatch() {
    WaitUntilIdle();
}

void CJobBatch::WaitUntilIdle() {
    // The worker's writes are carried out here, on this thread, until it has returned. No event
    // loop: one started inside the delivery of a posted event (a window destroyed from a queued
    // call) does not get the events posted to this thread, and the worker would wait for its rows
    // to be shown for ever.
    while (m_worker) {
        m_events->Drain();
        if (m_workerReturned.load())
            OnWorkerEnded();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
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

namespace {

// The overwrite question over a series of files: asked file by file, with "Yes to All" and "No to
// All" while more are to be asked, until one of those answers the rest.
class OverwriteQuestions {
public:
    OverwriteQuestions(IPrompts& prompts, int toAsk) : m_prompts(prompts), m_toAsk(toAsk) {}

    // Whether the text file at `target` may be replaced. Only a Yes allows it.
    bool Allow(const QString& target) {
        --m_toAsk;
        if (m_forTheRest != Undecided)
            return m_forTheRest == AllYes;
        switch (m_prompts.AskYesNoInSeries(kOverwriteQuestion + target + QStringLiteral("!"), kWarning,
                                           PromptIcon::Exclamation, m_toAsk > 0)) {
        case PromptAnswer::Yes:
            return true;
        case PromptAnswer::YesToAll:
            m_forTheRest = AllYes;
            return true;
        case PromptAnswer::NoToAll:
            m_forTheRest = AllNo;
            return false;
        default:
            return false;
        }
    }

private:
    IPrompts& m_prompts;
    int m_toAsk;
    enum { Undecided, AllYes, AllNo } m_forTheRest = Undecided;
};

} // namespace

void CJobBatch::AddFiles(const QStringList& paths) {
    const QList<LeftOutPath> leftOut = AddPaths(paths);
    if (!leftOut.isEmpty())
        m_prompts.ShowMessage(LeftOutMessage(leftOut), QCoreApplication::applicationName(),
                              PromptIcon::Exclamation);
}

QList<LeftOutPath> CJobBatch::AddPaths(const QStringList& paths) {
    if (m_worker)
        return {};
    m_stopRequested.store(false);
    const QString outputDirectory = m_window.OutputDirectory();

    // The rows' paths and text files, gathered once: asking the list for every chosen file would
    // make adding thousands of files quadratic.
    QSet<QString> inList;
    QSet<QString> targets;
    const int rows = m_window.RowCount();
    inList.reserve(rows + paths.size());
    targets.reserve(rows + paths.size());
    for (int row = 0; row < rows; ++row) {
        const QString path = m_window.CellText(row, kColumnName);
        inList.insert(DuplicateKey(path));
        targets.insert(DuplicateKey(TargetPathFor(path, outputDirectory)));
    }

    // A file already in the list is left out, and the rest are added. A text file that exists, or
    // that a row or an earlier file of this Add will write, is replaced only after a Yes.
    struct Chosen {
        QString path;
        QString target;
        bool ask;
    };
    QList<Chosen> chosen;
    QList<LeftOutPath> leftOut;
    int toAsk = 0;
    for (const QString& path : paths) {
        const QString key = DuplicateKey(path);
        if (inList.contains(key)) {
            leftOut.append({path, kAlreadyInTheList});
            continue;
        }
        inList.insert(key);
        const QString target = TargetPathFor(path, outputDirectory);
        const QString targetKey = DuplicateKey(target);
        const bool ask = targets.contains(targetKey) || QFileInfo::exists(target);
        targets.insert(targetKey);
        toAsk += ask ? 1 : 0;
        chosen.append({path, target, ask});
    }

    OverwriteQuestions questions(m_prompts, toAsk);
    int insertAt = 0;
    for (const Chosen& file : chosen) {
        const QString size = SizeText(QFileInfo(file.path).size());
        if (file.ask && !questions.Allow(file.target))
            continue;
        m_window.InsertRow(insertAt);
        m_window.SetCellText(insertAt, kColumnName, file.path);
        m_window.SetCellText(insertAt, kColumnSize, size);
        m_window.SetCellText(insertAt, kColumnTarget, QStringLiteral("txt"));
        m_window.SetCellText(insertAt, kColumnStatus, kStatusReady);
        m_cleared.insert(DuplicateKey(file.path), DuplicateKey(file.target));
        ++insertAt;
    }
    // The buttons stay as they are when every file was in the list already (which then has rows).
    if (!chosen.isEmpty())
        ApplyStateChange(m_window, StateChange::FilesAdded);
    return leftOut;
}

void CJobBatch::AddFromDesktop(const QStringList& paths) {
    QStringList pdfs;
    QList<LeftOutPath> leftOut;
    if (m_worker) {
        // Only another start of the program hands files over during a run (drops are refused
        // at the door): say where its files went.
        for (const QString& path : paths)
            leftOut.append({path, kWhileConverting});
        m_prompts.ShowMessage(LeftOutMessage(leftOut), QCoreApplication::applicationName(),
                              PromptIcon::Exclamation);
        return;
    }
    for (const QString& path : paths) {
        const QString reason = NotAPdfReason(path);
        if (reason.isEmpty())
            pdfs << path;
        else
            leftOut.append({path, reason});
    }
    if (!pdfs.isEmpty())
        leftOut += AddPaths(pdfs);
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
        m_cleared.remove(DuplicateKey(m_window.CellText(row, kColumnName)));
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
    m_cleared.clear();
    ApplyStateChange(m_window, StateChange::ListCleared);
}

void CJobBatch::OnConvert() {
    if (m_window.RowCount() == 0 || m_worker)
        return;
    RunRows run{{}, {}, m_window.OutputDirectory()};
    const QStringList names = m_window.ColumnTexts(kColumnName);

    // A row whose text file is now in another place than the one Add cleared (Browse chose
    // another folder), and exists there, is asked about again before the run; a declined row is
    // left out of it. What a run writes counts as cleared, so the same list converts again without
    // a question.
    QList<bool> ask;
    int toAsk = 0;
    for (const QString& name : names) {
        const QString target = DuplicateKey(TargetPathFor(name, run.outputDirectory));
        ask << (m_cleared.value(DuplicateKey(name)) != target &&
                QFileInfo::exists(TargetPathFor(name, run.outputDirectory)));
        toAsk += ask.back() ? 1 : 0;
    }
    OverwriteQuestions questions(m_prompts, toAsk);
    for (int row = 0; row < names.size(); ++row) {
        if (ask[row] && !questions.Allow(TargetPathFor(names[row], run.outputDirectory)))
            continue;
        run.rows << row;
        run.sources << names[row];
        m_cleared.insert(DuplicateKey(names[row]),
                         DuplicateKey(TargetPathFor(names[row], run.outputDirectory)));
    }
    if (run.rows.isEmpty())
        return;

    ApplyStateChange(m_window, StateChange::RunStarted);
    m_window.SetProgressRange(1, 100);
    m_events->ExpectEnd();
    // The run takes the rows once: the list cannot change until it ends. A plain thread: its start
    // and its end are the system's, which ThreadSanitizer sees (a QThread's end goes through Qt's
    // own locks, which it cannot see).
    try {
        m_workerReturned.store(false);
        m_worker = std::make_unique<std::thread>([this, run = std::move(run)] {
            ConvertThreadProc(run, *m_events, m_stopRequested);
            // The thread's last steps: the UI thread joins it as soon as it has returned.
            m_workerReturned.store(true);
            QMetaObject::invokeMethod(this, &CJobBatch::OnWorkerEnded, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the run ends before it began, and the buttons say so.
        ApplyStateChange(m_window, StateChange::RunEnded);
    }
}

void CJobBatch::OnWorkerEnded() {
    if (!m_worker)
        return;
    m_worker->join();
    m_worker.reset();
    // The run's last writes, and its end even when it could not say so.
    m_events->Drain();
    if (!m_events->EndShown())
        ApplyStateChange(m_window, StateChange::RunEnded);
    emit RunFinished();
}

void CJobBatch::OnStop() {
    if (m_prompts.AskYesNo(kStopQuestion, kWarning, PromptIcon::Question) != PromptAnswer::No)
        m_stopRequested.store(true);
}
