#pragma once

#include "platform/profile_store.h"

#include <QDialog>
#include <QHash>

class QComboBox;

// The modal "Settings" dialog: eight drop-down lists of encoder choices in a video and an audio
// group, laid out from its template. It opens on the positions stored in the settings file (a
// missing key shows position 1; a position outside its list leaves the list empty), "&Default"
// selects the default positions without storing them, and OK stores all eight positions in key
// order. Cancel, Escape and the close box store nothing.
class CEncoderSettingsDlg : public QDialog {
    Q_OBJECT

public:
    // `store` holds the positions and outlives the dialog.
    explicit CEncoderSettingsDlg(IProfileStore& store, QWidget* parent = nullptr);

    // The control with the template's number (see encoder_settings_template.h), or nullptr.
    QWidget* Control(int id) const { return m_controls.value(id, nullptr); }
    // The drop-down list with the template's number, or nullptr.
    QComboBox* List(int id) const;

    // Position 1 in every list but the two encoder lists, which get position 0. Stores nothing.
    void OnDefault();
    // Stores every list's position (-1 when it has no selection), then closes the dialog.
    void OnOK();

private:
    void CreateControls();
    void OnInitDialog();

    IProfileStore& m_store;
    QHash<int, QWidget*> m_controls;
};
