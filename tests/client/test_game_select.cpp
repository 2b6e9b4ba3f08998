// The local player's presses: selecting, pairing and sending, who may select, the hit
// tests of the boards and the target mode of a thrown item.
#include "GameTable.h"

using namespace gametable;

namespace {
// A linkable pair of 7 at (0,0)-(0,1); two 9s at (4,4) and (8,8), each walled in by
// other tiles so that they cannot be linked; a 12 at (0,5).
TileGridT SelectBoard() {
    TileGridT g = Board({{{0, 0}, 7}, {{0, 1}, 7}, {{0, 5}, 12}, {{4, 4}, 9}, {{8, 8}, 9}});
    int wall = 20;
    for (Node n : {Node{4, 4}, Node{8, 8}})
        for (Node d : {Node{-1, 0}, Node{1, 0}, Node{0, -1}, Node{0, 1}})
            g[n.row + d.row][n.col + d.col] = static_cast<std::uint8_t>(wall++);
    return g;
}
}  // namespace

TEST(SelectTile, SelectionMovesToAnyTileThatDoesNotCompleteAPair) {
    Table t;
    t.Deal(SelectBoard());
    auto& sel = *t.c().selectFk;
    SelectFrame& frame = *t.h.Main().shpSelectFlag;
    t.Press(4, 4);
    EXPECT_EQ(sel.SelFk, (CellPos{4, 4}));
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(frame.pos(), QPoint(26 + 4 * 31 - 3, 200 + 4 * 35 - 3));
    t.Press(4, 4);  // the selected tile again
    EXPECT_EQ(sel.SelFk, (CellPos{4, 4}));
    t.Press(8, 8);  // equal but walled in
    EXPECT_EQ(sel.SelFk, (CellPos{8, 8}));
    EXPECT_EQ(frame.pos(), QPoint(26 + 8 * 31 - 3, 200 + 8 * 35 - 3));
    t.Press(0, 5);  // another code
    EXPECT_EQ(sel.SelFk, (CellPos{0, 5}));
    t.Press(2, 10);                                            // an empty cell
    t.c().selectFk->Form_MouseDown(1, 26 - 10, 200 + 5);       // 10 pixels left of the board
    t.c().selectFk->Form_MouseDown(1, 26 + 18 * 31, 200 + 5);  // right of it
    EXPECT_EQ(sel.SelFk, (CellPos{0, 5}));
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(SelectTile, LegalPairSendsOneRequestAndTheTilesWaitForTheBroadcast) {
    Table t;
    t.Deal(SelectBoard());
    t.Press(0, 0);
    t.Press(0, 1);
    ASSERT_EQ(t.h.sent.size(), 1u);
    EXPECT_EQ(t.h.sent[0], (Bytes{19, 0, 0, 2, 0, 0, 0, 1}));
    EXPECT_FALSE(t.h.Main().shpSelectFlag->isVisible());
    EXPECT_EQ(t.c().selectFk->SelFk, CellPos{});
    EXPECT_EQ(t.seat(0).TileGrid[0][0], 7);
    EXPECT_FALSE(t.bar().Running());
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    EXPECT_EQ(t.seat(0).TileGrid[0][0], 0);
}

TEST(SelectTile, NobodyButAPlayingUnfrozenPlayerSelects) {
    auto tryPress = [](Table& t) {
        t.Press(0, 0);
        t.Press(0, 1);
        return t.c().selectFk->SelFk == CellPos{} && t.h.sent.empty();
    };
    {
        Table t;
        t.Deal(SelectBoard());
        t.game().blnCanSelect = false;  // frozen
        EXPECT_TRUE(tryPress(t));
    }
    {
        Table t;
        t.Deal(SelectBoard());
        t.seat(0).blnGameOut = true;
        EXPECT_TRUE(tryPress(t));
    }
    {
        Table t;  // no game
        t.seat(0).TileGrid = SelectBoard();
        t.seat(0).blnGameOut = false;
        t.game().blnCanSelect = true;
        EXPECT_TRUE(tryPress(t));
    }
    {
        Table w("李四");
        w.Deal(SelectBoard());
        w.game().blnCanSelect = true;
        EXPECT_TRUE(tryPress(w));
    }
}

TEST(SelectTile, SmallBoardHitTestFollowsThePanelsAndDisplayPositions) {
    Table t;
    const auto& sel = *t.c().selectFk;
    EXPECT_EQ(sel.HitTestSeatBoard(16, 39), 1);    // top-left corner of panel 1
    EXPECT_EQ(sel.HitTestSeatBoard(121, 169), 1);  // its bottom-right corner
    EXPECT_EQ(sel.HitTestSeatBoard(126, 60), 99);  // the gap between panels 1 and 2
    EXPECT_EQ(sel.HitTestSeatBoard(140, 60), 2);
    EXPECT_EQ(sel.HitTestSeatBoard(600, 60), 99);  // right of panel 5
    EXPECT_EQ(sel.HitTestSeatBoard(15, 60), 99);
    EXPECT_EQ(sel.HitTestSeatBoard(60, 38), 99);
    EXPECT_EQ(sel.HitTestSeatBoard(60, 170), 99);

    Table w("赵六");  // seat 3 shown as the own board: seat 4 is in panel 1
    EXPECT_EQ(w.c().selectFk->HitTestSeatBoard(60, 60), 4);
    EXPECT_EQ(w.c().selectFk->HitTestSeatBoard(500, 60), 2);
}

TEST(SelectTile, TargetModeEndsWithThePressWhereverItLands) {
    Table t;
    t.Deal(SelectBoard());
    auto& sel = *t.c().selectFk;
    auto aim = [&](int x, int y) {
        sel.ItemTargetMode = 1;
        sel.bteWaitDaoJu = 2;
        sel.Form_MouseDown(1, x, y);
    };
    sel.ItemTargetMode = 1;
    sel.Form_MouseDown(1, 300, 10);  // the caption strip drags and keeps the item waiting
    EXPECT_EQ(sel.ItemTargetMode, 1);
    aim(380 + 20, 61 + 20);  // seat 4's small board: a free seat
    EXPECT_EQ(sel.ItemTargetMode, 0);
    aim(126, 60);  // between two small boards
    EXPECT_EQ(sel.ItemTargetMode, 0);
    aim(26 + 15, 200 + 17);  // the own board: no selection either
    EXPECT_EQ(sel.ItemTargetMode, 0);
    EXPECT_EQ(sel.SelFk, CellPos{});
    EXPECT_TRUE(t.h.sent.empty());
}
