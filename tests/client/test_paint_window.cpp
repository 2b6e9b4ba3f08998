// The main window: caption buttons (layout, hover, pictures, actions), the full-screen
// toggle over the display mode, minimising, the forced-quit question, the unload, and
// the whole-window redraw.
#include <gtest/gtest.h>
#include <QGraphicsProxyWidget>
#include <QTimer>

#include "ClientHarness.h"
#include "PaintFixtures.h"
#include "client/paint/modPaint_CaptionButton.h"
#include "client/platform/DisplayMode.h"
#include "client/platform/PictureBox.h"
#include "client/room/modGlobalMsgObject.h"
#include "client/start/frmUserSet.h"
#include "core/RoomMessages.h"

using paintfix::HelpCellColor;
using paintfix::SystemCellColor;

namespace {

struct WindowTable {
    harness::Harness h;
    explicit WindowTable(DisplayMode::Mode desktop = {800, 600, 24}) {
        paintfix::WriteCaptionArt(h.AppFolder());
        paintfix::WriteGameBack(h.AppFolder());
        EXPECT_TRUE(h.Start());
        f().displayMode->SetDesktop(desktop);
        f().SaveDisplayMode();
        f().CenterWindow();
    }
    frmMain& f() { return h.Main(); }
    PictureBox& help(int i) { return *f().picHelpBut[i]; }
    PictureBox& sys(int i) { return *f().picSystemBut[i]; }
    bool Embedded() { return f().graphicsProxyWidget() != nullptr; }
};

}  // namespace

TEST(CaptionButtons, SitAtTheirFixedPlacesThroughResizes) {
    WindowTable t;
    const QRect expected[5] = {
        {580, 4, 59, 23}, {646, 4, 59, 23}, {723, 5, 21, 21}, {747, 5, 21, 21}, {771, 5, 21, 21}};
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(t.help(0).geometry(), expected[0]);
        EXPECT_EQ(t.help(1).geometry(), expected[1]);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(t.sys(i).geometry(), expected[2 + i]);
        t.f().Form_Resize();
    }
    for (int i = 0; i < 2; ++i) EXPECT_EQ(t.help(i).Tag, "0");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(t.sys(i).isVisible());
}

TEST(CaptionButtons, HoverHighlightsAndLeavingRestores) {
    WindowTable t;
    // Normal cells at start: help i from x = 2i * 59, system from their pictures.
    EXPECT_EQ(t.help(1).Image.pixel(5, 5), HelpCellColor(2));
    EXPECT_EQ(t.sys(0).Image.pixel(5, 5), SystemCellColor(0));
    EXPECT_EQ(t.sys(2).Image.pixel(5, 5), SystemCellColor(6));
    t.f().picHelpBut_MouseMove(1, 0, 59, 23);  // the far edge still counts as inside
    EXPECT_EQ(t.help(1).Tag, "1");
    EXPECT_EQ(t.help(1).Image.pixel(5, 5), HelpCellColor(3));
    EXPECT_TRUE(t.help(1).HasCapture());
    t.f().picHelpBut_MouseMove(1, 0, 60, 5);
    EXPECT_EQ(t.help(1).Tag, "0");
    EXPECT_EQ(t.help(1).Image.pixel(5, 5), HelpCellColor(2));
    EXPECT_FALSE(t.help(1).HasCapture());
    t.f().picSystemBut_MouseMove(2, 0, 3, 3);
    EXPECT_EQ(t.sys(2).Image.pixel(5, 5), SystemCellColor(7));
    t.f().picSystemBut_MouseMove(2, 0, -1, 3);
    EXPECT_EQ(t.sys(2).Image.pixel(5, 5), SystemCellColor(6));
    // Any tag other than "0" shows the highlighted cell.
    t.help(0).Tag = "2";
    t.h.client->paintCaptionButton->PaintHelpButton(0);
    EXPECT_EQ(t.help(0).Image.pixel(5, 5), HelpCellColor(1));
    // Other indexes are ignored.
    t.h.client->paintCaptionButton->PaintHelpButton(2);
    t.h.client->paintCaptionButton->PaintSystemButton(3);
    t.f().picSystemBut_MouseMove(5, 0, 1, 1);
}

TEST(CaptionButtons, TheSettingsButtonOpensOneSettingsWindowNotModal) {
    WindowTable t;
    t.f().picHelpBut_MouseMove(1, 0, 5, 5);
    t.f().picHelpBut_MouseUp(1, 1, 5, 5);
    EXPECT_EQ(t.help(1).Tag, "0");
    EXPECT_FALSE(t.help(1).HasCapture());
    QWidget* settings = t.f().UserSetWindow();
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->isVisible());
    EXPECT_FALSE(settings->isModal());
    EXPECT_NE(dynamic_cast<frmUserSet*>(settings), nullptr);
    t.f().picHelpBut_MouseUp(1, 1, 5, 5);
    EXPECT_EQ(t.f().UserSetWindow(), settings);
    // The item help button leaves the settings alone.
    t.f().picHelpBut_MouseUp(0, 1, 5, 5);
    EXPECT_EQ(t.f().UserSetWindow(), settings);
}

