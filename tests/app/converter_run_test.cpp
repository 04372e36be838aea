#include "tests/app/dialog_fixture.h"

#include "engine/pdf_text_extractor.h"
#include "platform/os_directories.h"

#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using ConverterRun = DialogTest;

TEST_F(ConverterRun, ThreeRowsGoConvertingThenCompleteAndTheFolderOpensOnce) {
    Add({Pdf("one"), Pdf("two"), Pdf("three")});
    // Each status as it shows, and whether the row's text file is there by then.
    QStringList seen;
    const char* const names[] = {"one", "two", "three"};
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.column() != kColumnStatus)
            return;
        const bool text = std::filesystem::exists(m_dir / "out" / (std::string(names[from.row()]) + ".txt"));
        seen << QString::number(from.row()) + ":" + from.data().toString() + (text ? " +text" : "");
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    // Each row's text appears between its "Converting" and its "Complete"; rows below may show
    // "Converting" before a row above is complete.
    for (const QString n : {"0", "1", "2"})
        EXPECT_EQ(seen.filter(QRegularExpression("^" + n + ":")),
                  (QStringList{n + ":Converting", n + ":Complete +text"}));
    EXPECT_EQ(seen.filter(":Converting"), (QStringList{"0:Converting", "1:Converting", "2:Converting"}));
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(List()->topLevelItem(row)->isSelected()) << row;
    EXPECT_EQ(m_shell.openedFolders, QStringList{m_outDir});

    // The window writes exactly what the engine (and so the command-line tool) writes.
    const CPdfTextExtractor engine;
    for (const char* name : {"one", "two", "three"}) {
        const auto reference = m_dir / (std::string(name) + ".reference.txt");
        ASSERT_TRUE(engine.ConvertFile(m_dir / (std::string(name) + ".pdf"), reference));
        EXPECT_EQ(ReadBytes(m_dir / "out" / (std::string(name) + ".txt")), ReadBytes(reference));
    }
    EXPECT_TRUE(Button(IDC_ADD)->isEnabled());
    EXPECT_FALSE(Button(IDC_STOP)->isEnabled());
}

TEST_F(ConverterRun, BrowseAndOpenStayUsableDuringARun) {
    for (int i = 0; i < 8; ++i)
        Add({Pdf("f" + std::to_string(i))});
    bool checked = false;
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (checked || from.column() != kColumnStatus || from.data().toString() != "Converting")
            return;
        checked = true;
        EXPECT_TRUE(Button(IDC_BROWSE)->isEnabled());
        EXPECT_TRUE(Button(IDC_OPEN_OUTDIR)->isEnabled());
        EXPECT_TRUE(Button(IDC_STOP)->isEnabled());
        EXPECT_FALSE(Button(IDC_ADD)->isEnabled());
        EXPECT_FALSE(Button(IDOK)->isEnabled());
        QTest::mouseClick(Button(IDC_OPEN_OUTDIR), Qt::LeftButton);
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_TRUE(checked);
    EXPECT_EQ(m_shell.openedFolders.size(), 2) << "once by Open during the run, once at its end";
}

TEST_F(ConverterRun, StopYesDuringTheSecondRowLeavesTheThirdReady) {
    Add({Pdf("one"), Pdf("two"), Pdf("three")});
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.row() == 1 && from.column() == kColumnStatus && from.data().toString() == "Converting")
            QTest::mouseClick(Button(IDC_STOP), Qt::LeftButton);
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(m_prompts.asked.back().text, "Do you want to stop convert?");
    EXPECT_EQ(Cell(1, kColumnStatus), "Complete");
    EXPECT_EQ(Cell(2, kColumnStatus), "Ready");
    EXPECT_TRUE(m_shell.openedFolders.isEmpty());
    EXPECT_FALSE(m_dlg->Batch().StopRequested());
    EXPECT_TRUE(Button(IDC_CONVERT)->isEnabled());
}

