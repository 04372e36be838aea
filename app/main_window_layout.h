#pragma once

#include <QHash>
#include <QRect>
#include <QSize>

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
    // Where each control sits in a window of the template's size, the window's smallest.
    QHash<QWidget*, QRect> placed;
    QSize templateSize;
};

// Lays `window` out from the main window's template (main_window_template.h): its font and size,
// then every control as its child, at its place converted from dialog units, with its text,
// visibility, enabled state and names for screen readers; the frames over the controls, each line
// half a text line below the frame's top, as a group box draws it; the tab order by the layout and
// the buttons' mnemonic letters; the command buttons' images, tooltips and caption colours. The
// focus goes to Quit. The window can grow from the template's size (FitMainWindow) but not shrink
// below it. Image buttons and the link open their addresses through `links`, which outlives them.
// Nothing is connected: the handlers are the window's.
MainWindowControls LayOutMainWindow(QDialog& window, const CLinkOpener& links);

// Places the controls for a window of `size`: the job list grows with the window, the output row
// keeps to the window's foot and widens with it (the box with it, Browse and Open with its right
// end), the frame of the button row widens; the rest keeps its place. At the template's size every
// control is where the template puts it.
void FitMainWindow(const MainWindowControls& made, QSize size);
