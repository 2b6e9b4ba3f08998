// Repainting only what changed: the drawing calls note the rectangles they change, the
// main window repaints their union and nothing else, and what the window system shows
// after every step of a game's drawing is what a repaint of the whole window would show.
#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QScreen>
#include <functional>
#include <vector>

#include "AnimTable.h"
#include "GameTable.h"
#include "client/game/modGameClock.h"
#include "client/platform/FrmZelListGm.h"
#include "client/platform/ZelChatCtrl.h"

using animtable::AnimTable;
using animtable::Path;

namespace {

// Collects the regions of the paint events a widget receives.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget* w) { w->installEventFilter(this); }
    std::vector<QRegion> regions;
    QRegion All() const {
        QRegion all;
        for (const QRegion& r : regions) all += r;
        return all;
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

// Runs the pending repaints; then what the window system holds of the main window, and
// the window as a repaint of everything shows it now.
QImage OnScreen(frmMain& f) {
    QCoreApplication::processEvents();
    // The window system asks for the pending repaint a moment later; it runs now.
    QEvent sync(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&f, &sync);
    return f.screen()->grabWindow(f.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage RepaintedWhole(frmMain& f) { return f.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Pixels where the two pictures differ, as text for a failure ("none" when they agree).
std::string Differences(const QImage& shown, const QImage& whole) {
    if (shown.size() != whole.size()) return "sizes differ";
    QRect where;
    int n = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != whole.pixel(x, y)) {
                ++n;
                where |= QRect(x, y, 1, 1);
            }
    if (n == 0) return "none";
    return std::to_string(n) + " pixels within " + std::to_string(where.x()) + "," + std::to_string(where.y()) + " " +
           std::to_string(where.width()) + "x" + std::to_string(where.height());
}

// Where the window system shows something other than a whole repaint would, once the
// pending repaints have run.
std::string StaleNow(frmMain& f) {
    const QImage shown = OnScreen(f);
    return Differences(shown, RepaintedWhole(f));
}

// A 64 x 48 picture with a different colour at every pixel, watched.
struct Watched {
    QImage img{64, 48, QImage::Format_RGB32};
    QRegion noted;
    Watched() {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x * 4, y * 5, 77));
        Gdi::WatchChanges(img, [this](const QRect& r) { noted += r; });
    }
    ~Watched() { Gdi::StopWatching(img); }
    // Runs the drawing and returns the pixels it changed that were not noted.
    int Unnoted(const std::function<void(QImage&)>& draw) {
        const QImage before = img.copy();
        noted = QRegion();
        draw(img);
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != before.pixel(x, y) && !noted.contains(QPoint(x, y))) ++n;
        return n;
    }
};

}  // namespace

