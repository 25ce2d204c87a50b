#include <gtest/gtest.h>

#include "display/cell_grid.h"

TEST(CellGrid, StartsCleanAndClampsCoordinates) {
    CellGrid grid(33, 24);
    ASSERT_NE(grid.states, nullptr);
    for (int i = 0; i < 33 * 24; ++i) ASSERT_EQ(grid.states[i], CellClean);

    grid.Set(-1, -1, CellDirty);
    EXPECT_EQ(grid.states[0], CellDirty);
    EXPECT_EQ(grid.Get(0, 0), CellDirty);
    grid.Set(33, 24, CellDirty);
    EXPECT_EQ(grid.states[32 + 33 * 23], CellDirty);
    EXPECT_EQ(grid.Get(1000, 1000), CellDirty);
    EXPECT_EQ(grid.IndexOf(-5, 30), 33 * 23);
    EXPECT_EQ(grid.IndexOf(40, -2), 32);
}

TEST(CellGrid, FillRectMarksTextAreaOnly) {
    CellGrid grid(33, 24);
    grid.FillRect(1, 2, 32, 22, CellDirty);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 33; ++x)
            ASSERT_EQ(grid.Get(x, y), (x >= 1 && y >= 2) ? CellDirty : CellClean) << x << "," << y;
}

TEST(CellGrid, FillRectPastAnEdgeWritesEdgeCells) {
    CellGrid grid(33, 24);
    grid.FillRect(30, 40, 10, 3, CellDirty);  // wholly below: clamps onto the bottom row
    for (int x = 0; x < 33; ++x) ASSERT_EQ(grid.Get(x, 23), x >= 30 ? CellDirty : CellClean) << x;
    EXPECT_EQ(grid.Get(30, 22), CellClean);

    grid.Fill(CellClean);
    grid.FillRect(-3, -3, 5, 5, CellDirty);  // reaches cells 0-1 of rows 0-1
    EXPECT_EQ(grid.Get(1, 1), CellDirty);
    EXPECT_EQ(grid.Get(2, 0), CellClean);
    EXPECT_EQ(grid.Get(0, 2), CellClean);

    grid.Fill(CellClean);
    grid.FillRect(0, 0, 0x7FFFFFFF, 0x7FFFFFFF, CellDirty);
    EXPECT_EQ(grid.Get(32, 23), CellDirty);
    grid.FillRect(5, 5, 0, 3, CellClean);  // empty rectangle: nothing
    EXPECT_EQ(grid.Get(5, 5), CellDirty);
}

TEST(CellGrid, WithoutStorageReadsMinusOneAndIgnoresWrites) {
    CellGrid grid(33, 24);
    grid.Release();
    EXPECT_EQ(grid.width, 0);
    EXPECT_EQ(grid.Get(0, 0), -1);
    grid.Set(0, 0, CellDirty);
    grid.Fill(CellDirty);
    grid.FillRect(0, 0, 5, 5, CellDirty);
    EXPECT_EQ(grid.Get(3, 3), -1);

    CellGrid empty(0, 24);
    EXPECT_EQ(empty.states, nullptr);
    EXPECT_EQ(empty.Get(0, 0), -1);
    CellGrid huge(1 << 20, 1 << 20);
    EXPECT_EQ(huge.states, nullptr);
}
