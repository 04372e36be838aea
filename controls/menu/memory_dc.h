#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

#include <optional>

// An off-screen drawing context for one rectangle of a target: drawing goes into a pixmap of the
// rectangle's size, in the target's coordinates, and the pixmap is copied onto the target once, when
// the context goes away, so the drawing never shows half done. A printer is drawn on directly.
class CMemoryDC {
public:
    // `target` must outlive the context and stay active until it goes away.
    CMemoryDC(QPainter& target, const QRect& rect);
    ~CMemoryDC();
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    // Where to draw: the off-screen painter, or the target itself.
    QPainter& Painter();
    bool IsOffScreen() const { return m_offScreen; }

private:
    QPainter& m_target;
    QRect m_rect;
    bool m_offScreen;
    QPixmap m_pixmap;
    std::optional<QPainter> m_painter;
};
