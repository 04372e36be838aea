#pragma once

#include "controls/drawing/color_ref.h"

#include <QImage>

// Colour and image arithmetic of the image button: shading a colour, the darker and grey copies of
// an image, transparency from a key colour, and the embossed look of a disabled image.

// `color` with one common shift added to its three channels: for a positive `shade` the largest
// shift (at most `shade`) that keeps every channel at or below 255, for a negative one the shift
// nearest zero (at least `shade`) that keeps every channel at or above 0. No channel is clipped on
// its own, so the hue is kept. `shade` lies in -255..255.
ColorRef ShadeColor(ColorRef color, int shade);

// Each channel c becomes c - 0.25 * c, truncated.
ColorRef DarkerColor(ColorRef color);

// The grey of the same luminance: 0.299 red + 0.587 green + 0.114 blue, truncated, in all three.
ColorRef GreyColor(ColorRef color);

enum class DerivedImage { Darker, Grey };

// A copy of a bitmap with every pixel except those of the colour `transparent` made darker or grey.
QImage DeriveBitmap(const QImage& bitmap, DerivedImage kind, ColorRef transparent);

// A copy of an icon with every pixel except black ones made darker or grey; the alpha channel (the
// icon's mask) is kept.
QImage DeriveIcon(const QImage& icon, DerivedImage kind);

// A copy of a bitmap in which the pixels of the colour `transparent` are transparent; a null image
// when `bitmap` is null.
QImage ApplyTransparentColor(const QImage& bitmap, ColorRef transparent);

// The disabled look of an image, one pixel larger each way: its dark, opaque parts as a shape drawn
// in `shadow` over the same shape in `highlight` moved one pixel right and down. Light and
// transparent parts drop out.
QImage EmbossImage(const QImage& image, const QColor& highlight, const QColor& shadow);