// The caption strip over the background: the logo at (10, 7) and the caption from
// (30, 9), after the start-up's background and after every table reset.
TEST(CaptionStrip, LogoAndCaptionStayOverTheBackground) {
    harness::Harness h;
    constexpr QRgb kLogo = 0xFF10E020u;
    paintfix::WriteCaptionArt(h.AppFolder());
    paintfix::WriteGameBack(h.AppFolder());
    paintfix::WriteIcon(h.AppFolder(), "Res\\Logo.ico", 16, kLogo, 0);
    ASSERT_TRUE(h.Start());
    auto captionInk = [&] {
        int n = 0;
        for (int y = 9; y < 24; ++y)
            for (int x = 30; x < 90; ++x) {
                const QRgb p = h.Main().Image.pixel(x, y);
                n += qBlue(p) >= 200 && qGreen(p) >= 180 && qRed(p) >= 150;
            }
        return n;
    };
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(h.Main().Image.pixel(10 + 8, 7 + 8), kLogo) << round;
        EXPECT_GT(captionInk(), 20) << round;  // "tilelink" in light blue
        EXPECT_EQ(h.Main().Image.pixel(5, 30), paintfix::BackColor(5, 30)) << round;
        h.Receive(RoomMessages::TableReset());  // the table reset paints the background again
    }
}

TEST(CaptionButtons, ReleasedOffTheButtonDoesNothing) {
    WindowTable t;
    t.f().picHelpBut_MouseMove(1, 0, 5, 5);
    t.f().picHelpBut_MouseUp(1, 1, 200, 300);  // the press carried off the button
    EXPECT_EQ(t.f().UserSetWindow(), nullptr);
    EXPECT_EQ(t.help(1).Tag, "0");
    EXPECT_FALSE(t.help(1).HasCapture());
    EXPECT_EQ(t.help(1).Image.pixel(5, 5), HelpCellColor(2));
    t.f().picSystemBut_MouseMove(2, 0, 5, 5);
    t.f().picSystemBut_MouseUp(2, 1, -5, 5);
    EXPECT_FALSE(t.f().Unloaded());
    EXPECT_EQ(t.sys(2).Tag, "0");
    // Released on it, the button acts.
    t.f().picHelpBut_MouseMove(1, 0, 5, 5);
    t.f().picHelpBut_MouseUp(1, 1, 59, 23);
    EXPECT_NE(t.f().UserSetWindow(), nullptr);
}

TEST(FullScreen, OnAnEightHundredDesktopOnlyTheModeAndPictureChange) {
    WindowTable t({800, 600, 24});
    const QPoint before = t.f().pos();
    t.f().picSystemBut_Click(1);
    EXPECT_EQ(t.f().bteWindowMode, 2);
    EXPECT_FALSE(t.f().blnDisplayChanged);
    EXPECT_FALSE(t.f().displayMode->Switched());
    EXPECT_EQ(t.f().pos(), before);
    // Full-screen mode: the back-to-window picture (cells at x 84 and 105).
    EXPECT_EQ(t.sys(1).Image.pixel(5, 5), SystemCellColor(4));
    t.f().picSystemBut_MouseMove(1, 0, 5, 5);
    EXPECT_EQ(t.sys(1).Image.pixel(5, 5), SystemCellColor(5));
    t.f().picSystemBut_MouseUp(1, 1, 5, 5);  // the release toggles back
    EXPECT_EQ(t.f().bteWindowMode, 0);
    EXPECT_EQ(t.sys(1).Tag, "0");
    EXPECT_EQ(t.sys(1).Image.pixel(5, 5), SystemCellColor(2));  // cells at x 42 and 63
    t.f().picSystemBut_MouseMove(1, 0, 5, 5);
    EXPECT_EQ(t.sys(1).Image.pixel(5, 5), SystemCellColor(3));
}

TEST(FullScreen, OnALargerDesktopTheSceneFillsTheScreenAndComesBackCentred) {
    WindowTable t({1024, 768, 24});
    EXPECT_EQ(t.f().lngOldScreenWidth, 1024);
    t.f().picSystemBut_Click(1);
    EXPECT_TRUE(t.f().blnDisplayChanged);
    EXPECT_EQ(t.f().bteWindowMode, 2);
    ASSERT_TRUE(t.f().displayMode->Switched());
    EXPECT_TRUE(t.Embedded());
    EXPECT_TRUE(t.f().displayMode->Host()->isVisible());
    EXPECT_EQ(t.f().displayMode->Current().width, 800);
    EXPECT_EQ(t.f().pos(), QPoint(0, 0));
    EXPECT_EQ(t.sys(1).Image.pixel(5, 5), SystemCellColor(4));
    // A resize in full-screen mode keeps it and does not switch again.
    t.f().Form_Resize();
    EXPECT_TRUE(t.f().displayMode->Switched());

    t.f().picSystemBut_Click(1);
    EXPECT_FALSE(t.f().blnDisplayChanged);
    EXPECT_EQ(t.f().bteWindowMode, 0);
    EXPECT_FALSE(t.f().displayMode->Switched());
    EXPECT_FALSE(t.Embedded());
    EXPECT_TRUE(t.f().isWindow());
    EXPECT_TRUE(t.f().isVisible());
    EXPECT_EQ(t.f().pos(), QPoint((1024 - 800) / 2, (768 - 600) / 2));
    EXPECT_EQ(t.sys(1).Image.pixel(5, 5), SystemCellColor(2));
}

