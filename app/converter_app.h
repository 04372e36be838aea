#pragma once

// The application object: runs the main window as a modal dialog and lets the process end when it
// closes. One instance, owned by main.
class CConverterApp {
public:
    // Builds the desktop's services and the main window, runs the window until it closes, and
    // returns the process's exit code.
    int InitInstance();
};
