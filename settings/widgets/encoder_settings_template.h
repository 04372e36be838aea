#pragma once

#include <QRect>

// The encoder settings dialog's template: its size, its font and its controls in template order
// (which is also the tab order), in dialog units. A drop-down list's height is its height when
// dropped down.

enum EncoderSettingsControlId : int {
    IDOK_SETTINGS = 1,
    IDCANCEL_SETTINGS = 2,
    IDC_RESOLUTION_COMBO = 1014,
    IDC_FRAMERATE_COMBO = 1015,
    IDC_VIDEO_ENCODER_COMBO = 1016,
    IDC_VIDEO_BITRATE_COMBO = 1017,
    IDC_SAMPLERATE_COMBO = 1018,
    IDC_AUDIO_ENCODER_COMBO = 1019,
    IDC_CHANNEL_COMBO = 1020,
    IDC_AUDIO_BITRATE_COMBO = 1021,
    IDC_DEFAULT = 1022,
    // Static controls without a number of their own.
    IDC_STATIC_VIDEO_GROUP = -1,
    IDC_STATIC_AUDIO_GROUP = -2,
    IDC_STATIC_RESOLUTION = -3,
    IDC_STATIC_FRAMERATE = -4,
    IDC_STATIC_VIDEO_ENCODER = -5,
    IDC_STATIC_VIDEO_BITRATE = -6,
    IDC_STATIC_SAMPLERATE = -7,
    IDC_STATIC_CHANNEL = -8,
    IDC_STATIC_AUDIO_ENCODER = -9,
    IDC_STATIC_AUDIO_BITRATE = -10,
};

enum class SettingsControlKind { DefaultButton, Button, Group, Label, List };

struct SettingsControlTemplate {
    int id;
    SettingsControlKind kind;
    const char* text;
    QRect units; // x, y, width, height in dialog units
    int buddy;   // labels: the list they name
};

inline constexpr int kEncoderSettingsWidthUnits = 305;
inline constexpr int kEncoderSettingsHeightUnits = 189;
inline constexpr int kEncoderSettingsFontPoints = 9;

// clang-format off
inline const SettingsControlTemplate kEncoderSettingsControls[] = {
    {IDOK_SETTINGS, SettingsControlKind::DefaultButton, "OK", {114, 162, 50, 18}, 0},
    {IDCANCEL_SETTINGS, SettingsControlKind::Button, "Cancel", {240, 162, 50, 18}, 0},
    {IDC_STATIC_VIDEO_GROUP, SettingsControlKind::Group, "Video", {7, 7, 291, 71}, 0},
    {IDC_STATIC_AUDIO_GROUP, SettingsControlKind::Group, "Audio", {7, 84, 291, 68}, 0},
    {IDC_STATIC_RESOLUTION, SettingsControlKind::Label, "Resolution:", {16, 25, 45, 8}, IDC_RESOLUTION_COMBO},
    {IDC_STATIC_FRAMERATE, SettingsControlKind::Label, "Frame Rate:", {155, 27, 45, 8}, IDC_FRAMERATE_COMBO},
    {IDC_STATIC_VIDEO_ENCODER, SettingsControlKind::Label, "Encoder:", {28, 52, 33, 8}, IDC_VIDEO_ENCODER_COMBO},
    {IDC_STATIC_VIDEO_BITRATE, SettingsControlKind::Label, "Bit Rate:", {163, 51, 37, 8}, IDC_VIDEO_BITRATE_COMBO},
    {IDC_STATIC_SAMPLERATE, SettingsControlKind::Label, "Sample Rate:", {12, 104, 49, 8}, IDC_SAMPLERATE_COMBO},
    {IDC_STATIC_CHANNEL, SettingsControlKind::Label, "Channel:", {167, 104, 33, 8}, IDC_CHANNEL_COMBO},
    {IDC_STATIC_AUDIO_ENCODER, SettingsControlKind::Label, "Encoder:", {28, 127, 33, 8}, IDC_AUDIO_ENCODER_COMBO},
    {IDC_STATIC_AUDIO_BITRATE, SettingsControlKind::Label, "Bit Rate:", {163, 127, 37, 8}, IDC_AUDIO_BITRATE_COMBO},
    {IDC_RESOLUTION_COMBO, SettingsControlKind::List, nullptr, {65, 24, 84, 80}, 0},
    {IDC_FRAMERATE_COMBO, SettingsControlKind::List, nullptr, {205, 24, 84, 99}, 0},
    {IDC_VIDEO_ENCODER_COMBO, SettingsControlKind::List, nullptr, {65, 50, 84, 30}, 0},
    {IDC_VIDEO_BITRATE_COMBO, SettingsControlKind::List, nullptr, {205, 50, 84, 81}, 0},
    {IDC_SAMPLERATE_COMBO, SettingsControlKind::List, nullptr, {65, 101, 84, 81}, 0},
    {IDC_AUDIO_ENCODER_COMBO, SettingsControlKind::List, nullptr, {65, 125, 84, 81}, 0},
    {IDC_CHANNEL_COMBO, SettingsControlKind::List, nullptr, {205, 101, 84, 81}, 0},
    {IDC_AUDIO_BITRATE_COMBO, SettingsControlKind::List, nullptr, {205, 125, 84, 81}, 0},
    {IDC_DEFAULT, SettingsControlKind::Button, "&Default", {177, 162, 50, 18}, 0},
};
// clang-format on
