#pragma once

#include <QDialog>

class IDesktopShell;
class QLabel;

// The About box: the product's name and version and its home-page address as a link.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(IDesktopShell& shell, QWidget* parent = nullptr);

    QLabel* VersionLabel() const { return m_version; }
    QLabel* LinkLabel() const { return m_link; }

private:
    QLabel* m_version = nullptr;
    QLabel* m_link = nullptr;
};