TEST(ChangeNotes, EveryDrawingCallNotesEveryPixelItChanges) {
    Watched w;
    QImage src(40, 30, QImage::Format_RGB32);
    src.fill(qRgb(250, 10, 10));
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(0xFF10E010u);
    const std::vector<std::pair<const char*, std::function<void(QImage&)>>> calls = {
        {"copy over the left edge", [&](QImage& d) { Gdi::BitBlt(d, -5, 3, 20, 10, src, 0, 0, Gdi::SRCCOPY); }},
        {"inverted copy from inside the source",
         [&](QImage& d) { Gdi::BitBlt(d, 50, 40, 30, 30, src, 10, 5, Gdi::NOTSRCCOPY); }},
        {"and, or",
         [&](QImage& d) {
             Gdi::BitBlt(d, 3, 3, 9, 9, src, 0, 0, Gdi::SRCAND);
             Gdi::BitBlt(d, 20, 20, 9, 9, src, 0, 0, Gdi::SRCPAINT);
         }},
        {"a copy of the picture onto itself",
         [&](QImage& d) { Gdi::BitBlt(d, 10, 10, 20, 20, d, 0, 0, Gdi::SRCCOPY); }},
        {"mirrored stretch", [&](QImage& d) { Gdi::StretchBlt(d, 40, 5, -25, 17, src, 0, 0, 10, 10, Gdi::SRCCOPY); }},
        {"an icon", [&](QImage& d) { Gdi::PaintPicture(d, icon, 30, 30); }},
        {"blend", [&](QImage& d) { Gdi::AlphaBlend(d, 2, 25, 30, 20, src, 0, 0, 15, 10, 100); }},
        {"wide line", [&](QImage& d) { Gdi::Line(d, 60, 2, 4, 44, Gdi::RGB(1, 2, 3), 5); }},
        {"wide box", [&](QImage& d) { Gdi::Box(d, 5, 6, 50, 40, Gdi::RGB(9, 9, 9), 4); }},
        {"filled box with its corners swapped", [&](QImage& d) { Gdi::FillBox(d, 40, 30, 20, 10, Gdi::RGB(0, 0, 0)); }},
        {"circle over the edge", [&](QImage& d) { Gdi::Circle(d, 60, 10, 12, Gdi::RGB(255, 255, 255), 3); }},
        {"text", [&](QImage& d) { Gdi::PrintText(d, 1, 2, "牌 Wg", Gdi::RGB(255, 255, 0), 12, true); }},
        {"clipped text",
         [&](QImage& d) {
             Gdi::PrintText(d, 1, 20, "clipped", Gdi::RGB(255, 255, 255), 14, false, {5, 22, 20, 8});
         }},
        {"pixels and rows",
         [&](QImage& d) {
             Gdi::SetPixel(d, 63, 47, Gdi::RGB(0, 0, 0));
             Gdi::Row(d, 7)[12] = qRgb(1, 1, 1);
         }},
    };
    for (const auto& [what, draw] : calls) EXPECT_EQ(w.Unnoted(draw), 0) << what;
    // A note stays inside the picture and about the size of what was drawn.
    w.Unnoted([](QImage& d) { Gdi::FillBox(d, 60, 40, 70, 50, Gdi::RGB(0, 0, 0)); });
    EXPECT_EQ(w.noted, QRegion(60, 40, 4, 8));
    w.Unnoted([&](QImage& d) { Gdi::BitBlt(d, 0, 0, 10, 10, src, 35, 0, Gdi::SRCCOPY); });
    EXPECT_EQ(w.noted, QRegion(0, 0, 5, 10));  // only the columns the source has
}

TEST(ChangeNotes, OnlyWatchedPicturesAreNotedUntilTheWatchEnds) {
    QImage a(10, 10, QImage::Format_RGB32), b(10, 10, QImage::Format_RGB32);
    int notesA = 0, notesB = 0;
    Gdi::WatchChanges(a, [&](const QRect&) { ++notesA; });
    Gdi::FillBox(b, 0, 0, 3, 3, 0);
    Gdi::FillBox(a, 0, 0, 3, 3, 0);
    Gdi::FillBox(a, 20, 20, 30, 30, 0);  // wholly outside: nothing changed, nothing noted
    EXPECT_EQ(notesA, 1);
    Gdi::WatchChanges(a, [&](const QRect&) { ++notesB; });  // a second watch replaces the first
    Gdi::SetPixel(a, 1, 1, 0);
    EXPECT_EQ(notesA, 1);
    EXPECT_EQ(notesB, 1);
    Gdi::StopWatching(a);
    Gdi::SetPixel(a, 1, 1, 0);
    Gdi::Changed(a, QRect(0, 0, 2, 2));
    EXPECT_EQ(notesB, 1);
}

