#include "settings/widgets/encoder_settings_dlg.h"

#include "platform/ini_profile_store.h"
#include "settings/encoder_settings.h"
#include "settings/widgets/encoder_settings_template.h"
#include "tests/support/file_utils.h"
#include "tests/support/qt_printers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <functional>
#include <string>

namespace {

class EncoderSettingsDlg : public ::testing::Test {
protected:
    void Write(const std::string& text) {
        if (!text.empty())
            WriteBytes(m_path, text);
    }
    std::string File() const { return std::filesystem::exists(m_path) ? ReadBytes(m_path) : "(none)"; }
    // What the eight lists show, in key order.
    static QStringList Shown(const CEncoderSettingsDlg& dlg) {
        QStringList shown;
        for (const EncoderList& l : kEncoderLists)
            shown << dlg.List(l.controlId)->currentText();
        return shown;
    }
    static void Click(const CEncoderSettingsDlg& dlg, int id) {
        QTest::mouseClick(qobject_cast<QPushButton*>(dlg.Control(id)), Qt::LeftButton);
    }

    TempDir m_dir;
    std::filesystem::path m_path = m_dir / "pagewright.ini";
    CIniProfileStore m_store{QString::fromStdString(m_path.string())};
};

const QStringList kShownWithoutKeys = {"320x240", "12 fps", "", "384 kbps", "22050 Hz", "stereo(2 channels)",
                                       "",        "96 kbps"};

TEST_F(EncoderSettingsDlg, OpensOnTheStoredPositionsAndOkStoresAllEightInKeyOrder) {
    const struct {
        const char* name;
        std::string before; // the settings file; empty: none
        QStringList shown;  // the lists at opening, in key order
        std::function<void(CEncoderSettingsDlg&)> act;
        std::string after;
    } cases[] = {
        {"no keys, OK: the keys are added to the section in key order",
         "[Settings]\nOut Path=/home/user/textharvest\n\n[Other]\nkey=value\n", kShownWithoutKeys,
         [](CEncoderSettingsDlg& dlg) { Click(dlg, IDOK_SETTINGS); },
         "[Settings]\nOut Path=/home/user/textharvest\nResolution=1\nFrameRate=1\nEncoder=-1\nBitRate=1\n"
         "SampleRate=1\nChannel=1\nAudioEncoder=-1\nAudioBitRate=1\n\n[Other]\nkey=value\n"},
        {"no file, &Default then OK", "", kShownWithoutKeys,
         [](CEncoderSettingsDlg& dlg) {
             Click(dlg, IDC_DEFAULT);
             EXPECT_EQ(Shown(dlg),
                       (QStringList{"320x240", "12 fps", "FLV Video Encoder", "384 kbps", "22050 Hz",
                                    "stereo(2 channels)", "Mp3 Audio Encoder", "96 kbps"}));
             Click(dlg, IDOK_SETTINGS);
         },
         "[Settings]\nResolution=1\nFrameRate=1\nEncoder=0\nBitRate=1\nSampleRate=1\nChannel=1\nAudioEncoder="
         "0\n"
         "AudioBitRate=1\n"},
        {"positions outside their lists open empty; Enter stores like OK",
         "[Settings]\r\nresolution=6\r\nFrameRate=0\r\nEncoder=0\r\nBitRate=5\r\nSampleRate=99999999999\r\n"
         "Channel=2\r\nAudioEncoder=abc\r\nAudioBitRate=-1\r\n",
         {"640x480", "Keep origial frame rate", "FLV Video Encoder", "900 kbps ", "", "", "Mp3 Audio Encoder",
          ""},
         [](CEncoderSettingsDlg& dlg) { QTest::keyClick(&dlg, Qt::Key_Return); },
         "[Settings]\r\nresolution=6\r\nFrameRate=0\r\nEncoder=0\r\nBitRate=5\r\nSampleRate=-1\r\n"
         "Channel=-1\r\nAudioEncoder=0\r\nAudioBitRate=-1\r\n"},
        {"a choice made with the keyboard is stored",
         "[Settings]\nSampleRate=0\n",
         {"320x240", "12 fps", "", "384 kbps", "11025 Hz", "stereo(2 channels)", "", "96 kbps"},
         [](CEncoderSettingsDlg& dlg) {
             QTest::keyClick(dlg.List(IDC_SAMPLERATE_COMBO), Qt::Key_Down);
             QTest::keyClick(dlg.List(IDC_CHANNEL_COMBO), Qt::Key_Up);
             Click(dlg, IDOK_SETTINGS);
         },
         "[Settings]\nSampleRate=1\nResolution=1\nFrameRate=1\nEncoder=-1\nBitRate=1\nChannel="
         "0\nAudioEncoder=-1\n"
         "AudioBitRate=1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(m_path);
        Write(c.before);
        CEncoderSettingsDlg dlg(m_store);
        dlg.show();
        EXPECT_EQ(Shown(dlg), c.shown);
        c.act(dlg);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(Visible(File()), Visible(c.after));
    }
}

TEST_F(EncoderSettingsDlg, CancelEscapeAndTheCloseBoxStoreNothing) {
    const std::string before = "[Settings]\nResolution=3\nChannel=0\n";
    const QStringList shown = {"480x320",  "12 fps",           "", "384 kbps",
                               "22050 Hz", "mono (1 channel)", "", "96 kbps"};
    const std::function<void(CEncoderSettingsDlg&)> dismissals[] = {
        [](CEncoderSettingsDlg& dlg) { Click(dlg, IDCANCEL_SETTINGS); },
        [](CEncoderSettingsDlg& dlg) { QTest::keyClick(&dlg, Qt::Key_Escape); },
        [](CEncoderSettingsDlg& dlg) { dlg.close(); },
    };
    Write(before);
    for (const auto& dismiss : dismissals) {
        CEncoderSettingsDlg dlg(m_store);
        dlg.show();
        ASSERT_EQ(Shown(dlg), shown);
        Click(dlg, IDC_DEFAULT);
        QTest::keyClick(dlg.List(IDC_RESOLUTION_COMBO), Qt::Key_Down);
        dismiss(dlg);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(Visible(File()), Visible(before));
        EXPECT_EQ(Shown(CEncoderSettingsDlg(m_store)), shown) << "the next opening shows the old positions";
    }
}

TEST_F(EncoderSettingsDlg, LaidOutFromItsTemplateWithEveryTextWhole) {
    CEncoderSettingsDlg dlg(m_store);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Settings");
    EXPECT_EQ(dlg.size(), dlg.minimumSize());
    EXPECT_EQ(dlg.size(), dlg.maximumSize());
    EXPECT_TRUE(qobject_cast<QPushButton*>(dlg.Control(IDOK_SETTINGS))->isDefault());
    EXPECT_EQ(dlg.focusWidget(), dlg.Control(IDOK_SETTINGS)) << "the first tab stop";

    QList<QWidget*> templateTabOrder;
    for (const SettingsControlTemplate& t : kEncoderSettingsControls) {
        SCOPED_TRACE(t.id);
        QWidget* w = dlg.Control(t.id);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(dlg.rect().contains(w->geometry()));
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_EQ(label->text(), t.text);
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                      label->contentsRect().width());
            EXPECT_EQ(label->geometry().center().y(), dlg.Control(t.buddy)->geometry().center().y())
                << "level with its list";
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_EQ(button->text(), t.text);
            EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()), button->width());
        }
        if (w->focusPolicy() & Qt::TabFocus)
            templateTabOrder << w;
    }
    QList<QWidget*> tabOrder;
    for (QWidget* w = dlg.Control(IDOK_SETTINGS); tabOrder.size() < templateTabOrder.size();
         w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            tabOrder << w;
    EXPECT_EQ(tabOrder, templateTabOrder);

    // The lists hold exactly these entries, typos and blanks included.
    const struct {
        int id;
        int count;
        int position;
        const char* entry;
    } entries[] = {
        {IDC_RESOLUTION_COMBO, 7, 6, "640x480"},
        {IDC_FRAMERATE_COMBO, 9, 0, "Keep origial frame rate"},
        {IDC_FRAMERATE_COMBO, 9, 4, "23.97 fps"},
        {IDC_VIDEO_ENCODER_COMBO, 1, 0, "FLV Video Encoder"},
        {IDC_VIDEO_BITRATE_COMBO, 7, 5, "900 kbps "},
        {IDC_VIDEO_BITRATE_COMBO, 7, 6, "1500 kbps"},
        {IDC_SAMPLERATE_COMBO, 3, 2, "44100 Hz"},
        {IDC_CHANNEL_COMBO, 2, 0, "mono (1 channel)"},
        {IDC_AUDIO_ENCODER_COMBO, 1, 0, "Mp3 Audio Encoder"},
        {IDC_AUDIO_BITRATE_COMBO, 6, 5, "256 kbps"},
    };
    for (const auto& e : entries) {
        EXPECT_EQ(dlg.List(e.id)->count(), e.count) << e.id;
        EXPECT_EQ(dlg.List(e.id)->itemText(e.position), e.entry) << e.id;
    }
}

} // namespace
