#pragma once

#include "app/converter_dlg.h"
#include "batch/button_states.h"
#include "controls/drawing/color_ref.h"

#include <QRect>

#include <optional>

// The main window's template: its size and its controls, in dialog units, with the command each
// button carries, the handler that its click runs and what a screen reader says of it; then the
// images of the buttons. The tab order follows the layout: top to bottom, then left to right.

enum ControlId : int {
    IDOK = 1,
    IDC_OUTDIR_EDIT = 1001,
    IDC_BROWSE = 1002,
    IDC_FILE_LIST = 1003,
    IDC_ADD = 1004,
    IDC_REMOVE = 1005,
    IDC_CLEAR = 1006,
    IDC_CONVERT = 1007,
    IDC_STOP = 1008,
    IDC_PROGRESS = 1009,
    IDC_OPEN_OUTDIR = 1010,
    IDC_HELP_BUTTON = 1011,
    IDC_WEBSITE = 1014,
    IDC_ABOUT_BUTTON = 1015,
    IDC_SETTINGS = 1024,
    IDC_HOMEPAGE_LINK = 1025,
    // Static controls without a number of their own.
    IDC_STATIC_OUTDIR_LABEL = -1,
    IDC_STATIC_BUTTON_FRAME = -2,
    IDC_STATIC_OUTDIR_FRAME = -3,
    IDC_STATIC_PROGRESS_LABEL = -4,
    IDC_STATIC_NOTE = -5,
};

enum class ControlKind { DefaultButton, Button, List, Progress, Label, Edit, Frame, Link };

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;
    QRect units; // x, y, width, height in dialog units
    bool visible;
    bool enabled;
    const char* toolTip;              // nullptr: none; the image buttons get theirs at set-up
    std::optional<Command> command;   // the batch command whose state the button follows
    void (CConverterDlg::*onClick)(); // nullptr: a click runs nothing of the window's
    // For screen readers: the name (nullptr: the caption without its "&") and what the control does.
    const char* accessibleName;
    const char* description;
};

inline constexpr int kMainWindowWidthUnits = 341;
inline constexpr int kMainWindowHeightUnits = 237;
inline constexpr int kDialogFontPoints = 8;

