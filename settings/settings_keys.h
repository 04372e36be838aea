#pragma once

#include <QLatin1String>

// The one section of the settings file and its keys: the output directory, then the eight positions
// of the encoder settings dialog in the order they are read and written.
inline constexpr QLatin1String kSettingsSection("Settings");
inline constexpr QLatin1String kOutPathKey("Out Path");

inline constexpr QLatin1String kResolutionKey("Resolution");
inline constexpr QLatin1String kFrameRateKey("FrameRate");
inline constexpr QLatin1String kEncoderKey("Encoder");
inline constexpr QLatin1String kBitRateKey("BitRate");
inline constexpr QLatin1String kSampleRateKey("SampleRate");
inline constexpr QLatin1String kChannelKey("Channel");
inline constexpr QLatin1String kAudioEncoderKey("AudioEncoder");
inline constexpr QLatin1String kAudioBitRateKey("AudioBitRate");
