#include "platform/widgets/qt_desktop_shell.h"
#include "platform/widgets/qt_prompts.h"

#include "tests/support/file_utils.h"
#include "tests/support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
#include "tests/platform/fake_openers.h"
#include "tests/support/scoped_env.h"
#endif

namespace {

TEST(QtPrompts, YesNoBoxShowsWhatItIsGivenAndAnswersOnlyWithItsButtons) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    struct Case {
        PromptIcon icon;
        QMessageBox::Icon shownIcon;
        QMessageBox::StandardButton clicked;
        PromptAnswer expected;
    };
    const std::vector<Case> cases = {
        {PromptIcon::Question, QMessageBox::Question, QMessageBox::Yes, PromptAnswer::Yes},
        {PromptIcon::Exclamation, QMessageBox::Warning, QMessageBox::No, PromptAnswer::No},
        {PromptIcon::Information, QMessageBox::Information, QMessageBox::Yes, PromptAnswer::Yes},
        {PromptIcon::Error, QMessageBox::Critical, QMessageBox::No, PromptAnswer::No},
    };
    std::unique_ptr<IPrompts> prompts = std::make_unique<CQtPrompts>();
    for (const Case& c : cases) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString caption;
        QString text;
        bool openAfterEscapeAndClose = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                ADD_FAILURE() << "no message box open";
                QApplication::exit(1); // leaves the box's loop too
                return;
            }
            icon = box->icon();
            caption = box->windowTitle();
            text = box->text();
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            openAfterEscapeAndClose = box->isVisible();
            box->button(c.clicked)->click();
        });
        EXPECT_EQ(prompts->AskYesNo("Do you want to quit?", "Warning", c.icon), c.expected);
        EXPECT_EQ(icon, c.shownIcon);
        EXPECT_EQ(caption, "Warning");
        EXPECT_EQ(text, "Do you want to quit?");
        EXPECT_TRUE(openAfterEscapeAndClose) << "Escape or the close box answered the question";
    }
}

TEST(QtPrompts, AQuestionOfASeriesOffersToAnswerForTheRestAndEscapeDeclines) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    struct Case {
        bool moreFollow;
        int key;                             // pressed, or 0
        QMessageBox::StandardButton clicked; // when no key
        PromptAnswer expected;
    };
    const std::vector<Case> cases = {
        {true, 0, QMessageBox::YesToAll, PromptAnswer::YesToAll},
        {true, 0, QMessageBox::NoToAll, PromptAnswer::NoToAll},
        {true, Qt::Key_Escape, QMessageBox::NoButton, PromptAnswer::NoToAll},
        {false, Qt::Key_Escape, QMessageBox::NoButton, PromptAnswer::No},
        {false, 0, QMessageBox::Yes, PromptAnswer::Yes},
    };
    CQtPrompts prompts;
    for (const Case& c : cases) {
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                ADD_FAILURE() << "no message box open";
                QApplication::exit(1);
                return;
            }
            buttons = box->standardButtons();
            if (c.key != 0)
                QTest::keyClick(box, static_cast<Qt::Key>(c.key));
            else
                box->button(c.clicked)->click();
        });
        EXPECT_EQ(prompts.AskYesNoInSeries("Are you want to overtwrite  x.txt!", "Warning",
                                           PromptIcon::Exclamation, c.moreFollow),
                  c.expected);
        const QMessageBox::StandardButtons expected =
            c.moreFollow ? QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll
                         : QMessageBox::Yes | QMessageBox::No;
        EXPECT_EQ(buttons, expected);
    }
}

TEST(QtPrompts, FileDialogAddsPdfToATypedNameAndFolderPickerStartsWhereItIsTold) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    TempDir dir;
    WriteBytes(dir / "report.pdf", "%PDF-1.4");
    std::filesystem::create_directory(dir / "start");
    const QString folder = QDir::fromNativeSeparators(QString::fromStdString(dir.Path().string()));
    CQtPrompts prompts;

    QString suffix;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        suffix = dialog->defaultSuffix();
        dialog->setDirectory(folder);
        dialog->selectFile("report"); // typed without its extension
        QMetaObject::invokeMethod(dialog, "accept");
    });
    EXPECT_EQ(prompts.PickPdfFiles(), QStringList{QDir::toNativeSeparators(folder + "/report.pdf")});
    EXPECT_EQ(suffix, "pdf");

    QString opened;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        opened = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(prompts.PickFolder("Select output file path", folder + "/start"), "");
    EXPECT_EQ(opened, folder + "/start");
}

TEST(QtDesktopShell, RefusesEmptyTargets) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // An xdg-open that would open anything is not even asked.
    FakeOpeners openers;
    openers.Add("xdg-open", FakeOpeners::Ending::Opens);
    const ScopedEnv path("PATH", openers.Path());
#endif
    std::unique_ptr<IDesktopShell> shell = std::make_unique<CQtDesktopShell>();
    EXPECT_FALSE(shell->OpenFolder(""));
    EXPECT_FALSE(shell->OpenAddress(""));
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    EXPECT_TRUE(openers.Calls().empty());
#endif
}

} // namespace
