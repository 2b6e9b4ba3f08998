// A started table client for the animation tests: six seated players (the local one at
// seat 0, every seat shown at the position of its number), small pictures in the
// program folder that tell on screen where each pixel came from, and the window made
// equal to the clean background so that anything an animation leaves behind shows.
#pragma once
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "ClientHarness.h"
#include "PaintFixtures.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/board/modSelectFk.h"
#include "client/items/modDaoJuEffect.h"
#include "client/items/modManage_DaoJuObject.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/paint/modManage_BlastObject.h"
#include "client/paint/modManage_LianJiObject.h"
#include "client/paint/modManage_ShanDianObject.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/WindowTimer.h"
#include "client/room/modPublicDefine.h"

namespace animtable {

// The clean background: red and green follow the position, blue is 0 everywhere, so a
// pixel with blue in it was drawn by an animation.
inline QRgb BackAt(int x, int y) { return qRgb(x % 256, y % 256, 0); }

// Lightning strips: red tells the piece, green the offset along the piece, blue the
// offset across it (from 100 for the horizontal strip, from 150 for the vertical one).
inline QRgb HzStripAt(int x, int y) { return qRgb((x / 31) * 10 + 5, (x % 31) * 8, 100 + y); }
inline QRgb VsStripAt(int x, int y) { return qRgb((y / 35) * 10 + 5, (y % 35) * 7, 150 + x); }
struct StripPixel {
    bool vertical;
    int piece, along, across;
};
inline StripPixel DecodeStrip(QRgb p) {
    const int b = qBlue(p);
    const bool vertical = b >= 150;
    return {vertical, (qRed(p) - 5) / 10, qGreen(p) / (vertical ? 7 : 8), b - (vertical ? 150 : 100)};
}

// Blast frame n: magenta left of x = 2 + 10 (n - 1), its own colour from there on.
inline QRgb BlastColor(int n) { return qRgb(250, 40 * n, 240); }
inline int BlastBodyLeft(int n) { return 2 + 10 * (n - 1); }

// The banner background: an orange badge left of x = 40, black (see-through) elsewhere;
// digit glyphs g in their own colour with a black top-left pixel.
inline constexpr QRgb kBannerColor = 0xFFF07828u;
inline QRgb GlyphColor(int g) { return qRgb(20 + 20 * g, 200, 60); }

// Item icons: a square of the item's colour inside a transparent border of 4 pixels.
inline QRgb IconColor(int item) { return qRgb(30 + 20 * item, 60, 200); }
inline constexpr int kIconBorder = 4;

inline void WriteAnimArt(const std::string& app, bool withBanner = true,
                         std::vector<int> icons = {0, 1, 2, 3, 4, 5, 6, 7, 8},
                         std::vector<int> blastFrames = {1, 2, 3}) {
    paintfix::WriteBmp(app, "Res\\GameBack.bmp", 800, 600, BackAt);
    paintfix::WriteTileSheets(app);
    paintfix::WriteBmp(app, "Res\\hz_flash.bmp", 434, 24, HzStripAt);
    paintfix::WriteBmp(app, "Res\\vs_flash.bmp", 23, 420, VsStripAt);
    for (int n : blastFrames)
        paintfix::WriteBmp(app, "Res\\Blast\\Blast00" + std::to_string(n) + ".bmp", 88, 80,
                           [n](int x, int) { return x < BlastBodyLeft(n) ? qRgb(255, 0, 255) : BlastColor(n); });
    if (withBanner)
        paintfix::WriteBmp(app, "Res\\LianJiBk.bmp", 110, 24,
                           [](int x, int) { return x < 40 ? kBannerColor : qRgb(0, 0, 0); });
    paintfix::WriteBmp(app, "Res\\Number.bmp", 110, 15,
                       [](int x, int y) { return x % 10 == 0 && y == 0 ? qRgb(0, 0, 0) : GlyphColor(x / 10); });
    for (int k : icons)
        paintfix::WriteIcon(app, "Res\\DaoJu\\DjFlag" + std::to_string(k) + ".ico", 32, IconColor(k), kIconBorder);
}

inline LinkPath Path(std::initializer_list<CellPos> nodes) {
    LinkPath p;
    for (const CellPos& n : nodes) {
        p.lngNodePos[2 * p.lngNodeCount] = n.row;
        p.lngNodePos[2 * p.lngNodeCount + 1] = n.col;
        ++p.lngNodeCount;
    }
    return p;
}

class AnimTable {
public:
    struct Art {
        bool banner = true;
        std::vector<int> icons = {0, 1, 2, 3, 4, 5, 6, 7, 8};
        std::vector<int> blastFrames = {1, 2, 3};
    };
    AnimTable() : AnimTable(Art{}) {}
    explicit AnimTable(const Art& art) {
        WriteAnimArt(h.AppFolder(), art.banner, art.icons, art.blastFrames);
        EXPECT_TRUE(h.Start());
        paintfix::SeatSixPlayers(c());
        c().game.strSeatUserName = c().strCurUserName;
        c().game.SeatUser[0].strUserName = c().strCurUserName;
        c().publicDefine->SetCurSeatInfo();
        c().game.blnCanSelect = true;
        Gdi::BitBlt(win(), 0, 0, kBackWidth, kBackHeight, back(), 0, 0, Gdi::SRCCOPY);
    }

    TableClient& c() { return *h.client; }
    frmMain& f() { return h.Main(); }
    QImage& win() { return f().Image; }
    QImage& back() { return f().picGameBack->Image; }
    modManage_AniTimer& timers() { return *c().aniTimer; }

    int EnabledTimers() {
        int n = 0;
        for (WindowTimer* t : f().tmrAni) n += t->Enabled() ? 1 : 0;
        return n;
    }
    bool TimerOn(int i) { return i < int(f().tmrAni.size()) && f().tmrAni[i]->Enabled(); }
    // One tick of every running animation timer, in index order.
    void TickAll() {
        for (int i = 0; i < int(f().tmrAni.size()); ++i)
            if (f().tmrAni[i]->Enabled()) timers().ExecAniTimer(i);
    }
    // Ticks until every animation has ended; the number of rounds it took.
    int RunToEnd(int limit = 500) {
        int rounds = 0;
        while (EnabledTimers() > 0 && rounds < limit) {
            TickAll();
            ++rounds;
        }
        return rounds;
    }

    // Pixels of the rectangle where the window differs from the clean background.
    int DiffersFromBack(int x0, int y0, int w, int h) {
        int n = 0;
        for (int y = std::max(y0, 0); y < std::min(y0 + h, kBackHeight); ++y)
            for (int x = std::max(x0, 0); x < std::min(x0 + w, kBackWidth); ++x)
                n += (win().pixel(x, y) & 0xFFFFFF) != (back().pixel(x, y) & 0xFFFFFF) ? 1 : 0;
        return n;
    }
    int DiffersFromBack() { return DiffersFromBack(0, 0, kBackWidth, kBackHeight); }
    bool Drawn(int x, int y) { return qBlue(win().pixel(x, y)) != 0; }

    static constexpr int kBackWidth = 612, kBackHeight = 600;
    harness::Harness h;
};

}  // namespace animtable
