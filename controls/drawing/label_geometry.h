#pragma once

#include <QRect>
#include <QSize>
#include <Qt>

// The rectangle, in the parent's coordinates, of a label of outer rectangle `window` (whose border
// takes `border`: the window's size minus its client size) fitted to a text of `text` size. A
// left-aligned label keeps its left edge, a right-aligned one its right edge, a centred one shrinks
// or grows evenly on both sides (halvings truncated); a vertically centred label does the same
// vertically, any other keeps its top.
QRect FitLabelToText(const QRect& window, const QSize& border, const QSize& text, Qt::Alignment alignment);
