#pragma once

#include <QFont>
#include <QRect>
#include <QSizeF>

// Dialog templates are measured in dialog units: a quarter of the dialog font's average character
// width horizontally, an eighth of its line height vertically. Converting them from the font keeps
// every window in proportion with the text it shows.

// The base units of the font the templates were first drawn with ("MS Sans Serif", 8 points): the
// pixel sizes that the templates give (list columns) were chosen for these.
inline constexpr QSizeF kOriginalDialogBaseUnits(6, 13);

// Average character width and line height of `font`, in pixels, measured as the dialog manager
// does: the width of the 52 letters of the alphabet divided by 52.
QSizeF DialogBaseUnits(const QFont& font);

// A rectangle given in dialog units, in pixels for the given base units.
QRect DialogUnitsToPixels(const QRect& units, const QSizeF& baseUnits);

// A width in pixels chosen for the original dialog font, scaled by the ratio of `baseUnits` to the
// original's, rounded; never less than `minimum`, the room its widest content needs.
int ScaledPixelWidth(int originalPixels, const QSizeF& baseUnits, int minimum = 0);
