#pragma once

#include "controls/drawing/color_ref.h"

// The HLS colour model on a byte scale, used to tint the selected rows of the job list.
//
// A packed HLS value has the layout of a ColorRef with hue in the lowest byte, lightness in the
// second and saturation in the third. Lightness and saturation are fractions of 1 scaled by 255;
// the hue byte is the angle in degrees scaled by 255/360. The arithmetic follows fixed rules of
// single and double precision, so the results are the same bytes on every platform.

using HlsValue = std::uint32_t;

constexpr HlsValue Hls(int hue, int lightness, int saturation) {
    return Rgb(hue, lightness, saturation);
}

HlsValue ColorToHls(ColorRef color);
ColorRef HlsToColor(HlsValue hls);

// One channel byte of the way back from HLS; `hue` in degrees, one turn out of range at most.
int HlsChannel(float m1, float m2, float hue);

// `color` with its lightness moved `lightnessPercent` of the way towards white (positive) or black
// (negative), then its saturation the same way by `saturationPercent`; hue kept.
ColorRef AdjustHlsColor(ColorRef color, int lightnessPercent, int saturationPercent);