TEST_F(ConverterRun, UnreadablePdfAndMissingFolderGiveFailedRows) {
    const QString gone = Pdf("gone");
    Add({Pdf("fine"), gone});
    std::filesystem::remove(m_dir / "gone.pdf");
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(Cell(0, kColumnStatus), "Complete");
    EXPECT_EQ(Cell(1, kColumnStatus), "Failed");
    EXPECT_TRUE(List()->topLevelItem(1)->toolTip(kColumnStatus).contains("cannot open the PDF"));
    // The Name cell's tooltip: the whole path, and why the row failed.
    EXPECT_EQ(List()->topLevelItem(0)->toolTip(kColumnName), Cell(0, kColumnName));
    EXPECT_EQ(List()->topLevelItem(1)->toolTip(kColumnName),
              gone + "\n\n" + List()->topLevelItem(1)->toolTip(kColumnStatus));

    // A folder gone for good (it cannot be made again): the rows fail, and it is not shown.
    std::filesystem::remove_all(m_dir / "out");
    m_directories.existing.remove(m_outDir);
    m_shell.openedFolders.clear();
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(Cell(0, kColumnStatus), "Failed");
    EXPECT_TRUE(List()->topLevelItem(0)->toolTip(kColumnName).contains("cannot create the text file"));
    EXPECT_TRUE(m_shell.openedFolders.isEmpty());
}

TEST_F(ConverterRun, ConvertMakesAnOutputFolderDeletedSinceStartUpAgain) {
    COsDirectories directories;
    CConverterDlg dlg(PlatformServices{m_prompts, m_shell, m_browser, m_profile, directories});
    m_prompts.pdfSelections.push_back({Pdf("kept")});
    dlg.OnAdd();
    std::filesystem::remove_all(m_dir / "out");
    dlg.OnConvert();
    ASSERT_TRUE(WaitFor([&] { return !dlg.Batch().IsRunning(); }));
    EXPECT_EQ(ReadBytes(m_dir / "out" / "kept.txt"), "kept\r\n");
    EXPECT_EQ(m_shell.openedFolders, QStringList{m_outDir});
}

TEST_F(ConverterRun, WithoutAFileBrowserTheUserIsToldOnceWhereTheFolderIs) {
    m_shell.succeed = false;
    m_browser.folderResult = std::nullopt;
    QTest::mouseClick(Button(IDC_OPEN_OUTDIR), Qt::LeftButton);
    Add({Pdf("one")});
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(m_shell.openedFolders, (QStringList{m_outDir, m_outDir})) << "Open, then the end of the run";
    EXPECT_EQ(m_browser.launchedFolders, (QStringList{m_outDir, m_outDir}));
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_TRUE(m_prompts.shown[0].text.endsWith(":\n" + m_outDir));
}

TEST_F(ConverterRun, FilesOfAnotherStartAreNamedDuringARunAndAddedAfterIt) {
    QStringList files;
    for (int i = 0; i < 6; ++i)
        files << Pdf("run" + std::to_string(i));
    Add(files);
    const QString late = Pdf("late");
    QObject::connect(
        List()->model(), &QAbstractItemModel::dataChanged, m_dlg.get(), [&](const QModelIndex& from) {
            if (from.row() == 1 && from.column() == kColumnStatus && from.data().toString() == "Converting")
                m_dlg->AddFromAnotherStart({late});
        });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(List()->topLevelItemCount(), 6);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "Files can be added once the conversion has ended. Left out:\n\n" +
                                           late + " (the list is being converted)");

    m_dlg->AddFromAnotherStart({late});
    ASSERT_EQ(List()->topLevelItemCount(), 7);
    EXPECT_EQ(Cell(0, kColumnName), late);
}

TEST_F(ConverterRun, ClosingDuringARunStopsAfterTheFileInHandThenCloses) {
    QStringList files;
    for (int i = 0; i < 12; ++i)
        files << Pdf("many" + std::to_string(i));
    Add(files);
    bool pendingSeen = false;
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.row() == 2 && from.column() == kColumnStatus && from.data().toString() == "Converting") {
            EXPECT_FALSE(m_dlg->ClosingNote()->isVisible());
            m_dlg->close(); // the close box, answered Yes
            // The window shows that it took the request: a note, Stop done with, a busy pointer.
            pendingSeen = m_dlg->isVisible() && m_dlg->IsClosePending() &&
                          m_dlg->ClosingNote()->isVisible() && !Button(IDC_STOP)->isEnabled() &&
                          m_dlg->cursor().shape() == Qt::BusyCursor;
        }
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->isVisible(); }));
    EXPECT_TRUE(pendingSeen) << "the window stays open while the file in hand is finished";
    EXPECT_FALSE(m_dlg->Batch().IsRunning());
    EXPECT_EQ(Cell(2, kColumnStatus), "Complete");
    EXPECT_EQ(Cell(3, kColumnStatus), "Ready");
    EXPECT_EQ(ReadBytes(m_dir / "out" / "many2.txt"), "many2\r\n") << "the file in hand is complete";
    EXPECT_FALSE(std::filesystem::exists(m_dir / "out" / "many3.txt"));
    EXPECT_TRUE(m_shell.openedFolders.isEmpty());
}

