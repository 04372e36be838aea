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

class FakeJobWindow : public IJobWindow {
public:
    using Row = std::array<QString, kJobColumnCount>;

    std::vector<Row> rows;
    std::vector<QString> toolTips;
    std::set<int> selected;
    QString outputDirectory;
    std::vector<std::pair<Command, bool>> commandWrites;
    QStringList openedFolders;
    std::vector<std::pair<int, int>> progressRanges;
    int focusCalls = 0;
    std::vector<int> visibleRequests;
    // Every status written, as "row:text", in order.
    QStringList statusLog;
    // Called after a cell has been written (to act while a row is being converted).
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
    void SetCellText(int row, int column, const QString& text) override {
        rows.at(row).at(column) = text;
        if (column == kColumnStatus)
            statusLog << QString::number(row) + ":" + text;
        if (afterSetCell)
            afterSetCell(row, column, text);
    }
    void SetRowToolTip(int row, const QString& text) override { toolTips.at(row) = text; }
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
        commandWrites.emplace_back(command, enabled);
    }
    void SetProgressRange(int low, int high) override { progressRanges.emplace_back(low, high); }
    void OpenFolder(const QString& path) override { openedFolders << path; }
};

// The command writes of the state transitions, in their order.
inline const std::vector<std::pair<Command, bool>> kToReady = {
    {Command::Convert, true}, {Command::Clear, true}, {Command::Remove, true}, {Command::Stop, false}};
inline const std::vector<std::pair<Command, bool>> kRunEnded = {
    {Command::Convert, true}, {Command::Clear, true}, {Command::Remove, true},
    {Command::Stop, false},   {Command::Add, true},   {Command::Quit, true}};
inline const std::vector<std::pair<Command, bool>> kRunStarted = {
    {Command::Convert, false}, {Command::Clear, false}, {Command::Remove, false},
    {Command::Stop, true},     {Command::Add, false},   {Command::Quit, false}};
inline const std::vector<std::pair<Command, bool>> kLastRowRemoved = {{Command::Convert, false},
                                                                      {Command::Clear, false},
                                                                      {Command::Remove, false},
                                                                      {Command::Stop, false},
                                                                      {Command::Add, true}};
inline const std::vector<std::pair<Command, bool>> kCleared = {
    {Command::Convert, false}, {Command::Clear, false}, {Command::Remove, false}, {Command::Stop, false}};