TEST(PartialRepaint, ATileChangeRepaintsItsCellAndLeavesThePanelsAlone) {
    gametable::Table t;
    frmMain& f = t.h.Main();
    OnScreen(f);
    PaintLog window(&f), chat(f.ZelChat), users(f.lstUser);
    t.game().bteSeatPosNo[2] = 2;
    t.c().paintFangKuai->EraseTile(2, 3, 4);  // a small board: 5 x 7 cells from (142, 61)
    EXPECT_TRUE(f.ChangedArea().isEmpty());   // the erase refreshed what it drew
    OnScreen(f);
    ASSERT_EQ(window.regions.size(), 1u);
    EXPECT_EQ(window.All(), QRegion(142 + 4 * 5, 61 + 3 * 7, 5, 7));
    EXPECT_TRUE(chat.regions.empty());
    EXPECT_TRUE(users.regions.empty());
    // Several steps before the next turn of the event loop are repainted together, once.
    window.regions.clear();
    t.c().paintFangKuai->EraseTile(2, 0, 0);
    t.c().paintFangKuai->EraseTile(2, 9, 17);
    OnScreen(f);
    ASSERT_EQ(window.regions.size(), 1u);
    EXPECT_EQ(window.All(), QRegion(142, 61, 5, 7) + QRegion(142 + 17 * 5, 61 + 9 * 7, 5, 7));
    // Nothing drawn, nothing repainted.
    window.regions.clear();
    f.Refresh();
    OnScreen(f);
    EXPECT_TRUE(window.regions.empty());
}

TEST(PartialRepaint, TheWholeWindowSwitchRepaintsEverythingAtEveryRefresh) {
    gametable::Table t;
    frmMain& f = t.h.Main();
    OnScreen(f);
    f.FullRepaint = true;
    PaintLog window(&f), chat(f.ZelChat);
    Gdi::SetPixel(f.Image, 10, 10, Gdi::RGB(1, 2, 3));
    f.Refresh();
    OnScreen(f);
    // The whole window, less what its opaque controls cover (they repaint themselves).
    EXPECT_EQ(window.All().boundingRect(), f.rect());
    EXPECT_FALSE(chat.regions.empty());
}

TEST(PartialRepaint, EveryAnimationFrameOnScreenIsWhatAWholeRepaintShows) {
    AnimTable t;
    frmMain& f = t.f();
    auto& sel = *t.c().selectFk;
    t.c().daoJuEffect->PaintJinShou();
    sel.StartDelFkAni(Path({{0, 2}, {-1, 2}, {-1, 5}, {0, 5}}));
    t.c().lianJiObjects->StartLianJiAni(0, "4/6");
    t.c().lianJiObjects->StartLianJiAni(3, "2/2");
    t.c().daoJuObjects->StartDaoJuAni(2, 0, 1);  // an item flight across the own board
    t.c().daoJuObjects->StartDaoJuAni(5, 3, 0);
    t.c().shanDianObjects->StartShanDianAni(Path({{2, 1}, {2, 9}}));
    for (WindowTimer* timer : f.tmrAni) timer->SetInterval(3600 * 1000);  // the test runs the ticks itself
    int frames = 0;
    while (t.EnabledTimers() > 0 && frames < 200) {
        t.TickAll();
        ++frames;
        ASSERT_EQ(StaleNow(f), "none") << "after frame " << frames;
    }
    EXPECT_GT(frames, 20);
    EXPECT_EQ(t.DiffersFromBack(0, 0, 612, 200), 0);  // every animation ended and was erased
}

TEST(PartialRepaint, SelectionTheClockBarAndTheBoardsLeaveNothingStale) {
    gametable::Table t;
    frmMain& f = t.h.Main();
    using gametable::Board;
    paintfix::WriteTileSheets(t.h.AppFolder());
    paintfix::WriteGameBack(t.h.AppFolder());
    paintfix::WriteSeatArt(t.h.AppFolder());
    t.Deal(Board({{{0, 0}, 5}, {{0, 3}, 5}, {{2, 2}, 7}, {{4, 4}, 8}, {{6, 6}, 7}}));
    auto check = [&](const char* step) { EXPECT_EQ(StaleNow(f), "none") << step; };
    check("the deal");
    t.Press(2, 2);
    check("a tile selected");
    t.Press(4, 4);
    check("the selection moved");
    t.Press(4, 4);
    check("the selection cleared");
    t.bar().ElapseTime(7000);
    check("the clock bar after 7 s");
    t.Receive(gametable::RemoveMsg(0, {{0, 0}, {0, 3}}, 2, 2));
    check("an own removal");
    t.Receive(gametable::RemoveMsg(1, {{2, 2}, {6, 6}}, 3, 3));
    check("another seat's removal");
    t.bar().StopTime();
    check("the clock bar stopped");
    t.c().aniTimer->ReleaseAniTimer();
}
