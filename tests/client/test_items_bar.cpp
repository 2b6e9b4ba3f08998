// The item bar: layout, sheet cells and counts, the tooltip, the press and release of
// every mouse button, the items used on oneself (checked against the own board first),
// target mode for thrown items with its pointer, and the map choice between games.
#include <QTest>

#include "ItemsKit.h"
#include "client/items/frmDaoJuToolTip.h"
#include "core/GameMessages.h"

using namespace gametable;
using namespace itemskit;

namespace {

// Six lone tiles and a straight pair of 7 at (0,0)-(0,1).
TileGridT WithPair() {
    TileGridT g{};
    for (int i = 0; i < 6; ++i) g[4][3 * i] = static_cast<std::uint8_t>(20 + i);
    g[0][0] = g[0][1] = 7;
    return g;
}
TileGridT NoPair() {
    TileGridT g = WithPair();
    g[0][1] = 0;
    return g;
}
// The only pair, 9 at (1,1) and (3,4), links with two turns: both one-turn corners
// hold lone tiles.
TileGridT TwoTurnPair() {
    TileGridT g{};
    g[1][1] = g[3][4] = 9;
    g[1][4] = 30;
    g[3][1] = 31;
    return g;
}

// Near-white pixels: the count's letters (the test sheet has no such colour).
bool IsInk(QRgb p) { return qRed(p) >= 215 && qGreen(p) >= 215 && qBlue(p) >= 215; }
int WhitePixels(const PictureBox& b) {
    int n = 0;
    for (int y = 0; y < b.Image.height(); ++y)
        for (int x = 0; x < b.Image.width(); ++x) n += IsInk(b.Image.pixel(x, y));
    return n;
}

}  // namespace

TEST(ItemBar, NineButtonsInTwoRowsPaintedFromTheirSheetCell) {
    ItemTable t;
    t.Deal(WithPair());
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(t.item(k).geometry(), QRect(619 + 24 * (k % 7), 197 + 28 * (k / 7), 24, 24)) << k;
        EXPECT_FALSE(t.item(k).isHidden()) << k;
    }
    // In a game every item but the map is usable with no tiles needed.
    EXPECT_EQ(t.item(0).Tag, "1");
    EXPECT_EQ(t.item(8).Tag, "0");
    EXPECT_EQ(t.item(3).Image.pixel(20, 3), ItemCellColor(3, 1));
    EXPECT_EQ(t.item(8).Image.pixel(20, 3), ItemCellColor(8, 0));
    t.Hover(3);
    EXPECT_EQ(t.item(3).Tag, "2");
    EXPECT_EQ(t.item(3).Image.pixel(20, 3), ItemCellColor(3, 2));
    t.bar().picDaoJuBut_MouseDown(3, 1, 5, 5);
    EXPECT_EQ(t.item(3).Image.pixel(20, 3), ItemCellColor(3, 3));
}

TEST(ItemBar, CountInWhiteOnEnabledButtonsOnlyAndNoneForZero) {
    ItemTable t;
    t.Deal(WithPair());
    EXPECT_EQ(WhitePixels(t.item(0)), 0);  // no uses held
    t.seat(0).bteDaoJuCount[0] = 3;
    t.seat(0).bteDaoJuCount[8] = 2;
    t.bar().RefreshDaoJuButton();
    const int three = WhitePixels(t.item(0));
    EXPECT_GT(three, 0);
    EXPECT_EQ(WhitePixels(t.item(8)), 0);  // disabled: no number
    // The number stands in the lower left.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 24; ++x) EXPECT_FALSE(IsInk(t.item(0).Image.pixel(x, y))) << x << "," << y;
    for (int y = 12; y < 24; ++y)
        for (int x = 12; x < 24; ++x) EXPECT_FALSE(IsInk(t.item(0).Image.pixel(x, y))) << x << "," << y;
}

