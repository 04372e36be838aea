// Draws the main window and the About box offscreen, as a user sees them, and saves them as PNG.
//
//   grab_main_window MAIN_PNG ABOUT_PNG   the README's pictures: the window in the middle of a run
//                                         (rows done and selected, one converting), and the About box
//   grab_main_window --states DIR         one picture per look of the buttons, for review: empty,
//                                         ready, hot-help, hot, pressed, converting, after-run,
//                                         focus-pointer (Add focused by the pointer), focus-tab (then
//                                         Tab: Remove shows the focus rectangle), about, settings (the
//                                         encoder settings dialog), menu-classic and menu-flat (an
//                                         owner-drawn menu in its two looks)
//
// The PDFs are made here and converted into a temporary folder; the window shows neutral paths
// (/home/user/...) instead of the temporary ones. Nothing of the user's is read or written.

#include "app/about_dlg.h"
#include "app/converter_dlg.h"
#include "app/main_window_template.h"
#include "batch/job_batch.h"
#include "controls/image_button.h"
#include "controls/link_opener.h"
#include "controls/menu/menu_popup.h"
#include "controls/menu/menu_shared_state.h"
#include "controls/menu/owner_draw_menu.h"
#include "settings/widgets/encoder_settings_dlg.h"
#include "tests/fakes/fake_platform.h"
#include "tests/support/menu_template.h"
#include "tools/pdf_builder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const QString kShownOutputFolder = QStringLiteral("/home/user/textharvest");
const QString kShownSourceFolder = QStringLiteral("/home/user/Documents/");

struct Document {
    const char* name;
    int pages;
};
// In the order they are picked, which is the order the list shows them in.
const std::vector<Document> kDocuments = {
    {"user-guide", 60},     {"quarterly-report", 24}, {"meeting-notes", 3}, {"invoice-1042", 1},
    {"research-paper", 14}, {"price-list", 2},        {"travel-policy", 6}, {"release-notes", 9},
};

// Pages of ordinary-looking text, different on every line so they compress as text does.
std::string MakeDocument(int pages, unsigned seed) {
    static const char* const words[] = {"the",   "report", "covers", "sales", "of",      "each",  "region",
                                        "and",   "shows",  "growth", "in",    "quarter", "costs", "rose",
                                        "while", "new",    "orders", "fell",  "by",      "per",   "cent"};
    std::vector<std::string> contents;
    for (int page = 0; page < pages; ++page) {
        std::vector<std::string> lines;
        for (int line = 0; line < 45; ++line) {
            std::string text;
            while (text.size() < 70) {
                seed = seed * 1103515245u + 12345u;
                text += words[(seed >> 16) % (sizeof(words) / sizeof(words[0]))];
                text += ' ';
            }
            lines.push_back(text + std::to_string(page * 45 + line));
        }
        contents.push_back(pagewright::pdfgen::LinesContent(lines));
    }
    return pagewright::pdfgen::MakePdf(contents);
}

struct Session {
    QTemporaryDir work;
    QString out = work.filePath(QStringLiteral("textharvest"));
    FakePrompts prompts;
    FakeShell shell;
    FakeBrowserLauncher browser;
    FakeProfileStore profile;
    FakeDirectories directories;
    QStringList sources;
    std::unique_ptr<CConverterDlg> dialog;

    Session() {
        QDir().mkpath(out);
        profile.values.insert(FakeProfileStore::Key("Settings", "Out Path"), out);
        directories.existing.insert(out);
        unsigned seed = 7;
        for (const Document& d : kDocuments) {
            const QString path = work.filePath(QString::fromUtf8(d.name) + QStringLiteral(".pdf"));
            pagewright::pdfgen::WriteFile(path.toStdString(), MakeDocument(d.pages, seed++));
            sources << path;
        }
        dialog =
            std::make_unique<CConverterDlg>(PlatformServices{prompts, shell, browser, profile, directories});
        dialog->show();
        QApplication::processEvents();
    }

    void Add() {
        prompts.pdfSelections.push_back(sources);
        dialog->OnAdd();
        QApplication::processEvents();
    }

    void WaitForTheRun() {
        QElapsedTimer timer;
        timer.start();
        while (dialog->Batch().IsRunning() && timer.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    // Grabs the window with the neutral folders in place of the temporary ones.
    QPixmap Grab() {
        QTreeWidget* list = dialog->JobList();
        auto* edit = qobject_cast<QLineEdit*>(dialog->Control(IDC_OUTDIR_EDIT));
        QStringList names;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = list->topLevelItem(row);
            names << item->text(1);
            item->setText(1, kShownSourceFolder + QFileInfo(item->text(1)).fileName());
        }
        const QString folder = edit->text();
        edit->setText(kShownOutputFolder);
        QApplication::processEvents();
        const QPixmap picture = dialog->grab();
        edit->setText(folder);
        for (int row = 0; row < names.size(); ++row)
            list->topLevelItem(row)->setText(1, names[row]);
        return picture;
    }
};

bool Save(const QPixmap& picture, const QString& path) {
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "grab_main_window: cannot write %s\n", qPrintable(path));
    return false;
}

QPixmap GrabAbout(Session& session) {
    const CLinkOpener links(session.shell, session.browser, session.prompts);
    CAboutDlg about(links);
    about.show();
    QApplication::processEvents();
    return about.grab();
}

QPixmap GrabSettings(Session& session) {
    CEncoderSettingsDlg settings(session.profile);
    settings.show();
    QApplication::processEvents();
    return settings.grab();
}

