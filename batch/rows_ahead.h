#pragma once

#include "engine/pdf_text_extractor.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

class IWorkerWindow;

// The texts of the rows after the one in conversion, made while the window has yet to show that row,
// so the worker reads PDFs instead of waiting. Only small PDFs (CPdfTextExtractor::ReadAhead) of
// rows that named them when the run began: no text of the run can have replaced them. A row's text
// is used only if the row still names the PDF it was made from.
class CRowsAhead {
public:
    // At most this many rows are held, and no row is read once the texts held reach kBytes.
    static constexpr int kRows = 512;
    static constexpr std::size_t kBytes = 8 * 1024 * 1024;

    // `namesAtStart`: the names of the rows when the run began, row by row.
    CRowsAhead(const CPdfTextExtractor& engine, const QStringList& namesAtStart);

    // The text made for `row` while it was named `name`, or null; valid until DropThrough(row).
    const CPdfTextExtractor::AheadText* Find(int row, const QString& name) const;
    // Reads the first row after `row` that has not been read; false when there is none to read (the
    // list's end) or no room to hold it.
    bool ReadNext(IWorkerWindow& window, int row);
    // Forgets the texts of `row` and of the rows before it.
    void DropThrough(int row);

private:
    struct Row {
        QString name;
        CPdfTextExtractor::AheadText ahead;
    };
    Row& Slot(int index) { return m_slots[(m_head + index) % kRows]; }

    const CPdfTextExtractor& m_engine;
    const QStringList& m_namesAtStart;
    // A ring of kRows texts; their strings keep their memory from one row to the next.
    std::vector<Row> m_slots;
    int m_head = 0;  // slot of m_first
    int m_first = 0; // the first row held
    int m_count = 0;
    std::size_t m_bytes = 0;
};