TEST(ItemBar, TheWholeCountShowsAboveTheButtonsFoot) {
    ItemTable t;
    t.Deal(WithPair());
    for (std::uint8_t count : {std::uint8_t(8), std::uint8_t(18)}) {
        t.seat(0).bteDaoJuCount[1] = count;
        t.bar().RefreshDaoJuButton();
        int top = 24, bottom = -1;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                if (IsInk(t.item(1).Image.pixel(x, y))) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        // A digit of the count's size, ending clear of the 3-pixel frame at the foot.
        EXPECT_LE(bottom, 24 - 4) << int(count);
        EXPECT_GE(bottom - top + 1, 7) << int(count);
        EXPECT_GE(top, 3) << int(count);
    }
}

TEST(ItemBar, EnablingFollowsTheGameAndTheTilesRemoved) {
    ItemTable t;
    t.bar().SetDaoJuButtonState(true);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(t.item(k).Tag, k == 8 ? "1" : "0") << k;

    TileGridT two = WithPair();
    two[6][0] = two[6][1] = 8;
    t.game().g_DaoJu[4].bteNeedDelFk = 4;
    t.Deal(two);
    EXPECT_EQ(t.item(4).Tag, "0");
    EXPECT_EQ(t.item(8).Tag, "0");  // the map goes as the game starts
    t.Receive(RemoveMsg(0, {{0, 0}, {0, 1}}));
    EXPECT_EQ(t.item(4).Tag, "0");
    t.Receive(RemoveMsg(0, {{6, 0}, {6, 1}}));
    EXPECT_EQ(t.item(4).Tag, "1");

    // Enabling rewrites even a hovered button.
    t.Hover(2);
    t.bar().SetDaoJuButtonState(true);
    EXPECT_EQ(t.item(2).Tag, "0");
}

TEST(ItemBar, WatcherSeesNoBarAndUsesNothing) {
    ItemTable t("李四");
    ASSERT_TRUE(t.game().blnIsWatcher);
    t.Deal(WithPair());
    for (int k = 0; k < 9; ++k) EXPECT_TRUE(t.item(k).isHidden()) << k;
    t.item(0).Tag = "1";
    t.bar().PaintDaoJuButton(0);
    EXPECT_TRUE(t.item(0).isHidden());
    t.Click(0);
    t.Click(2);
    EXPECT_EQ(t.c().selectFk->ItemTargetMode, 0);
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(ItemTip, NameOrNameAndPriceUnderTheButtonAndInsideTheWindow) {
    ItemTable t;
    t.Deal(WithPair());
    frmDaoJuToolTip& tip = *t.bar().DaoJuToolTip();
    EXPECT_EQ(tip.pos(), QPoint(-200, -133));  // waiting off the window since the load
    t.Hover(1);
    EXPECT_EQ(tip.Note(), "重列");
    EXPECT_EQ(tip.pos(), QPoint(643, 197 + 24 + 1));
    EXPECT_TRUE(t.item(1).HasCapture());

    t.game().g_DaoJu[7].lngPrice = 200;
    t.Hover(7);
    EXPECT_EQ(tip.Note(), "障碍 200");
    EXPECT_EQ(tip.pos(), QPoint(619, 225 + 24 + 1));

    t.Hover(6);  // the rightmost button: the tooltip ends at the window's right edge
    EXPECT_EQ(tip.x() + tip.width(), t.h.Main().width());
    EXPECT_LT(tip.x(), 763);

    t.Leave(6);
    EXPECT_EQ(tip.Note(), "");
    EXPECT_EQ(tip.pos(), QPoint(-200, -133));
    EXPECT_EQ(t.item(6).Tag, "1");
    EXPECT_FALSE(t.item(6).HasCapture());
}

TEST(ItemTip, DisabledButtonShowsItsTipButIgnoresPressAndRelease) {
    ItemTable t;
    t.Deal(WithPair());
    t.Hover(8);  // the map, disabled in a game
    EXPECT_EQ(t.bar().DaoJuToolTip()->Note(), "地图");
    EXPECT_EQ(t.item(8).Tag, "0");
    bool dialog = WithMapDialog([](frmSelectMap&) {}, [&] { t.Click(8); });
    EXPECT_FALSE(dialog);
    EXPECT_EQ(t.item(8).Tag, "0");
    EXPECT_EQ(t.bar().DaoJuToolTip()->pos(), QPoint(643, 250));  // the release did not move it

    t.item(0).Tag = "0";
    t.Click(0);
    EXPECT_EQ(t.item(0).Tag, "0");
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(ItemPress, PressOnAButtonNotHoveredKeepsItButTheReleaseStillUsesIt) {
    ItemTable t;
    t.Deal(WithPair());
    ASSERT_EQ(t.item(1).Tag, "1");
    t.bar().picDaoJuBut_MouseDown(1, 1, 5, 5);
    EXPECT_EQ(t.item(1).Tag, "1");
    t.bar().picDaoJuBut_MouseUp(1, 1, 5, 5);
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 10, 0, 0}}));

    // Hovered, pressed, released: back to normal, the tooltip gone, the mouse free.
    t.Hover(1);
    t.bar().picDaoJuBut_MouseDown(1, 1, 5, 5);
    EXPECT_EQ(t.item(1).Tag, "3");
    t.bar().picDaoJuBut_MouseUp(1, 1, 5, 5);
    EXPECT_EQ(t.item(1).Tag, "1");
    EXPECT_FALSE(t.item(1).HasCapture());
    EXPECT_EQ(t.bar().DaoJuToolTip()->pos(), QPoint(-200, -133));
    EXPECT_EQ(t.bar().DaoJuToolTip()->Note(), "重列");  // the release leaves the text
}

