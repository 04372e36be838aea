#include "tests/app/dialog_fixture.h"

#include "engine/pdf_text_extractor.h"

#include <QLineEdit>

namespace {

using ConverterRun = DialogTest;

TEST_F(ConverterRun, ThreeRowsGoConvertingThenCompleteAndTheFolderOpensOnce) {
    Add({Pdf("one"), Pdf("two"), Pdf("three")});
    QStringList seen;
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.column() == kColumnStatus)
            seen << QString::number(from.row()) + ":" + from.data().toString();
    });
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(seen, (QStringList{"0:Converting", "0:Complete", "1:Converting", "1:Complete", "2:Converting",
                                 "2:Complete"}));
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

    std::filesystem::remove_all(m_dir / "out");
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !m_dlg->Batch().IsRunning(); }));
    EXPECT_EQ(Cell(0, kColumnStatus), "Failed");
    EXPECT_TRUE(List()->topLevelItem(0)->toolTip(kColumnName).contains("cannot create the text file"));
}

TEST_F(ConverterRun, ClosingDuringARunStopsAfterTheFileInHandThenCloses) {
    QStringList files;
    for (int i = 0; i < 12; ++i)
        files << Pdf("many" + std::to_string(i));
    Add(files);
    bool pendingSeen = false;
    QObject::connect(List()->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
        if (from.row() == 2 && from.column() == kColumnStatus && from.data().toString() == "Converting") {
            m_dlg->close(); // the close box, answered Yes
            pendingSeen = m_dlg->isVisible() && m_dlg->IsClosePending();
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

TEST_F(ConverterRun, DestroyingTheWindowDuringARunDoesNotCrash) {
    QStringList files;
    for (int i = 0; i < 10; ++i)
        files << Pdf("d" + std::to_string(i));
    Add(files);
    QTest::mouseClick(Button(IDC_CONVERT), Qt::LeftButton);
    m_dlg.reset(); // stops the run and waits for the worker before anything is destroyed
    // Whatever was converted before the stop is complete; nothing is left half-written.
    for (int i = 0; i < 10; ++i) {
        const auto text = m_dir / "out" / ("d" + std::to_string(i) + ".txt");
        if (std::filesystem::exists(text)) {
            EXPECT_EQ(ReadBytes(text), "d" + std::to_string(i) + "\r\n");
        }
    }
}

} // namespace
