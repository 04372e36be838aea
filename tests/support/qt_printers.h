#pragma once

// Readable gtest messages for Qt and batch values.

#include "job_window.h"

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "[";
    for (qsizetype i = 0; i < list.size(); ++i)
        *os << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *os << "]";
}

inline void PrintTo(Command c, std::ostream* os) {
    static const char* const names[] = {"Add", "Remove", "Clear", "Convert", "Stop", "Quit"};
    *os << names[static_cast<int>(c)];
}
