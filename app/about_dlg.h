#pragma once

#include <QDialog>

class CLinkLabel;
class CLinkOpener;
class QLabel;

// The About box: the product's icon, name and version, a notice, and its home-page address as a
// link (underlined). OK, Enter, Escape and the close box close it.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // `links` opens the home page and reports a failure; it outlives the dialog.
    explicit CAboutDlg(const CLinkOpener& links, QWidget* parent = nullptr);

    QLabel* IconLabel() const { return m_icon; }
    QLabel* VersionLabel() const { return m_version; }
    QLabel* NoticeLabel() const { return m_notice; }
    CLinkLabel* LinkLabel() const { return m_link; }

private:
    QLabel* m_icon = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_notice = nullptr;
    CLinkLabel* m_link = nullptr;
};