// A press carried off the button and released there uses nothing; the press held the
// pointer until its release, so the next button lights and presses as usual.
TEST(ItemPress, ReleasedOffTheButtonUsesNothingAndTheNextButtonStillLights) {
    ItemTable t;
    t.Deal(WithPair());
    PictureBox& rearrange = t.item(1);
    QTest::mouseMove(&rearrange, QPoint(5, 5));
    ASSERT_EQ(rearrange.Tag, "2");
    QTest::mousePress(&rearrange, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(rearrange.Tag, "3");
    QTest::mouseMove(&rearrange, QPoint(-400, 300));  // off the button, off the window
    EXPECT_EQ(rearrange.Tag, "1");
    EXPECT_FALSE(rearrange.HasCapture());
    QTest::mouseRelease(&rearrange, Qt::LeftButton, {}, QPoint(-400, 300));
    EXPECT_TRUE(t.h.sent.empty());
    EXPECT_EQ(t.c().selectFk->ItemTargetMode, 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    PictureBox& compass = t.item(0);
    QTest::mouseMove(&compass, QPoint(6, 6));
    EXPECT_EQ(compass.Tag, "2");
    QTest::mousePress(&compass, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(compass.Tag, "3");
    QTest::mouseRelease(&compass, Qt::LeftButton, {}, QPoint(6, 6));
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 9, 0, 0, 0}}));

    // The same through the handlers: a release off the button is a move off it.
    t.h.sent.clear();
    t.Hover(2);
    t.bar().picDaoJuBut_MouseDown(2, 1, 5, 5);
    t.bar().picDaoJuBut_MouseUp(2, 1, 5, 25);
    EXPECT_EQ(t.item(2).Tag, "1");
    EXPECT_EQ(t.c().selectFk->ItemTargetMode, 0);
    EXPECT_EQ(t.bar().DaoJuToolTip()->Note(), "");
}

TEST(ItemPress, EveryMouseButtonUsesTheItem) {
    ItemTable t;
    t.Deal(WithPair());
    for (int button : {1, 2, 4}) t.Click(0, button);
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>(3, Bytes{133, 9, 0, 0, 0})));
    t.h.sent.clear();
    t.Click(2, 2);  // the right button picks a thrown item too
    EXPECT_EQ(t.c().selectFk->ItemTargetMode, 1);
}