TEST_F(ConverterRun, EscapeDuringARunAlsoWaitsForTheFileInHand) {
    Add({Pdf("e1"), Pdf("e2"), Pdf("e3")});
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.row() == 0 && from.column() == kColumnStatus && from.data().toString() == "Converting")
            QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->isVisible(); }));
    EXPECT_EQ(Cell(0, kColumnStatus), "Complete");
    EXPECT_EQ(Cell(1, kColumnStatus), "Ready");
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
}

TEST_F(ConverterRun, DestroyingTheWindowDuringARunFinishesTheRowsShownAndLeavesNothingElse) {
    QStringList files;
    for (int i = 0; i < 10; ++i)
        files << Pdf("d" + std::to_string(i));
    Add(files);
    QObject::connect(
        List()->model(), &QAbstractItemModel::dataChanged, m_dlg.get(), [&](const QModelIndex& from) {
            // Destroyed outside the window's own handlers, as the program destroys it.
            if (from.row() == 3 && from.column() == kColumnStatus && from.data().toString() == "Converting")
                QTimer::singleShot(0, [&] { m_dlg.reset(); });
        });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg; }));
    // The rows shown "Converting" by then (the first four at least) have their whole text; no other
    // file is in the folder, temporary or not.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir / "out"))
        names.insert(entry.path().filename().string());
    std::set<std::string> prefix;
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        prefix.insert("d" + std::to_string(i) + ".txt");
        EXPECT_EQ(ReadBytes(m_dir / "out" / ("d" + std::to_string(i) + ".txt")),
                  "d" + std::to_string(i) + "\r\n");
    }
    EXPECT_GE(names.size(), 4u);
    EXPECT_EQ(names, prefix);
}

} // namespace

namespace {

using ConverterFaults = DialogTest;

TEST_F(ConverterFaults, AFileOfTheListIsNeverWrittenAsAnotherRowsText) {
    // A text file added as if it were a PDF, and a PDF whose text would go to that very file.
    WriteBytes(m_dir / "out" / "b.txt", "earlier text");
    std::filesystem::create_directory(m_dir / "e");
    WriteBytes(m_dir / "e" / "b.pdf", pagewright::pdfgen::MakePdf({"BT (new) Tj ET Q"}));
    Add({Q(m_dir / "out" / "b.txt"), Q(m_dir / "e" / "b.pdf")});
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(Cell(0, kColumnStatus), "Failed");
    EXPECT_EQ(Cell(1, kColumnStatus), "Failed");
    EXPECT_EQ(List()->topLevelItem(1)->toolTip(kColumnStatus),
              "the text file would overwrite a PDF of this run");
    EXPECT_EQ(ReadBytes(m_dir / "out" / "b.txt"), "earlier text");
}

TEST_F(ConverterFaults, OutputFolderRemovedDuringTheRunFailsItsRowsAndTheRunGoesOn) {
    QStringList files;
    for (int i = 0; i < 6; ++i)
        files << Pdf("r" + std::to_string(i));
    Add(files);
    // Gone from the moment row 1 shows "Converting" until row 1 shows that it failed.
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.row() != 1 || from.column() != kColumnStatus)
            return;
        if (from.data().toString() == "Converting")
            std::filesystem::remove_all(m_dir / "out");
        if (from.data().toString() == "Failed")
            std::filesystem::create_directory(m_dir / "out");
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    // Row 1 fails, and so do the rows around it that were put in place while the folder was gone:
    // one stretch of failures; the rows after it are complete, and the folder made again holds
    // exactly their texts.
    QStringList statuses;
    for (int row = 0; row < 6; ++row)
        statuses << Cell(row, kColumnStatus);
    EXPECT_EQ(statuses[1], "Failed");
    EXPECT_TRUE(List()->topLevelItem(1)->toolTip(kColumnStatus).startsWith("cannot create the text file"));
    EXPECT_TRUE(
        QRegularExpression("^(Complete )*(Failed )+(Complete )*$").match(statuses.join(' ') + ' ').hasMatch())
        << statuses.join(' ').toStdString();
    std::set<std::string> expected;
    for (int row = static_cast<int>(statuses.lastIndexOf("Failed")) + 1; row < 6; ++row)
        expected.insert("r" + std::to_string(row) + ".txt");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir / "out"))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, expected) << "the folder made again holds the later rows only";
}

