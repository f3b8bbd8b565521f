#include "support/MsgBox.h"
#include "ui/grid/SpreadGrid.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace worktide;

namespace {

class SpreadGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid.SetMaxCols(7);
        grid.SetMaxRows(12);
        grid.resize(700, 500);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    SpreadGrid grid;
};

TEST_F(SpreadGridTest, TextKeepsLineBreaksAndIgnoresOutOfRange) {
    grid.SetText(2, 3, QStringLiteral("line1\r\nline2\r\n"));
    EXPECT_EQ(grid.Text(2, 3), QStringLiteral("line1\r\nline2\r\n"));
    EXPECT_EQ(GetCellText(&grid, 2, 3), QStringLiteral("line1\r\nline2\r\n"));

    QString out = QStringLiteral("junk");
    EXPECT_FALSE(grid.GetText(8, 1, out));
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(GetCellText(&grid, 1, 13), QString());
    grid.SetText(0, 1, QStringLiteral("ignored")); // must not crash or add a column
    EXPECT_EQ(grid.MaxCols(), 7);

    grid.SetText(3, 0, QStringLiteral("화"));
    EXPECT_EQ(grid.Text(3, 0), QStringLiteral("화"));
}

TEST_F(SpreadGridTest, ActiveCellStandsInForMinusTwo) {
    grid.SetText(4, 5, QStringLiteral("x"));
    grid.SetActiveCell(4, 5);
    EXPECT_EQ(grid.ActiveCol(), 4);
    EXPECT_EQ(grid.ActiveRow(), 5);
    EXPECT_EQ(GetCellText(&grid, -2, -2), QStringLiteral("x"));
}

TEST_F(SpreadGridTest, RowColoursAndClearingRemoveFormatting) {
    grid.SetBackColor(-1, 1, QColor(240, 240, 240));
    grid.SetForeColor(7, 1, QColor(0, 0, 255));
    grid.SetText(7, 1, QStringLiteral("01.10"));
    for (int c = 1; c <= 7; ++c)
        EXPECT_EQ(grid.BackColor(c, 1), QColor(240, 240, 240));
    EXPECT_EQ(grid.ForeColor(7, 1), QColor(0, 0, 255));
    EXPECT_FALSE(grid.ForeColor(6, 1).isValid());

    grid.ClearRange(1, 1, 7, 12);
    EXPECT_FALSE(grid.BackColor(3, 1).isValid());
    EXPECT_EQ(grid.Text(7, 1), QString());
}

TEST_F(SpreadGridTest, LeaveCellCanCancelOrRedirectTheMove) {
    // Date rows (odd) are skipped: moving into one lands on the row below. Column 6 is
    // out of bounds: the move is cancelled and the cursor stays.
    QList<QList<int>> told;
    QObject::connect(&grid, &SpreadGrid::LeaveCell, &grid, [&](LeaveCellEvent* e) {
        told << QList<int>{e->col(), e->row(), e->newCol(), e->newRow()};
        if (e->newRow() % 2 == 1) {
            e->cancel();
            grid.SetActiveCell(e->newCol(), e->newRow() + 1);
        } else if (e->newCol() == 6) {
            e->cancel();
        }
    });
    grid.setFocus();
    grid.SetActiveCell(3, 2);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.ActiveRow(), 4);
    EXPECT_EQ(grid.ActiveCol(), 3);
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.ActiveRow(), 4);
    EXPECT_EQ(grid.ActiveCol(), 4);
    QTest::keyClick(&grid, Qt::Key_Right);
    QTest::keyClick(&grid, Qt::Key_Right);
    EXPECT_EQ(grid.ActiveCol(), 5);
    EXPECT_EQ(grid.ActiveRow(), 4);
    EXPECT_EQ(grid.currentColumn(), 4); // the view's own cursor went back too
    // A move the grid makes for the program is not announced.
    grid.SetActiveCell(1, 1);
    EXPECT_EQ(told, (QList<QList<int>>{{3, 2, 3, 3}, {3, 4, 4, 4}, {4, 4, 5, 4}, {5, 4, 6, 4}}));
}

TEST_F(SpreadGridTest, KeysArriveAsVirtualKeyCodes) {
    QList<int> codes;
    int enterPresses = 0;
    QObject::connect(&grid, &SpreadGrid::KeyDown, &grid, [&](int code, int) { codes << code; });
    QObject::connect(&grid, &SpreadGrid::KeyPress, &grid, [&](int ascii) { enterPresses += ascii == 13; });
    grid.setFocus();
    grid.SetActiveCell(1, 2);
    QTest::keyClick(&grid, Qt::Key_Up);
    QTest::keyClick(&grid, Qt::Key_Return);
    QTest::keyClick(&grid, Qt::Key_F2);
    EXPECT_EQ(codes, (QList<int>{38, 13, 113}));
    EXPECT_EQ(enterPresses, 1);
}

TEST_F(SpreadGridTest, DeleteRowShrinksToDataRows) {
    ScopedScriptedMessageBoxes boxes;
    grid.SetMaxRows(5);
    for (int r = 1; r <= 3; ++r)
        grid.SetText(1, r, QString::number(r));
    DeleteGridRow(&grid, 2, true);
    EXPECT_EQ(grid.MaxRows(), 2);
    EXPECT_EQ(grid.Text(1, 1), QStringLiteral("1"));
    EXPECT_EQ(grid.Text(1, 2), QStringLiteral("3"));
    EXPECT_EQ(grid.DataRowCnt(), 2);
}

TEST_F(SpreadGridTest, ReadOnlyCellsCannotBeEdited) {
    grid.SetText(1, 1, QStringLiteral("0"));
    grid.SetReadOnly(true);
    grid.SetText(2, 1, QStringLiteral("new"));
    for (int c = 1; c <= 2; ++c)
        EXPECT_FALSE(grid.item(0, c - 1)->flags() & Qt::ItemIsEditable) << c;
    grid.SetActiveCell(1, 1);
    QTest::keyClick(&grid, Qt::Key_5);
    EXPECT_EQ(grid.Text(1, 1), QStringLiteral("0"));
}

} // namespace
