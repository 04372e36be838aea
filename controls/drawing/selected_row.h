#pragma once

#include <QColor>
#include <QRect>

// How the job list paints a selected row: a rectangle with a one-pixel border in the highlight
// colour, filled with a light tint of it, and each cell's text over it.

// The text of a cell starts this far right of the cell's left edge.
inline constexpr int kCellTextInset = 6;

// The row's rectangle: its selection bounds less the two leftmost pixels.
QRect SelectedRowFrame(const QRect& rowBounds);

// Where a cell's text goes: the cell less its first kCellTextInset pixels.
QRect SelectedCellTextRect(const QRect& cell);

// The fill: the highlight colour's lightness three quarters of the way to white.
QColor SelectedRowFill(const QColor& highlight);

// A row whose conversion failed stands out by more than colour: its status is drawn after a mark
// (a filled circle with an exclamation mark), in a colour that reads on the list's background and
// on the selected fill alike.

// The contrast ratio of two colours, 1 to 21, as the accessibility guidelines reckon it.
double ContrastRatio(const QColor& a, const QColor& b);

// Dark red, or light red where the backgrounds are dark: the one with the better contrast against
// the weaker of the two backgrounds; at least 4.5:1 against both on the usual light and dark ones.
QColor FailedTextColor(const QColor& background, const QColor& selectedFill);

// The mark's square at the start of a cell's text rectangle, three quarters of a line of text (the
// font's height) high, centred on the rectangle's middle; the text follows a quarter line further.
QRect FailedMarkRect(const QRect& textRect, int lineHeight);
QRect FailedTextRect(const QRect& textRect, int lineHeight);
