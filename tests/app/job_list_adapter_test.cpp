#include "app/job_list_adapter.h"

#include "app/job_list_delegate.h"
#include "tests/support/qt_printers.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

#include <set>
#include <vector>

namespace {

// The adapter over a list of its own; the window's part of IJobWindow does nothing.
class JobList : public CJobListAdapter {
public:
    explicit JobList(int rows) {
        AttachJobList(&list);
        for (int row = 0; row < rows; ++row)
            InsertRow(row);
        list.resize(400, 150);
        list.show();
    }
    QString OutputDirectory() const override { return {}; }
    void EnableCommand(Command, bool) override {}
    void SetProgressRange(int, int) override {}
    void OpenFolder(const QString&) override {}

    std::set<int> SelectedRows() const {
        std::set<int> rows;
        for (int row = 0; row < RowCount(); ++row)
            if (IsRowSelected(row))
                rows.insert(row);
        return rows;
    }
    qsizetype SelectionRanges() const { return list.selectionModel()->selection().size(); }
    // The whole height of the row is in view.
    bool Shows(int row) const {
        const QRect item = list.visualItemRect(list.topLevelItem(row));
        return item.top() >= 0 && item.bottom() < list.viewport()->height();
    }

    QTreeWidget list;
};

TEST(JobListAdapter, SetsTheListUpWithTheFiveColumnsAndRowSelection) {
    JobList rows(0);
    QTreeWidget* list = &rows.list;
    const QStringList headings = {"NO.", "Name", "Size", "Target", "Status"};
    ASSERT_EQ(list->columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), headings[c]);
        EXPECT_EQ(list->columnWidth(c), JobColumnWidth(c, list->font()));
    }
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_FALSE(list->header()->sectionsClickable());
    EXPECT_FALSE(list->rootIsDecorated());
}

TEST(JobListAdapter, SelectingRowsGrowsTheNeighbouringRangeInsteadOfAddingOne) {
    struct Case {
        std::vector<int> selected; // in this order
        qsizetype ranges;
    };
    const std::vector<Case> cases = {
        {{0, 1, 2, 3, 4}, 1}, // a run from the top
        {{4, 3, 2, 1, 0}, 1}, // upwards
        {{0, 2, 4}, 3},       // no neighbours
        {{0, 2, 1}, 2},       // the gap joins the range above, not both
        {{3, 3, 4}, 1},       // a row selected twice
        {{1, 2, 6, 7, 8}, 2}, // two runs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.selected));
        JobList rows(10);
        for (const int row : c.selected)
            rows.SelectRow(row, false);
        EXPECT_EQ(rows.SelectedRows(), std::set<int>(c.selected.begin(), c.selected.end()));
        EXPECT_EQ(rows.SelectionRanges(), c.ranges);
        EXPECT_EQ(rows.list.currentItem(), nullptr) << "selected, not made the current row";
    }
}

TEST(JobListAdapter, SelectingScrollsOnlyWhenAskedTo) {
    JobList rows(200);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rows.list));
    ASSERT_TRUE(rows.Shows(0));
    rows.SelectRow(150, false);
    EXPECT_FALSE(rows.Shows(150));
    EXPECT_TRUE(rows.Shows(0));
    rows.SelectRow(150, true);
    EXPECT_TRUE(rows.Shows(150));
    EXPECT_FALSE(rows.Shows(0));
}

} // namespace