// clang-format off
inline const ControlTemplate kMainWindowControls[] = {
    {IDOK, ControlKind::DefaultButton, "&Quit", {282, 18, 49, 26}, true, true, "Quit",
     Command::Quit, &CConverterDlg::OnOK,
     nullptr, "Asks whether to quit, then closes Pagewright"},
    {IDC_FILE_LIST, ControlKind::List, nullptr, {7, 51, 327, 146}, true, true, nullptr, {}, nullptr,
     "Job list", "The PDF files to convert, one row each: number, name, size, target format and status"},
    {IDC_ADD, ControlKind::Button, "&Add", {11, 18, 47, 26}, true, true, "Add video files to convert flv video format.",
     Command::Add, &CConverterDlg::OnAdd,
     nullptr, "Adds PDF files at the top of the job list"},
    {IDC_REMOVE, ControlKind::Button, "&Remove", {59, 18, 57, 26}, true, false, "Remove a item from list.",
     Command::Remove, &CConverterDlg::OnRemove,
     nullptr, "Removes the selected rows from the job list"},
    {IDC_CLEAR, ControlKind::Button, "&Clear", {117, 18, 51, 26}, true, false, "Clear all items from list.",
     Command::Clear, &CConverterDlg::OnClear,
     nullptr, "Removes every row from the job list"},
    {IDC_CONVERT, ControlKind::Button, "Conver&t", {170, 18, 63, 26}, true, false, "Start convert video files to flv video format.",
     Command::Convert, &CConverterDlg::OnConvert,
     nullptr, "Converts every PDF file of the list into a text file in the output directory"},
    {IDC_STOP, ControlKind::Button, "&Stop", {234, 18, 47, 26}, true, false, "Stop converting.",
     Command::Stop, &CConverterDlg::OnStop,
     nullptr, "Stops the conversion after the file in hand"},
    {IDC_PROGRESS, ControlKind::Progress, nullptr, {73, 195, 241, 11}, false, true, nullptr, {}, nullptr,
     "Progress", nullptr},
    {IDC_STATIC_OUTDIR_LABEL, ControlKind::Label, "Output directory:", {16, 211, 69, 8}, true, true, nullptr, {}, nullptr,
     nullptr, nullptr},
    {IDC_OUTDIR_EDIT, ControlKind::Edit, "", {89, 209, 159, 13}, true, false, nullptr, {}, nullptr,
     "Output directory", "The folder the text files are written to"},
    {IDC_BROWSE, ControlKind::Button, "&Browse", {253, 209, 57, 16}, true, true, "Select a directory for saving FLV video files.",
     {}, &CConverterDlg::OnBrowse,
     nullptr, "Chooses the output directory"},
    {IDC_STATIC_BUTTON_FRAME, ControlKind::Frame, nullptr, {7, 11, 327, 37}, true, true, nullptr, {}, nullptr,
     nullptr, nullptr},
    {IDC_STATIC_OUTDIR_FRAME, ControlKind::Frame, nullptr, {7, 199, 327, 33}, true, true, nullptr, {}, nullptr,
     nullptr, nullptr},
    {IDC_STATIC_PROGRESS_LABEL, ControlKind::Label, "Progress:", {32, 197, 37, 8}, false, true, nullptr, {}, nullptr,
     nullptr, nullptr},
    {IDC_OPEN_OUTDIR, ControlKind::Button, "&Open", {312, 209, 22, 16}, true, true, "Open output dorectory.",
     {}, &CConverterDlg::OnOpenOutputDir,
     nullptr, "Shows the output directory in the file browser"},
    {IDC_HELP_BUTTON, ControlKind::Button, "&Help", {11, 1, 22, 12}, true, true, nullptr, {}, &CConverterDlg::OnHelp,
     nullptr, "Opens the user guide in the web browser"},
    // Web Site opens its address itself (SetLinkURL); the window has no handler for it.
    {IDC_WEBSITE, ControlKind::Button, "&Web Site", {167, 1, 36, 12}, false, true, nullptr, {}, nullptr,
     nullptr, "Opens the home page in the web browser"},
    {IDC_ABOUT_BUTTON, ControlKind::Button, "&About", {34, 1, 25, 12}, true, true, nullptr, {}, &CConverterDlg::OnAbout,
     nullptr, "Shows the version and the home page of Pagewright"},
    {IDC_SETTINGS, ControlKind::Button, "Settings", {278, 1, 56, 12}, false, true, "Select custom settings for FLV video encoder.",
     {}, &CConverterDlg::OnSettings,
     nullptr, "Opens the encoder settings"},
    {IDC_HOMEPAGE_LINK, ControlKind::Link, nullptr, {60, 3, 89, 8}, true, true, nullptr, {}, nullptr,
     "Home page", "Opens the home page in the web browser"},
    {IDC_STATIC_NOTE, ControlKind::Label,
     "NOTE:This program can extract text found in a PDF.It can't extract text found with an image found in a PDF.",
     {7, 180, 312, 16}, false, true, nullptr, {}, nullptr,
     nullptr, nullptr},
};
// clang-format on

// The images of the command buttons, in the order the window sets them up. Every button of this
// table also gets the hot background shaded by +30, its tooltip, a blue hot caption and a black
// normal caption; the buttons not listed keep the image button's defaults.
enum class ButtonImageKind { None, Icon, Bitmap };

struct ButtonImageTemplate {
    int id;
    ButtonImageKind kind;
    const char* resource; // the same image for the hot and the normal state
    int size;             // icons: width and height in pixels
};

// The Settings bitmap's transparent colours: magenta while hot, white at rest.
inline constexpr ColorRef kSettingsHotTransparent = Rgb(255, 0, 255);
inline constexpr ColorRef kSettingsNormalTransparent = Rgb(255, 255, 255);

// clang-format off
inline const ButtonImageTemplate kButtonImages[] = {
    {IDC_ADD, ButtonImageKind::Icon, ":/buttons/add.svg", 36},
    {IDC_REMOVE, ButtonImageKind::Icon, ":/buttons/remove.svg", 36},
    {IDC_CLEAR, ButtonImageKind::Icon, ":/buttons/clear.svg", 36},
    {IDC_CONVERT, ButtonImageKind::Icon, ":/buttons/convert.svg", 36},
    {IDC_STOP, ButtonImageKind::Icon, ":/buttons/stop.svg", 36},
    {IDOK, ButtonImageKind::Icon, ":/buttons/quit.svg", 36},
    {IDC_SETTINGS, ButtonImageKind::Bitmap, ":/buttons/settings.svg", 0},
    {IDC_BROWSE, ButtonImageKind::Icon, ":/buttons/browse.svg", 32},
    {IDC_OPEN_OUTDIR, ButtonImageKind::None, nullptr, 0},
};
// clang-format on
