#include "batch/rows_ahead.h"

#include "batch/job_paths.h"
#include "batch/job_window.h"

namespace {

// A text string keeps its memory for the next row up to this size.
constexpr std::size_t kKeptCapacity = 16 * 1024;

} // namespace

CRowsAhead::CRowsAhead(const CPdfTextExtractor& engine, const QStringList& namesAtStart)
    : m_engine(engine), m_namesAtStart(namesAtStart), m_slots(kRows) {}

const CPdfTextExtractor::AheadText* CRowsAhead::Find(int row, const QString& name) const {
    if (row < m_first || row >= m_first + m_count)
        return nullptr;
    const Row& slot = m_slots[(m_head + row - m_first) % kRows];
    return slot.ahead.source.empty() || slot.name != name ? nullptr : &slot.ahead;
}

bool CRowsAhead::ReadNext(IWorkerWindow& window, int row) {
    DropThrough(row - 1);
    if (m_count == 0)
        m_first = row + 1;
    const int next = m_first + m_count;
    if (m_count == kRows || m_bytes >= kBytes || next >= window.RowCount())
        return false;
    Row& slot = Slot(m_count);
    slot.name = window.CellText(next, kColumnName);
    // A row that cannot be read ahead holds nothing and is read at its turn.
    const bool atStart = next < m_namesAtStart.size() && m_namesAtStart[next] == slot.name;
    if (!atStart || !m_engine.ReadAhead(ToFileSystemPath(slot.name), slot.ahead))
        slot.ahead.source.clear();
    m_bytes += slot.ahead.text.size();
    ++m_count;
    return true;
}

void CRowsAhead::DropThrough(int row) {
    while (m_count > 0 && m_first <= row) {
        CPdfTextExtractor::AheadText& slot = Slot(0).ahead;
        m_bytes -= slot.text.size();
        slot.source.clear();
        if (slot.text.capacity() > kKeptCapacity)
            std::string().swap(slot.text);
        else
            slot.text.clear();
        m_head = (m_head + 1) % kRows;
        ++m_first;
        --m_count;
    }
}
