// Selection blocks and the feeding rules by key-state mode.
#include "grid/selection.h"

#include <gtest/gtest.h>

namespace {

class Listener : public TableSelectionListener
{
public:
    std::vector<TableRange> changes;
    std::vector<TableRange> redraws;
    void SelectionChanged(const TableRange& bounds, int) override { changes.push_back(bounds); }
    void SelectionRedraw(const TableRange& cells) override { redraws.push_back(cells); }

    bool Redrawn(int column, int row) const
    {
        for (const TableRange& r : redraws)
            if (r.Contains(column, row))
                return true;
        return false;
    }
};

constexpr int kShift = TableKeyFlags::shift;
constexpr int kControl = TableKeyFlags::control;

} // namespace

TEST(Selection, ClickShiftClickAndControlClick)
{
    CTableSelection sel;
    sel.Feed(1, 1, kKeyStateLeftButton, 0);
    sel.Feed(3, 4, kKeyStateLeftButton, kShift);
    ASSERT_EQ(sel.GetBlockCount(), 1);
    EXPECT_EQ(sel.GetBlock(0).bounds, (TableRange{1, 1, 3, 4}));
    EXPECT_TRUE(sel.IsSelected(2, 3));
    EXPECT_FALSE(sel.IsSelected(4, 3));

    sel.Feed(6, 6, kKeyStateLeftButton, kControl);
    EXPECT_EQ(sel.GetBlockCount(), 2);
    EXPECT_TRUE(sel.IsSelected(2, 3));
    EXPECT_TRUE(sel.IsSelected(6, 6));
    int c = 0, r = 0;
    ASSERT_TRUE(sel.GetAnchor(c, r));
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(6, 6));

    sel.Feed(0, 0, kKeyStateLeftButton, 0);
    EXPECT_EQ(sel.GetBlockCount(), 1);
    EXPECT_FALSE(sel.IsSelected(2, 3));
    EXPECT_FALSE(sel.IsSelected(6, 6));
    EXPECT_TRUE(sel.IsSelected(0, 0));
}

TEST(Selection, KeyboardMovesAndShiftExtends)
{
    CTableSelection sel;
    Listener l;
    sel.SetListener(&l);
    sel.Feed(2, 2, kKeyStateKeyboard, 0);
    sel.Feed(2, 2, kKeyStateKeyboard, 0); // the same cell again: nothing
    EXPECT_EQ(l.changes.size(), 1u);
    sel.Feed(3, 2, kKeyStateKeyboard, kShift);
    sel.Feed(3, 3, kKeyStateKeyboard, kShift);
    EXPECT_EQ(sel.GetBlock(0).bounds, (TableRange{2, 2, 3, 3}));
    int c = 0, r = 0;
    sel.GetAnchor(c, r);
    EXPECT_EQ(std::make_pair(c, r), std::make_pair(2, 2)); // the anchor stays put
    // Shrinking repaints the strip that left the block.
    l.redraws.clear();
    sel.Feed(2, 3, kKeyStateKeyboard, kShift);
    EXPECT_TRUE(l.Redrawn(3, 2));
    EXPECT_TRUE(l.Redrawn(3, 3));
    EXPECT_FALSE(l.Redrawn(2, 2));
    // A plain move repaints the old selection and starts over; Ctrl keeps it.
    l.redraws.clear();
    sel.Feed(5, 5, kKeyStateKeyboard, 0);
    EXPECT_TRUE(l.Redrawn(2, 3));
    EXPECT_EQ(sel.GetBlockCount(), 1);
    sel.Feed(7, 7, kKeyStateKeyboard, kControl);
    EXPECT_EQ(sel.GetBlockCount(), 2);
}

TEST(Selection, RightButtonKeepsASelectionItHits)
{
    CTableSelection sel;
    sel.Feed(0, 0, kKeyStateLeftButton, 0);
    sel.Feed(2, 2, kKeyStateLeftButton, kShift);
    sel.Feed(1, 1, kKeyStateRightButton, 0);
    EXPECT_EQ(sel.GetBlock(0).bounds, (TableRange{0, 0, 2, 2}));
    sel.Feed(5, 5, kKeyStateRightButton, 0);
    EXPECT_EQ(sel.GetBlockCount(), 1);
    EXPECT_EQ(sel.GetBlock(0).bounds, (TableRange{5, 5, 5, 5}));
}

TEST(Selection, DragExtendsOnlyWhenTheCellChanges)
{
    CTableSelection sel;
    Listener l;
    sel.SetListener(&l);
    sel.Feed(1, 1, kKeyStateLeftButton, 0);
    sel.Feed(1, 1, kKeyStateMouseDrag, TableKeyFlags::leftButton);
    EXPECT_EQ(l.changes.size(), 1u);
    sel.Feed(2, 4, kKeyStateMouseDrag, TableKeyFlags::leftButton);
    EXPECT_EQ(sel.GetBlock(0).bounds, (TableRange{1, 1, 2, 4}));
}

TEST(Selection, ModesToggleAndQueries)
{
    CTableSelection sel;
    sel.SetMode(CTableSelection::kRowSelection);
    sel.StartBlock(3, 2);
    EXPECT_TRUE(sel.IsSelected(100, 2));
    EXPECT_TRUE(sel.IsRowSelected(2));
    EXPECT_FALSE(sel.IsRowSelected(3));

    // A later block that deselects wins by default; with kFirstBlockDecides the first does.
    CTableSelection toggled;
    toggled.StartBlock(0, 0);
    toggled.ExtendBlock(2, 2);
    toggled.Toggle(1, 1);
    EXPECT_FALSE(toggled.IsSelected(1, 1));
    int index = -1;
    EXPECT_TRUE(toggled.IsSelected(2, 2, &index));
    EXPECT_EQ(index, 0);
    toggled.SetMode(CTableSelection::kFirstBlockDecides);
    EXPECT_TRUE(toggled.IsSelected(1, 1));
    toggled.SetMode(0);
    toggled.Toggle(1, 1); // flips the 1 x 1 block back
    EXPECT_TRUE(toggled.IsSelected(1, 1));
    EXPECT_EQ(toggled.GetBlockCount(), 2);
    EXPECT_TRUE(toggled.IsColumnSelected(2));
    EXPECT_FALSE(toggled.IsColumnSelected(3));

    int cells = 0;
    toggled.ForEachSelected(2, 2, [&](int, int) { ++cells; });
    EXPECT_EQ(cells, 4);
    TableRange all;
    ASSERT_TRUE(toggled.GetBoundingRange(all));
    EXPECT_EQ(all, (TableRange{0, 0, 2, 2}));
    toggled.Clear();
    EXPECT_FALSE(toggled.GetBoundingRange(all));
}
