#pragma once

#include "platform/profile_store.h"
#include "settings/encoder_settings.h"

#include <QDialog>
#include <QHash>

#include <optional>

class QComboBox;

// The modal "Settings" dialog: eight drop-down lists of encoder choices in a video and an audio
// group, laid out from its template. It opens on the positions stored in the settings file (a
// missing key shows position 1; a position outside its list leaves the list empty), "&Default"
// selects the default positions without storing them, and OK stores all eight positions in key
// order. Cancel, Escape and the close box store nothing. The dialog does not report a failed store;
// its owner asks StoreResult() after OK.
class CEncoderSettingsDlg : public QDialog {
    Q_OBJECT

public:
    // `store` holds the positions and outlives the dialog. `shown`, when given, are the positions to
    // open on instead of the stored ones (those chosen earlier that could not be stored).
    explicit CEncoderSettingsDlg(IProfileStore& store, QWidget* parent = nullptr,
                                 const std::optional<EncoderPositions>& shown = std::nullopt);

    // The control with the template's number (see encoder_settings_template.h), or nullptr.
    QWidget* Control(int id) const { return m_controls.value(id, nullptr); }
    // The drop-down list with the template's number, or nullptr.
    QComboBox* List(int id) const;

    // Position 1 in every list but the two encoder lists, which get position 0. Stores nothing.
    void OnDefault();
    // Stores every list's position (-1 when it has no selection), then closes the dialog.
    void OnOK();
    // The lists' positions, in key order (-1 for no selection).
    EncoderPositions Positions() const;
    // What storing them at OK came to; not written before OK.
    const ProfileWriteResult& StoreResult() const { return m_storeResult; }

private:
    void CreateControls();
    void OnInitDialog(const std::optional<EncoderPositions>& shown);

    IProfileStore& m_store;
    QHash<int, QWidget*> m_controls;
    ProfileWriteResult m_storeResult;
};