// A drop-down menu of the kind an image button could carry, in the current look: commands with images
// and accelerators, a checked and a radio-checked item, a checked image, a disabled item, a
// separator; the second item selected. `firstId` keeps the images of each look apart.
QPixmap GrabMenu(unsigned firstId) {
    COwnerDrawMenu menu;
    menu.SetImagesAreIcons(true);
    const struct {
        const char* svg;
        unsigned id;
    } images[] = {{"add", firstId},
                  {"convert", firstId + 1},
                  {"remove", firstId + 4},
                  {"clear", firstId + 5},
                  {"quit", firstId + 6}};
    for (const auto& image : images) {
        QImage drawn(menu.ImageSize(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        QSvgRenderer(QStringLiteral(":/buttons/%1.svg").arg(QString::fromUtf8(image.svg))).render(&painter);
        painter.end();
        MenuImageList list;
        menu.AddImage(list, drawn);
        menu.AddToSharedImages(list, 0, image.id);
    }
    const QByteArray bytes = MenuTemplateWriter()
                                 .Popup(0x80, QStringLiteral("&File"))
                                 .Item(0, firstId, QStringLiteral("&Open...\tCtrl+O"))
                                 .Item(0, firstId + 1, QStringLiteral("&Convert all\tF5"))
                                 .Item(0, 0, QString())
                                 .Item(0x8, firstId + 2, QStringLiteral("Show &toolbar"))
                                 .Item(0x8 | 0x200, firstId + 3, QStringLiteral("&Large icons"))
                                 .Item(0x8, firstId + 4, QStringLiteral("&Remove when done"))
                                 .Item(0x1, firstId + 5, QStringLiteral("C&lear list\tDel"))
                                 .Item(0x80, firstId + 6, QStringLiteral("&Quit\tAlt+F4"))
                                 .Bytes();
    menu.LoadMenuTemplate(bytes);
    CMenuPopup popup(*menu.GetSubMenu(0), nullptr);
    popup.show();
    QApplication::processEvents();
    const QPointF at = popup.ItemRect(1).center();
    QMouseEvent move(QEvent::MouseMove, at, popup.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&popup, &move);
    return popup.grab();
}

// The window while the worker converts the row `row`: the worker waits on the window's answer while
// the picture is taken, so this is the state a user sees in the middle of a run.
QPixmap GrabDuringRun(Session& session, int row) {
    QPixmap picture;
    QTreeWidget* list = session.dialog->JobList();
    const auto connection =
        QObject::connect(list->model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& from) {
            if (picture.isNull() && from.row() == row && from.column() == kColumnStatus &&
                from.data().toString() == kStatusConverting) {
                list->clearFocus();
                picture = session.Grab();
                session.dialog->Batch().RequestStop();
            }
        });
    session.dialog->OnConvert();
    session.WaitForTheRun();
    QObject::disconnect(connection);
    return picture;
}

// Presses and releases `key` in the focused widget, through the application as a keyboard would.
void PressKey(Qt::Key key) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    QApplication::processEvents();
}

void Hover(QWidget* widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(widget, &enter);
    QApplication::processEvents();
}

int GrabStates(const QString& dir) {
    QDir().mkpath(dir);
    const auto path = [&](const char* name) { return QDir(dir).filePath(QString::fromUtf8(name)); };
    bool ok = true;
    {
        Session session;
        ok &= Save(session.Grab(), path("empty.png"));
        session.Add();
        ok &= Save(session.Grab(), path("ready.png"));
        Hover(session.dialog->Control(IDC_HELP_BUTTON));
        ok &= Save(session.Grab(), path("hot-help.png"));
        Hover(session.dialog->Control(IDC_ADD));
        ok &= Save(session.Grab(), path("hot.png"));
        auto* convert = qobject_cast<CImageButton*>(session.dialog->Control(IDC_CONVERT));
        convert->setDown(true);
        ok &= Save(session.Grab(), path("pressed.png"));
        convert->setDown(false);
        ok &= Save(GrabDuringRun(session, 3), path("converting.png"));
        session.dialog->OnConvert();
        session.WaitForTheRun();
        ok &= Save(session.Grab(), path("after-run.png"));
        // Last in the window: once the keyboard has moved the focus, the window keeps its cues.
        session.dialog->Control(IDC_ADD)->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ok &= Save(session.Grab(), path("focus-pointer.png"));
        PressKey(Qt::Key_Tab);
        ok &= Save(session.Grab(), path("focus-tab.png"));
        ok &= Save(GrabAbout(session), path("about.png"));
        ok &= Save(GrabSettings(session), path("settings.png"));
        ok &= Save(GrabMenu(101), path("menu-classic.png"));
        MenuSwitches().flatElsewhere = true;
        ok &= Save(GrabMenu(201), path("menu-flat.png"));
    }
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pagewright"));
    const QStringList args = QApplication::arguments().mid(1);
    if (args.size() == 2 && args[0] == QStringLiteral("--states"))
        return GrabStates(args[1]);
    if (args.size() != 2 || args[0].startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: grab_main_window MAIN_PNG ABOUT_PNG\n"
                             "       grab_main_window --states DIR\n");
        return 2;
    }
    Session session;
    session.Add();
    const QPixmap main = GrabDuringRun(session, 3);
    if (main.isNull()) {
        std::fprintf(stderr, "grab_main_window: the run ended before the picture was taken\n");
        return 1;
    }
    return Save(main, args[0]) && Save(GrabAbout(session), args[1]) ? 0 : 1;
}
