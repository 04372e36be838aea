#include "app/converter_app.h"
#include "app/product_info.h"
#include "app/startup_arguments.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

// Answers --help, --version and a bad command line on the terminal; -1 when the window should run.
int AnswerOnTerminal(const StartupArguments& parsed) {
    switch (parsed.action) {
    case StartupArguments::Action::Run:
        return -1;
    case StartupArguments::Action::Help:
        std::fputs(StartupUsageText().toLocal8Bit().constData(), stdout);
        return 0;
    case StartupArguments::Action::Version:
        std::fputs((QStringLiteral("pagewright ") + kProductVersionText + QStringLiteral("\n")).toLocal8Bit(),
                   stdout);
        return 0;
    case StartupArguments::Action::Error:
        std::fputs(("pagewright: " + parsed.error + "\nTry 'pagewright --help' for more information.\n")
                       .toLocal8Bit(),
                   stderr);
        return 2;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version are answered before the toolkit needs a display.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (const StartupArguments early = ParseStartupArguments(raw, QDir::currentPath());
        early.action == StartupArguments::Action::Help || early.action == StartupArguments::Action::Version)
        return AnswerOnTerminal(early);

    QApplication application(argc, argv);
    QApplication::setApplicationName(kProductNameText);
    QApplication::setApplicationVersion(kProductVersionText);
    // The desktop entry's name: the desktop matches the window to its entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.pagewright.Pagewright"));
    // The toolkit has taken out its own options (-platform, -style and the rest).
    const StartupArguments parsed =
        ParseStartupArguments(QApplication::arguments().mid(1), QDir::currentPath());
    if (const int code = AnswerOnTerminal(parsed); code >= 0)
        return code;
    CConverterApp app(parsed.files);
    return app.InitInstance();
}
