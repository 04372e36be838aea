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
