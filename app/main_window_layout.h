#pragma once

#include <QHash>

class CLinkLabel;
class CLinkOpener;
class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QTreeWidget;
class QWidget;

// The main window's controls, as its template makes them.
struct MainWindowControls {
    QHash<int, QWidget*> byId; // every control of the template, by its number
    CLinkLabel* homePageLink = nullptr;
    QTreeWidget* list = nullptr;
    QLineEdit* outputDirectory = nullptr;
    QProgressBar* progress = nullptr;
    // Hidden: the note shown over the foot of the job list while a close waits for a run.
    QLabel* closingNote = nullptr;
};

// Lays `window` out from the main window's template (main_window_template.h): its font and fixed
// size, then every control as its child, at its place converted from dialog units, with its text,
// visibility, enabled state and names for screen readers; the frames over the controls; the tab
// order by the layout and the buttons' mnemonic letters; the command buttons' images, tooltips and
// caption colours. The focus goes to Add. Image buttons and the link open their addresses through
// `links`, which outlives them. Nothing is connected: the handlers are the window's.
MainWindowControls LayOutMainWindow(QDialog& window, const CLinkOpener& links);