TEST(ItemPress, ClicksOfTheWindowSystemReachTheButtons) {
    ItemTable t;
    t.Deal(WithPair());
    QTest::mouseClick(&t.item(0), Qt::RightButton, {}, QPoint(5, 5));
    t.bar().SetDaoJuButtonState(true);
    t.groups().RefreshFenZuBut();
    QTest::mouseClick(&t.group(3), Qt::LeftButton, {}, QPoint(5, 5));  // a game runs: nothing
    t.game().blnGameStopped = true;
    QTest::mouseClick(&t.group(3), Qt::MiddleButton, {}, QPoint(5, 5));
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 9, 0, 0, 0}, {133, 255, 0, 0, 3}}));
}

TEST(ItemSelf, CompassAndBombAskOnlyWhenTheBoardHasAPair) {
    ItemTable t;
    t.Deal(NoPair());
    t.Click(0);
    t.Click(4);
    EXPECT_TRUE(t.h.sent.empty());
    ASSERT_EQ(t.windows.size(), 2u);
    EXPECT_EQ(t.windows[0].first, "现在你的方块阵列无解，无法使用“指南针”道具，请尽快使用“重列”道具！");
    EXPECT_EQ(t.windows[1].first, "现在你的方块阵列无解，请尽快使用“重列”道具！");
    EXPECT_EQ(t.windows[0].second, t.c().strGameCaption);
    t.Click(1);  // rearrange needs no pair
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 10, 0, 0}}));

    t.h.sent.clear();
    t.Deal(WithPair());
    t.Click(4);
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 4, 0, 0, 0, 2, 0, 0, 0, 1}}));
}

TEST(ItemSelf, BombOnATwoTurnPairSendsFourNodes) {
    ItemTable t;
    t.Deal(TwoTurnPair());
    t.Click(4);
    ASSERT_EQ(t.h.sent.size(), 1u);
    const Bytes& m = t.h.sent[0];
    ASSERT_EQ(m.size(), 14u);
    EXPECT_EQ(Bytes(m.begin(), m.begin() + 6), (Bytes{133, 4, 0, 0, 0, 4}));
    // The path runs between the two 9s through empty cells.
    EXPECT_EQ(t.seat(0).TileGrid[m[6]][m[7]], 9);
    EXPECT_EQ(t.seat(0).TileGrid[m[12]][m[13]], 9);
    for (int i = 1; i < 3; ++i) EXPECT_EQ(t.seat(0).TileGrid[m[6 + 2 * i]][m[7 + 2 * i]], 0) << i;
}

