#include "platform/widgets/qt_prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQtIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::Exclamation:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// QMessageBox turns Escape and the close box into its No button; here they are ignored instead.
class CYesNoBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

} // namespace

PromptAnswer CQtPrompts::AskYesNo(const QString& text, const QString& caption, PromptIcon icon) {
    CYesNoBox box(ToQtIcon(icon), caption, text, QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::No:
        return PromptAnswer::No;
    default:
        return PromptAnswer::Other;
    }
}

PromptAnswer CQtPrompts::AskYesNoInSeries(const QString& text, const QString& caption, PromptIcon icon,
                                          bool moreFollow) {
    const QMessageBox::StandardButtons buttons =
        moreFollow ? QMessageBox::Yes | QMessageBox::No | QMessageBox::YesToAll | QMessageBox::NoToAll
                   : QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(ToQtIcon(icon), caption, text, buttons, QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(moreFollow ? QMessageBox::NoToAll : QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return PromptAnswer::Yes;
    case QMessageBox::YesToAll:
        return PromptAnswer::YesToAll;
    case QMessageBox::NoToAll:
        return PromptAnswer::NoToAll;
    default:
        return PromptAnswer::No;
    }
}

void CQtPrompts::ShowMessage(const QString& text, const QString& caption, PromptIcon icon) {
    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

QStringList CQtPrompts::PickPdfFiles() {
    QFileDialog dialog(QApplication::activeWindow(), QString(), QString(),
                       QStringLiteral("pdf Files (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // "report" typed in the name box finds report.pdf.
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files = dialog.selectedFiles();
    for (QString& file : files)
        file = QDir::toNativeSeparators(file);
    return files;
}

QString CQtPrompts::PickFolder(const QString& title, const QString& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, startFolder,
                                                             QFileDialog::ShowDirsOnly);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder);
}

void CQtPrompts::Beep(PromptIcon) {
    QApplication::beep();
}