TEST(FullScreen, MinimisingGivesTheDesktopBackAndRestoringSwitchesAgain) {
    WindowTable t({1024, 768, 24});
    t.f().picSystemBut_Click(1);
    ASSERT_TRUE(t.f().displayMode->Switched());
    t.f().picSystemBut_MouseMove(0, 0, 4, 4);
    t.f().picSystemBut_MouseUp(0, 1, 4, 4);
    EXPECT_FALSE(t.f().displayMode->Switched());
    EXPECT_FALSE(t.f().blnDisplayChanged);
    EXPECT_EQ(t.sys(0).Tag, "0");
    EXPECT_TRUE(t.f().isMinimized());
    EXPECT_EQ(t.f().bteWindowMode, 2);
    t.f().showNormal();  // the window is restored: the resize handler re-enters full screen
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.f().displayMode->Switched());
    EXPECT_TRUE(t.f().blnDisplayChanged);
    EXPECT_EQ(t.f().pos(), QPoint(0, 0));
}

TEST(Unload, RestoresTheDisplayClosesTheOtherWindowsAndEndsOnce) {
    WindowTable t({1024, 768, 24});
    t.f().ShowUserSet();
    QWidget* settings = t.f().UserSetWindow();
    ASSERT_NE(settings, nullptr);
    t.f().picSystemBut_Click(1);
    ASSERT_TRUE(t.f().displayMode->Switched());
    t.f().picSystemBut_Click(2);  // close, no game running: no question
    EXPECT_TRUE(t.h.client->blnQuitFlag);
    EXPECT_FALSE(t.f().displayMode->Switched());
    EXPECT_FALSE(t.f().blnDisplayChanged);
    EXPECT_FALSE(t.f().isVisible());
    EXPECT_EQ(t.h.ended, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(t.f().UserSetWindow() == nullptr || !t.f().UserSetWindow()->isVisible());
    t.f().Unload();
    EXPECT_EQ(t.h.ended, 1);
}

TEST(Unload, ClosingDuringAGameAsksOnlyAPlayerWithThePromptOn) {
    struct Case {
        bool watcher, gameRunning;
        std::uint8_t prompt;
        bool asked;
    } cases[] = {{false, true, 1, true}, {true, true, 1, false}, {false, false, 1, false}, {false, true, 0, false}};
    for (const Case& c : cases) {
        WindowTable t;
        auto& client = *t.h.client;
        client.game.blnIsWatcher = c.watcher;
        client.game.blnGameStopped = !c.gameRunning;
        client.bteQuitPrompt = c.prompt;
        // Nobody answers: the question's own countdown (or its closing) says no.
        QTimer answer;
        answer.setSingleShot(true);
        QObject::connect(&answer, &QTimer::timeout, [&client] { client.msgObjects->CloseMsgWindows(0); });
        answer.start(50);
        t.f().picSystemBut_Click(2);
        EXPECT_EQ(t.h.ended, c.asked ? 0 : 1) << c.watcher << c.gameRunning << int(c.prompt);
        EXPECT_EQ(t.f().Unloaded(), !c.asked);
    }
}

TEST(RedrawAllSeats, DrawsEverySeatsBoardAndGreysThoseWhoAreOut) {
    harness::Harness h;
    paintfix::WriteTileSheets(h.AppFolder());
    paintfix::WriteGameBack(h.AppFolder());
    paintfix::WriteSeatArt(h.AppFolder());
    ASSERT_TRUE(h.Start());
    paintfix::SeatSixPlayers(*h.client);
    h.client->game.SeatUser[4].blnGameOut = true;
    h.Main().RedrawAllSeats();
    const QImage& img = h.Main().Image;
    EXPECT_EQ(img.pixel(26 + 31 + 2, 200 + 2), paintfix::TileColor(1));  // own board, cell (0, 1)
    for (int p = 1; p <= 5; ++p) {
        const QRgb expected = p == 4 ? paintfix::GreyTileColor(1) : paintfix::TileColor(1);
        EXPECT_EQ(img.pixel(23 + 119 * (p - 1) + 5 + 2, 61 + 2), expected) << p;
    }
    EXPECT_EQ(img.pixel(614 + 176, 108 + 55), paintfix::GroupRowColor(0, true));
    EXPECT_EQ(h.Main().picGameBack->Image.pixel(23 + 5 + 2, 61 + 2), paintfix::TileColor(1));
}