TEST(ItemSelf, OwnBoardItemsDoNothingOutsideAGameOrWhenOut) {
    ItemTable t;
    t.seat(0).TileGrid = WithPair();
    t.bar().SetDaoJuButtonState(true);
    for (int k : {0, 1, 4}) {
        t.item(k).Tag = "1";  // left enabled
        t.Click(k);
    }
    EXPECT_TRUE(t.h.sent.empty());
    EXPECT_TRUE(t.windows.empty());

    t.Deal(WithPair());
    t.seat(0).blnGameOut = true;
    for (int k : {0, 1, 4}) t.Click(k);
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(ItemTarget, ThrownItemWaitsOnThePointerAndTheOwnBoardEndsIt) {
    ItemTable t;
    t.Deal(WithPair());
    auto& sel = *t.c().selectFk;
    t.Click(2);  // freeze
    EXPECT_EQ(sel.ItemTargetMode, 1);
    EXPECT_EQ(sel.bteWaitDaoJu, 2);
    EXPECT_EQ(t.h.Main().cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(t.h.Main().cursor().pixmap().toImage().pixel(16, 16), kIconColor);
    EXPECT_TRUE(t.h.sent.empty());

    t.Press(0, 0);  // the own board, on a tile
    EXPECT_EQ(sel.ItemTargetMode, 0);
    EXPECT_EQ(t.h.Main().cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(sel.SelFk, CellPos{});
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(ItemTarget, ClickOnAPlayersSmallBoardThrowsTheWaitingItem) {
    ItemTable t;
    t.Deal(WithPair());
    t.Click(2);
    t.PressSeatBoard(1);
    t.Click(3);
    t.Click(5);  // the blindfold replaces the waiting alarm clock
    t.PressSeatBoard(2);
    t.Click(6);
    t.PressSeatBoard(3);
    t.Click(7);
    t.Click(1);  // an item on oneself while the obstacle waits: it stays waiting
    EXPECT_EQ(t.c().selectFk->ItemTargetMode, 1);
    t.PressSeatBoard(1);
    EXPECT_EQ(t.h.sent,
              (std::vector<Bytes>{
                  {133, 2, 0, 0, 1, 0}, {133, 5, 0, 0, 2, 0}, {133, 6, 0, 0, 3}, {133, 10, 0, 0}, {133, 7, 0, 0, 1}}));
}

TEST(ItemTarget, NothingIsThrownAtAnOutSeatOrByAWatcherAndOnlyThrownItemsGo) {
    ItemTable t;
    t.Deal(WithPair());
    t.seat(2).blnGameOut = true;
    t.Click(6);
    t.PressSeatBoard(2);
    EXPECT_EQ(t.c().selectFk->ItemTargetMode, 0);
    auto& bar = t.bar();
    bar.SendItemToUser(3, 2);  // out
    bar.SendItemToUser(3, 6);  // no such seat
    for (std::uint8_t k : {0, 1, 4, 8, 9}) bar.SendItemToUser(k, 1);
    EXPECT_TRUE(t.h.sent.empty());

    ItemTable w("李四");
    w.Deal(WithPair());
    w.c().paintDaoJuButton->SendItemToUser(2, 0);
    EXPECT_TRUE(w.h.sent.empty());
}

TEST(ItemTarget, MissingIconLeavesTheDefaultPointer) {
    ItemTable t;
    std::filesystem::remove(std::filesystem::path(t.h.AppFolder()) / "Res/DaoJu/DjFlag5.ico");
    t.Deal(WithPair());
    t.Click(2);
    ASSERT_EQ(t.h.Main().cursor().shape(), Qt::BitmapCursor);
    t.Click(5);  // the next waiting item has no icon: the pointer does not show the old one
    EXPECT_EQ(t.c().selectFk->bteWaitDaoJu, 5);
    EXPECT_EQ(t.h.Main().cursor().shape(), Qt::ArrowCursor);
}

TEST(ItemMap, OnlyButtonBetweenGamesAndItsChoiceIsSent) {
    ItemTable t;
    paintfix::PathOf(t.h.AppFolder(), "Res\\Map\\x");
    std::FILE* f = std::fopen((t.h.AppFolder() + "Res/Map/MapTitle.txt").c_str(), "wb");
    std::fputs("random\r\nbox\r\ndiamond\r\n", f);
    std::fclose(f);
    t.bar().SetDaoJuButtonState(true);
    ASSERT_EQ(t.item(8).Tag, "1");
    EXPECT_TRUE(WithMapDialog(
        [](frmSelectMap& d) {
            d.cboMapIdx->setCurrentIndex(2);
            d.cmdUser_Click(0);
        },
        [&] { t.Click(8); }));
    EXPECT_TRUE(WithMapDialog([](frmSelectMap& d) { d.cmdUser_Click(1); }, [&] { t.Click(8); }));
    // The dialog opens again on the map chosen last, with its title shown.
    int shown = -1;
    EXPECT_TRUE(WithMapDialog(
        [&](frmSelectMap& d) {
            shown = d.cboMapIdx->currentIndex();
            d.cmdUser_Click(0);
        },
        [&] { t.Click(8); }));
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 8, 0, 0, 2}, {133, 8, 0, 0, 2}}));

    // A game runs: the map button does nothing even if left enabled.
    t.Deal(WithPair());
    t.item(8).Tag = "1";
    EXPECT_FALSE(WithMapDialog([](frmSelectMap& d) { d.cmdUser_Click(0); }, [&] { t.Click(8); }));
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(ItemMap, NoTitleFileGivesMinusOneAndNothingIsSent) {
    ItemTable t;
    t.bar().SetDaoJuButtonState(true);
    int entries = -1;
    EXPECT_TRUE(WithMapDialog(
        [&](frmSelectMap& d) {
            entries = d.cboMapIdx->count();
            d.cmdUser_Click(0);
            EXPECT_EQ(d.intSelMapIdx, -1);
        },
        [&] { t.Click(8); }));
    EXPECT_EQ(entries, 0);
    EXPECT_TRUE(t.h.sent.empty());
}

TEST(GroupBut, LocalGroupSelectedAndPaintedFromTheSheet) {
    ItemTable t;
    t.seat(0).bteFenZu = 2;
    t.h.Main().RedrawAllSeats();
    const QPoint at[4] = {{620, 64}, {667, 64}, {708, 64}, {749, 64}};
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(t.group(g).geometry(), QRect(at[g], QSize(39, 36))) << g;
        EXPECT_FALSE(t.group(g).isHidden()) << g;
        EXPECT_EQ(t.group(g).Tag, g == 2 ? "2" : "0") << g;
        EXPECT_EQ(t.group(g).Image.pixel(20, 20), GroupCellColor(g, g == 2 ? 2 : 0)) << g;
    }
    // A game hides them; so does watching.
    t.Deal(TileGridT{});
    for (int g = 0; g < 4; ++g) EXPECT_TRUE(t.group(g).isHidden()) << g;
}