// Stop, No to Stop, the close box, Escape and destroying the window, each at a random moment of a
// run (before the worker starts, inside a file, between files, after the end): never a crash or a
// hang, and every text file in the folder is either absent or complete.
TEST_F(ConverterFaults, StopAndCloseAtRandomMomentsLeaveNoPartialFile) {
    std::mt19937 rng(20240611);
    constexpr int kFiles = 4;
    std::vector<std::string> texts;
    QStringList files;
    for (int i = 0; i < kFiles; ++i) {
        // Pages enough for several writes per file, so that a cut file would show.
        std::vector<std::string> pages;
        std::string text;
        for (int p = 0; p < 150; ++p) {
            const std::string line =
                "file " + std::to_string(i) + " page " + std::to_string(p) + std::string(400, 'x');
            pages.push_back("BT 0 -12 Td (" + line + ") Tj ET Q");
            text += "\r\n" + line;
        }
        const auto path = m_dir / ("big" + std::to_string(i) + ".pdf");
        WriteBytes(path, pagewright::pdfgen::MakePdf(pages));
        files << Q(path);
        const CPdfTextExtractor engine;
        ASSERT_TRUE(engine.ConvertFile(path, m_dir / "reference.txt"));
        texts.push_back(ReadBytes(m_dir / "reference.txt"));
    }
    enum Action { Stop, StopAnsweredNo, CloseBox, Escape, Destroy, kActions };
    int counts[kActions] = {};
    for (int run = 0; run < 100; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        m_dlg = std::make_unique<CConverterDlg>(
            PlatformServices{m_prompts, m_shell, m_browser, m_profile, m_directories});
        m_dlg->show();
        Add(files);
        const auto action = static_cast<Action>(rng() % kActions);
        ++counts[action];
        bool acted = false;
        const auto act = [&, action] {
            acted = true;
            switch (action) {
            case StopAnsweredNo:
                m_prompts.answers.push_back(PromptAnswer::No);
                [[fallthrough]];
            case Stop:
                if (Button(IDC_STOP)->isEnabled())
                    QTest::mouseClick(Button(IDC_STOP), Qt::LeftButton);
                break;
            case CloseBox:
                m_dlg->close();
                break;
            case Escape:
                QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
                break;
            case Destroy:
                m_dlg.reset();
                break;
            case kActions:
                break;
            }
        };
        // The moment: at a random status change of the run, while the worker waits for it to be
        // shown or just after; or after a random delay. The window is destroyed from a timer only,
        // as the program destroys it outside any event handler of its own.
        const int moment = static_cast<int>(rng() % (4 * kFiles + 12));
        int changes = 0;
        if (moment < 4 * kFiles && action != Destroy) {
            QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, m_dlg.get(),
                             [&, moment](const QModelIndex& from) {
                                 if (from.column() != kColumnStatus || changes++ != moment % (2 * kFiles))
                                     return;
                                 if (moment < 2 * kFiles)
                                     act();
                                 else
                                     QTimer::singleShot(0, act);
                             });
        } else {
            QTimer::singleShot(moment % 12, act);
        }
        QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return acted && (!m_dlg || !m_dlg->Batch().IsRunning()); }))
            << "the run did not end (action " << action << ", moment " << moment << ")";
        m_prompts.answers.clear();
        if (m_dlg) {
            for (int row = 0; row < kFiles; ++row)
                EXPECT_NE(Cell(row, kColumnStatus), "Converting") << row;
        }
        m_dlg.reset();
        for (const auto& entry : std::filesystem::directory_iterator(m_dir / "out")) {
            const std::string name = entry.path().filename().string();
            const auto number = name.size() == 8 && name.starts_with("big") ? name[3] - '0' : -1;
            ASSERT_TRUE(number >= 0 && number < kFiles && name.ends_with(".txt")) << "stray file " << name;
            ASSERT_TRUE(SameBytes(ReadBytes(entry.path()), texts[static_cast<std::size_t>(number)])) << name;
        }
    }
    for (int a = 0; a < kActions; ++a)
        EXPECT_GT(counts[a], 0) << "action " << a << " never tried";
}

} // namespace
