#pragma once

// A job window without widgets: rows as string vectors, a selection set, and a log of every command
// state written, in order.

#include "batch/job_window.h"
#include "tests/support/qt_printers.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <ostream>
#include <set>
#include <utility>
#include <vector>

inline void PrintTo(Command c, std::ostream* os) {
    static const char* const names[] = {"Add", "Remove", "Clear", "Convert", "Stop", "Quit"};
    *os << names[static_cast<int>(c)];
}

inline void PrintTo(const CommandWrite& w, std::ostream* os) {
    PrintTo(w.command, os);
    *os << (w.enabled ? " on" : " off");
}

class FakeJobWindow : public IJobWindow {
public:
    using Row = std::array<QString, kJobColumnCount>;

    std::vector<Row> rows;
    std::vector<QString> toolTips;
    std::set<int> selected;
    QString outputDirectory;
    std::vector<CommandWrite> commandWrites;
    QStringList openedFolders;
    std::vector<std::pair<int, int>> progressRanges;
    int focusCalls = 0;
    std::vector<int> visibleRequests;
    // Every status written, as "row:text", in order.
    QStringList statusLog;
    // Called after a cell or a status has been written (to act while a row is being converted).
    std::function<void(int row, int column, const QString& text)> afterSetCell;

    void AddRow(const QString& path, const QString& status = QStringLiteral("Ready")) {
        rows.push_back({QString(), path, QStringLiteral("1kb"), QStringLiteral("txt"), status});
        toolTips.emplace_back();
    }
    QStringList Paths() const {
        QStringList out;
        for (const Row& r : rows)
            out << r[kColumnName];
        return out;
    }

    int RowCount() const override { return static_cast<int>(rows.size()); }
    QString CellText(int row, int column) const override { return rows.at(row).at(column); }
    QStringList ColumnTexts(int column) const override {
        QStringList texts;
        for (const Row& r : rows)
            texts << r.at(column);
        return texts;
    }
    void SetCellText(int row, int column, const QString& text) override {
        rows.at(row).at(column) = text;
        if (column == kColumnStatus)
            statusLog << QString::number(row) + ":" + text;
        if (afterSetCell)
            afterSetCell(row, column, text);
    }
    void SetStatus(int row, const QString& status, const QString& toolTip) override {
        toolTips.at(row) = toolTip;
        SetCellText(row, kColumnStatus, status);
    }
    void InsertRow(int row) override {
        rows.insert(rows.begin() + row, Row{});
        toolTips.insert(toolTips.begin() + row, QString());
        std::set<int> moved;
        for (int s : selected)
            moved.insert(s >= row ? s + 1 : s);
        selected = moved;
    }
    void DeleteRow(int row) override {
        rows.erase(rows.begin() + row);
        toolTips.erase(toolTips.begin() + row);
        std::set<int> moved;
        for (int s : selected)
            if (s != row)
                moved.insert(s > row ? s - 1 : s);
        selected = moved;
    }
    void DeleteAllRows() override {
        rows.clear();
        toolTips.clear();
        selected.clear();
    }
    bool IsRowSelected(int row) const override { return selected.count(row) > 0; }
    void SelectRow(int row, bool ensureVisible) override {
        selected.insert(row);
        if (ensureVisible)
            visibleRequests.push_back(row);
    }
    void FocusList() override { ++focusCalls; }
    QString OutputDirectory() const override { return outputDirectory; }
    void EnableCommand(Command command, bool enabled) override {
        commandWrites.push_back({command, enabled});
    }
    void SetProgressRange(int low, int high) override { progressRanges.emplace_back(low, high); }
    void OpenFolder(const QString& path) override { openedFolders << path; }
};

// The command writes of the state changes, in their order.
inline const std::vector<CommandWrite> kToReady = StateChangeWrites(StateChange::FilesAdded);
inline const std::vector<CommandWrite> kRunEnded = StateChangeWrites(StateChange::RunEnded);
inline const std::vector<CommandWrite> kRunStarted = StateChangeWrites(StateChange::RunStarted);
inline const std::vector<CommandWrite> kLastRowRemoved = StateChangeWrites(StateChange::LastRowRemoved);
inline const std::vector<CommandWrite> kCleared = StateChangeWrites(StateChange::ListCleared);