TEST(GroupBut, HoverLightsOtherGroupsOnly) {
    ItemTable t;
    t.seat(0).bteFenZu = 1;
    t.groups().RefreshFenZuBut();
    auto& gb = t.groups();
    gb.picFenZuBut_MouseMove(1, 0, 5, 5);
    EXPECT_EQ(t.group(1).Tag, "2");
    EXPECT_FALSE(t.group(1).HasCapture());
    gb.picFenZuBut_MouseMove(3, 0, 5, 5);
    EXPECT_EQ(t.group(3).Tag, "1");
    EXPECT_EQ(t.group(3).Image.pixel(20, 20), GroupCellColor(3, 1));
    EXPECT_TRUE(t.group(3).HasCapture());
    gb.picFenZuBut_MouseMove(3, 0, 40, 5);
    EXPECT_EQ(t.group(3).Tag, "0");
    EXPECT_FALSE(t.group(3).HasCapture());
}

TEST(GroupBut, ReleaseAsksForTheGroupOnlyBetweenGamesAndNotForTheOwn) {
    ItemTable t;
    t.groups().RefreshFenZuBut();
    t.ClickGroup(0);  // the own group
    t.ClickGroup(2, 2);
    t.ClickGroup(3, 4);
    EXPECT_EQ(t.h.sent, (std::vector<Bytes>{{133, 255, 0, 0, 2}, {133, 255, 0, 0, 3}}));
    // The old group stays selected until the confirmation.
    EXPECT_EQ(t.group(0).Tag, "2");
    t.Receive(GameMessages::GroupDone(1, 3));  // another seat's change
    EXPECT_EQ(t.group(0).Tag, "2");
    t.Receive(GameMessages::GroupDone(0, 2));
    EXPECT_EQ(t.group(2).Tag, "2");
    EXPECT_EQ(t.group(0).Tag, "0");

    t.h.sent.clear();
    t.Deal(TileGridT{});
    t.ClickGroup(1);  // a stale button during a game
    EXPECT_TRUE(t.h.sent.empty());

    ItemTable w("李四");
    w.groups().RefreshFenZuBut();
    w.ClickGroup(1);
    EXPECT_TRUE(w.h.sent.empty());
}
