#include "controls/menu/memory_dc.h"

#include <QPaintDevice>

CMemoryDC::CMemoryDC(QPainter& target, const QRect& rect)
    : m_target(target), m_rect(rect),
      m_offScreen(target.device() && target.device()->devType() != QInternal::Printer && !rect.isEmpty()) {
    if (!m_offScreen)
        return;
    const qreal ratio = target.device()->devicePixelRatioF();
    m_pixmap = QPixmap(rect.size() * ratio);
    m_pixmap.setDevicePixelRatio(ratio);
    m_pixmap.fill(Qt::transparent);
    m_painter.emplace(&m_pixmap);
    // Callers draw in the target's coordinates.
    m_painter->translate(-rect.topLeft());
    m_painter->setFont(target.font());
}

CMemoryDC::~CMemoryDC() {
    if (!m_offScreen)
        return;
    m_painter.reset();
    m_target.drawPixmap(m_rect.topLeft(), m_pixmap);
}

QPainter& CMemoryDC::Painter() {
    return m_offScreen ? *m_painter : m_target;
}
