// Board drawing on the window and the background copy: where tiles land, which sheet
// picture they take, small boards, board backgrounds, erased tiles and removals.
#include <gtest/gtest.h>

#include "ClientHarness.h"
#include "PaintFixtures.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/paint/modPaint_GameBack.h"
#include "client/platform/PictureBox.h"

using paintfix::BackColor;
using paintfix::GreyTileColor;
using paintfix::TileColor;

namespace {

// A started client with tile sheets and backgrounds in its folder; seat 0 is local and
// seats are shown in order (seat s at position s).
struct BoardTable {
    harness::Harness h;
    BoardTable(bool sheets = true) {
        if (sheets) paintfix::WriteTileSheets(h.AppFolder());
        paintfix::WriteGameBack(h.AppFolder());
        paintfix::WriteSeatArt(h.AppFolder());
        EXPECT_TRUE(h.Start());
        for (int s = 0; s < 6; ++s) h.client->game.bteSeatPosNo[s] = static_cast<std::uint8_t>(s);
        h.client->game.bteCurUserNo = 0;
    }
    TableClient& c() { return *h.client; }
    QImage& window() { return h.Main().Image; }
    QImage& back() { return h.Main().picGameBack->Image; }
    modPaint_FangKuai& board() { return *h.client->paintFangKuai; }
};

// True when the w x h block at (x, y) of the image is all one colour.
bool BlockIs(const QImage& img, int x, int y, int w, int h, QRgb c) {
    for (int yy = y; yy < y + h; ++yy)
        for (int xx = x; xx < x + w; ++xx)
            if (img.pixel(xx, yy) != c) return false;
    return true;
}

}  // namespace

TEST(BoardDrawing, OwnTilesLandOnTheirCellsFromTheirSheetPictures) {
    BoardTable t;
    auto& grid = t.c().game.SeatUser[0].TileGrid;
    grid[0][0] = 1;
    grid[3][7] = 17;
    grid[9][17] = 39;
    grid[5][5] = 40;  // unknown code: picture 0
    t.window().fill(qRgb(0, 0, 0));
    t.back().fill(qRgb(0, 0, 0));
    t.board().DrawSeatBoard(0, false);
    for (QImage* img : {&t.window(), &t.back()}) {
        EXPECT_TRUE(BlockIs(*img, 26, 200, 31, 35, TileColor(0)));
        EXPECT_TRUE(BlockIs(*img, 26 + 31 * 7, 200 + 35 * 3, 31, 35, TileColor(16)));
        EXPECT_TRUE(BlockIs(*img, 26 + 31 * 17, 200 + 35 * 9, 31, 35, TileColor(38)));
        EXPECT_TRUE(BlockIs(*img, 26 + 31 * 5, 200 + 35 * 5, 31, 35, TileColor(0)));
        // Empty cells are left alone.
        EXPECT_TRUE(BlockIs(*img, 26 + 31, 200, 31, 35, qRgb(0, 0, 0)));
    }
    // Grey for a player who is out.
    t.board().DrawSeatBoard(0, true);
    EXPECT_TRUE(BlockIs(t.window(), 26 + 31 * 7, 200 + 35 * 3, 31, 35, GreyTileColor(16)));
}

TEST(BoardDrawing, SmallBoardsShrinkEveryTileToFiveBySeven) {
    BoardTable t;
    t.c().game.SeatUser[1].TileGrid[2][3] = 5;
    t.c().game.SeatUser[5].TileGrid[9][17] = 2;
    t.window().fill(qRgb(0, 0, 0));
    t.board().DrawSeatBoard(1, false);
    t.board().DrawSeatBoard(5, false);
    EXPECT_TRUE(BlockIs(t.window(), 23 + 5 * 3, 61 + 7 * 2, 5, 7, TileColor(4)));
    EXPECT_TRUE(BlockIs(t.window(), 23 + 5 * 3 + 5, 61 + 7 * 2, 1, 7, qRgb(0, 0, 0)));
    EXPECT_TRUE(BlockIs(t.window(), 499 + 5 * 17, 61 + 7 * 9, 5, 7, TileColor(1)));
    EXPECT_TRUE(BlockIs(t.back(), 499 + 5 * 17, 61 + 7 * 9, 5, 7, TileColor(1)));
    // The watched seat moves to position 0 with its display position.
    t.c().game.bteSeatPosNo = {5, 0, 1, 2, 3, 4};
    t.board().DrawSeatBoard(1, false);
    EXPECT_TRUE(BlockIs(t.window(), 26 + 31 * 3, 200 + 35 * 2, 31, 35, TileColor(4)));
}

TEST(BoardDrawing, MissingSheetDrawsNothingAndBadSeatsAreIgnored) {
    BoardTable t(false);
    t.c().game.SeatUser[0].TileGrid[0][0] = 3;
    t.window().fill(qRgb(1, 2, 3));
    const QImage before = t.window();
    t.board().DrawSeatBoard(0, false);
    t.board().DrawSeatBoard(6, false);
    t.board().DrawSeatBoardBack(-1);
    t.board().EraseTile(7, 0, 0);
    t.board().EraseTile(1, 10, 0);
    t.board().EraseTile(1, 0, 18);
    EXPECT_EQ(t.window(), before);
}

