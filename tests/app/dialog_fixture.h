#pragma once

// A main window on fake platform services, with an output folder in a temporary directory, and
// helpers that drive it the way a user would.

#include "app/converter_dlg.h"
#include "app/job_list_delegate.h"
#include "app/main_window_template.h"
#include "batch/job_batch.h"
#include "tests/fakes/fake_platform.h"
#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_dir.h"
#include "tools/pdf_builder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(m_dir / "out");
        m_outDir = Q(m_dir / "out");
        m_profile.values.insert(FakeProfileStore::Key("Settings", "Out Path"), m_outDir);
        m_directories.existing.insert(m_outDir);
        m_guide = Q(m_dir / "user guide.html");
        WriteBytes(m_dir / "user guide.html", "<p>Help</p>");
        m_dlg = std::make_unique<CConverterDlg>(
            PlatformServices{m_prompts, m_shell, m_browser, m_profile, m_directories, m_guide});
        m_dlg->show();
        // Focus and the default button move as on a desktop only in the active window.
        m_dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    }
    void TearDown() override { m_dlg.reset(); }

    static QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
    QPushButton* Button(int id) const { return qobject_cast<QPushButton*>(m_dlg->Control(id)); }
    QTreeWidget* List() const { return m_dlg->JobList(); }
    QString Cell(int row, int column) const {
        // What a screen reader reads, the row number included.
        const QTreeWidgetItem* item = List()->topLevelItem(row);
        return item ? item->text(column) : QString();
    }
    QString Pdf(const std::string& name) {
        const auto path = m_dir / (name + ".pdf");
        WriteBytes(path, pagewright::pdfgen::MakePdf({"BT (" + name + ") Tj ET Q"}));
        return Q(path);
    }
    // Clicks Add with the picker answering `selection`.
    void Add(const QStringList& selection) {
        m_prompts.pdfSelections.push_back(selection);
        QTest::mouseClick(Button(IDC_ADD), Qt::LeftButton);
    }
    // Lets the event loop run until `done` holds or the time is up.
    template <typename Pred> bool WaitFor(Pred done, int ms = 30000) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    TempDir m_dir;
    QString m_outDir;
    QString m_guide; // the user guide, which Help opens
    FakePrompts m_prompts;
    FakeShell m_shell;
    FakeBrowserLauncher m_browser;
    FakeProfileStore m_profile;
    FakeDirectories m_directories;
    std::unique_ptr<CConverterDlg> m_dlg;
};
