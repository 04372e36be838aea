#pragma once

#include "platform/profile_store.h"
#include "settings/settings_keys.h"

#include <QLatin1String>
#include <QString>

#include <array>
#include <span>

// The encoder settings: eight positions in fixed lists, kept in the settings file and shown by the
// encoder settings dialog. Nothing else reads them.

// One drop-down list of the dialog: its control number, its key, its entries (position 0 first) and
// the position that "&Default" selects.
struct EncoderList {
    int controlId;
    QLatin1String key;
    std::span<const char* const> entries;
    int defaultPosition;
};

inline constexpr const char* kResolutionEntries[] = {"240x160", "320x240", "480x272", "480x320",
                                                     "480x368", "512x384", "640x480"};
inline constexpr const char* kFrameRateEntries[] = {"Keep origial frame rate",
                                                    "12 fps",
                                                    "15 fps",
                                                    "20 fps",
                                                    "23.97 fps",
                                                    "24 fps",
                                                    "25 fps",
                                                    "29.97 fps",
                                                    "30 fps"};
inline constexpr const char* kVideoEncoderEntries[] = {"FLV Video Encoder"};
// "900 kbps " ends with a blank, as it always has.
inline constexpr const char* kVideoBitRateEntries[] = {"256 kbps", "384 kbps",  "512 kbps", "640 kbps",
                                                       "768 kbps", "900 kbps ", "1500 kbps"};
inline constexpr const char* kSampleRateEntries[] = {"11025 Hz", "22050 Hz", "44100 Hz"};
inline constexpr const char* kChannelEntries[] = {"mono (1 channel)", "stereo(2 channels)"};
inline constexpr const char* kAudioEncoderEntries[] = {"Mp3 Audio Encoder"};
inline constexpr const char* kAudioBitRateEntries[] = {"64 kbps",  "96 kbps",  "128 kbps",
                                                       "160 kbps", "192 kbps", "256 kbps"};

inline constexpr int kEncoderListCount = 8;

// In key order. The channel list is control 1020 and the audio encoder 1019, although the channel
// key comes first.
inline constexpr EncoderList kEncoderLists[kEncoderListCount] = {
    {1014, kResolutionKey, kResolutionEntries, 1},     {1015, kFrameRateKey, kFrameRateEntries, 1},
    {1016, kEncoderKey, kVideoEncoderEntries, 0},      {1017, kBitRateKey, kVideoBitRateEntries, 1},
    {1018, kSampleRateKey, kSampleRateEntries, 1},     {1020, kChannelKey, kChannelEntries, 1},
    {1019, kAudioEncoderKey, kAudioEncoderEntries, 0}, {1021, kAudioBitRateKey, kAudioBitRateEntries, 1},
};

// A position per list, in key order; -1 is no selection.
using EncoderPositions = std::array<int, kEncoderListCount>;

// The number at the start of `text` as atoi reads it: blanks skipped, an optional sign, then digits;
// 0 when no digit follows. A number outside the range of int gives -1, which selects nothing, as
// any other position outside a list does.
int PositionFromText(const QString& text);

// The eight stored positions, in key order; a missing key reads as "1".
EncoderPositions LoadEncoderPositions(const IProfileStore& store);

// Writes all eight keys, in key order, as signed decimal text ("-1" for no selection). Stops at the
// first write that fails and returns its failure; the keys before it stay written.
ProfileWriteResult StoreEncoderPositions(IProfileStore& store, const EncoderPositions& positions);