TEST(BoardDrawing, ErasedTilesShowTheBoardBackground) {
    BoardTable t;
    t.window().fill(qRgb(0, 0, 0));
    t.back().fill(qRgb(0, 0, 0));
    t.board().EraseTile(2, 4, 6);  // small board: a 5 x 7 box of the erase colour
    const int x = 142 + 5 * 6, y = 61 + 7 * 4;
    for (QImage* img : {&t.window(), &t.back()}) {
        EXPECT_TRUE(BlockIs(*img, x, y, 5, 7, qRgb(115, 166, 255)));
        EXPECT_TRUE(BlockIs(*img, x + 5, y, 1, 7, qRgb(0, 0, 0)));
        EXPECT_TRUE(BlockIs(*img, x, y + 7, 5, 1, qRgb(0, 0, 0)));
    }
    t.board().EraseTile(0, 2, 3);  // own board: the same place of the background picture
    const int ox = 26 + 31 * 3, oy = 200 + 35 * 2;
    EXPECT_EQ(t.window().pixel(ox, oy), BackColor(ox, oy));
    EXPECT_EQ(t.window().pixel(ox + 30, oy + 34), BackColor(ox + 30, oy + 34));
    EXPECT_EQ(t.window().pixel(ox + 31, oy), qRgb(0, 0, 0));
    EXPECT_EQ(t.back().pixel(ox + 30, oy + 34), BackColor(ox + 30, oy + 34));
}

TEST(BoardDrawing, RemovalErasesTheTwoEndTilesOnlyForTwoToFourNodes) {
    BoardTable t;
    auto lit = [&](int seat, int r, int c) {
        int x, y, w, h;
        t.board().CellRect(seat, r, c, x, y, w, h);
        return t.window().pixel(x, y) == qRgb(115, 166, 255);
    };
    for (int nodes : {1, 5, 0}) {
        t.window().fill(qRgb(0, 0, 0));
        LinkPath path;
        path.lngNodeCount = nodes;
        t.board().ShowRemoval(1, path);
        EXPECT_FALSE(lit(1, 0, 0)) << nodes;
    }
    // Four nodes: (1,1) -> (0,1) -> (0,5) -> (2,5); only the ends are erased.
    t.window().fill(qRgb(0, 0, 0));
    LinkPath path;
    path.lngNodeCount = 4;
    const int nodes[8] = {1, 1, 0, 1, 0, 5, 2, 5};
    std::copy(nodes, nodes + 8, path.lngNodePos);
    t.board().ShowRemoval(1, path);
    EXPECT_TRUE(lit(1, 1, 1));
    EXPECT_TRUE(lit(1, 2, 5));
    EXPECT_FALSE(lit(1, 0, 1));
    EXPECT_FALSE(lit(1, 0, 5));
    // Nodes off the board are skipped, not drawn somewhere else.
    path.lngNodeCount = 2;
    path.lngNodePos[0] = -1;
    path.lngNodePos[2] = 12;
    t.board().ShowRemoval(1, path);
}

TEST(BoardDrawing, BoardBackgroundsComeFromTheirPictures) {
    BoardTable t;
    t.window().fill(qRgb(0, 0, 0));
    t.back().fill(qRgb(0, 0, 0));
    t.board().DrawSeatBoardBack(0);  // 596 x 390 of the background from (9, 177)
    EXPECT_EQ(t.window().pixel(9, 177), BackColor(9, 177));
    EXPECT_EQ(t.window().pixel(604, 566), BackColor(604, 566));
    EXPECT_EQ(t.window().pixel(605, 566), qRgb(0, 0, 0));
    EXPECT_EQ(t.window().pixel(8, 177), qRgb(0, 0, 0));
    EXPECT_EQ(t.back().pixel(604, 566), BackColor(604, 566));

    t.board().DrawSeatBoardBack(3);  // panel piece at (left - 7, top - 23), number 3 at (left + 72, top - 23)
    const int left = 261, top = 61;
    EXPECT_EQ(t.window().pixel(left - 7, top - 23), paintfix::kOtherInColor);
    EXPECT_EQ(t.window().pixel(left - 7 + 104, top - 23 + 93), paintfix::kOtherInColor);
    EXPECT_EQ(t.window().pixel(left - 7 + 105, top - 23 + 93), qRgb(0, 0, 0));
    EXPECT_TRUE(BlockIs(t.window(), left + 72, top - 23, 25, 25, paintfix::PosNoColor(3)));
    EXPECT_TRUE(BlockIs(t.back(), left + 72, top - 23, 25, 25, paintfix::PosNoColor(3)));
}

TEST(GameBack, HoldsTheBackgroundPictureIn612By600) {
    BoardTable t;
    const PictureBox& back = *t.h.Main().picGameBack;
    EXPECT_EQ(back.Image.size(), QSize(612, 600));
    EXPECT_FALSE(back.isVisible());
    EXPECT_EQ(back.Image.pixel(0, 0), BackColor(0, 0));
    EXPECT_EQ(back.Image.pixel(611, 599), BackColor(611, 599));
    // Again after the table's tables are rebuilt, with the picture changed meanwhile.
    paintfix::WriteSolidBmp(t.h.AppFolder(), "Res\\GameBack.bmp", 800, 600, qRgb(5, 6, 7));
    t.c().paintGameBack->InitGameBack();
    EXPECT_EQ(back.Image.pixel(300, 300), qRgb(5, 6, 7));
}
