#pragma once

#include <QFont>
#include <QRect>
#include <QSizeF>

// Dialog templates are measured in dialog units: a quarter of the dialog font's average character
// width horizontally, an eighth of its line height vertically. Converting them from the font keeps
// every window in proportion with the text it shows.

// Average character width and line height of `font`, in pixels, measured as the dialog manager
// does: the width of the 52 letters of the alphabet divided by 52.
QSizeF DialogBaseUnits(const QFont& font);

// A rectangle given in dialog units, in pixels for the given base units.
QRect DialogUnitsToPixels(const QRect& units, const QSizeF& baseUnits);
