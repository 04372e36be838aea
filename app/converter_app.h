#pragma once

#include <QStringList>

#include <utility>

// The application object: runs the main window as a modal dialog and lets the process end when it
// closes. One instance, owned by main.
class CConverterApp {
public:
    // `files`: paths from the command line, added by the rules of Add once the window is up.
    explicit CConverterApp(QStringList files = {}) : m_files(std::move(files)) {}

    // Builds the desktop's services and the main window, runs the window until it closes, and
    // returns the process's exit code.
    int InitInstance();

private:
    QStringList m_files;
};
