// Small pictures the drawing tests write into a client's program folder, each painted so
// that a pixel on screen tells which picture, cell and row it came from.
#pragma once
#include <QImage>
#include <filesystem>
#include <functional>
#include <string>

#include "client/TableClient.h"
#include "client/platform/Gdi.h"
#include "core/modGameDefine.h"

namespace paintfix {

// The file of a resource name ("Res\\Hand.ico") below the program folder; its folder is made.
inline QString PathOf(const std::string& appFolder, const std::string& resName) {
    std::string rel = resName;
    for (char& c : rel)
        if (c == '\\') c = '/';
    const std::filesystem::path path = std::filesystem::path(appFolder) / rel;
    std::filesystem::create_directories(path.parent_path());
    return QString::fromStdString(path.string());
}

// Writes a BMP (24-bit) below the program folder, every pixel from colorAt(x, y).
inline void WriteBmp(const std::string& appFolder, const std::string& resName, int w, int h,
                     const std::function<QRgb(int, int)>& colorAt) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, colorAt(x, y));
    img.save(PathOf(appFolder, resName), "BMP");
}

inline void WriteSolidBmp(const std::string& appFolder, const std::string& resName, int w, int h, QRgb color) {
    WriteBmp(appFolder, resName, w, h, [color](int, int) { return color; });
}

// An icon: an opaque square of `color` with a transparent border of `border` pixels.
inline void WriteIcon(const std::string& appFolder, const std::string& resName, int size, QRgb color, int border) {
    QImage img(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool inside = x >= border && y >= border && x < size - border && y < size - border;
            img.setPixel(x, y, inside ? (0xFF000000u | (color & 0xFFFFFFu)) : 0x00000000u);
        }
    img.save(PathOf(appFolder, resName), "ICO");
}

// The colour of tile picture i (0..38) of the normal and the grey sheet.
inline QRgb TileColor(int i) { return qRgb(10 + 6 * i, 250 - 6 * i, 40); }
inline QRgb GreyTileColor(int i) { return qRgb(100 + i, 100 + i, 100 + i); }
// The colour of the background picture at (x, y): different everywhere it matters.
inline QRgb BackColor(int x, int y) { return qRgb(x % 256, y % 256, (x / 256) * 64 + (y / 256) * 16); }

inline void WriteTileSheets(const std::string& app) {
    WriteBmp(app, "Res\\FangKuai.bmp", 39 * 31, 35, [](int x, int) { return TileColor(x / 31); });
    WriteBmp(app, "Res\\FangKuai_HD.bmp", 39 * 31, 35, [](int x, int) { return GreyTileColor(x / 31); });
}

inline void WriteGameBack(const std::string& app) { WriteBmp(app, "Res\\GameBack.bmp", 800, 600, BackColor); }

// Row colours of the group sheets, cell colours of the position numbers.
inline QRgb GroupRowColor(int group, bool own) { return own ? qRgb(200, 60 * group, 10) : qRgb(60 * group, 200, 10); }
inline QRgb PosNoColor(int p) { return qRgb(30 * p, 30, 220); }
inline constexpr QRgb kOtherInColor = 0xFF204060u;
inline constexpr QRgb kOtherOutColor = 0xFF606060u;
inline constexpr QRgb kCurOutColor = 0xFF703030u;

// Everything a seat panel draws.
inline void WriteSeatArt(const std::string& app) {
    WriteSolidBmp(app, "Res\\OtherUserIn.bmp", 117, 140, kOtherInColor);
    WriteSolidBmp(app, "Res\\OtherUserOut.bmp", 117, 140, kOtherOutColor);
    WriteSolidBmp(app, "Res\\CurUserOut.bmp", 177, 56, kCurOutColor);
    WriteBmp(app, "Res\\OtherUserPosNo.bmp", 5 * 25, 25, [](int x, int) { return PosNoColor(x / 25 + 1); });
    WriteBmp(app, "Res\\OtherUserFenZu.bmp", 115, 4 * 33, [](int, int y) { return GroupRowColor(y / 33, false); });
    WriteBmp(app, "Res\\CurUserFenZu.bmp", 177, 4 * 56, [](int, int y) { return GroupRowColor(y / 56, true); });
}

// The result pictures: each with a 3-pixel strip of its key colour on the left.
inline QRgb SpriteColor(int place) { return qRgb(30 * place, 220, 30); }
inline constexpr QRgb kPlacardColor = 0xFFF0C850u;
inline constexpr QRgb kWinColor = 0xFF00C800u;
inline constexpr QRgb kFailColor = 0xFFC80000u;
inline constexpr QRgb kTimeEndColor = 0xFF0000C8u;
inline void WriteScoreArt(const std::string& app) {
    WriteBmp(app, "Res\\ScoreSort.bmp", 6 * 41, 48,
             [](int x, int) { return x % 41 < 3 ? qRgb(0, 0, 0) : SpriteColor(x / 41 + 1); });
    auto keyed = [](QRgb key, QRgb body) { return [key, body](int x, int) { return x < 3 ? key : body; }; };
    WriteBmp(app, "Res\\ScorePalard.bmp", 101, 42, keyed(qRgb(248, 0, 234), kPlacardColor));
    WriteBmp(app, "Res\\CurUserWinFlag.bmp", 194, 234, keyed(qRgb(255, 255, 255), kWinColor));
    WriteBmp(app, "Res\\CurUserFailFlag.bmp", 194, 234, keyed(qRgb(255, 255, 255), kFailColor));
    WriteBmp(app, "Res\\TimeEnd.bmp", 190, 55, keyed(qRgb(255, 0, 255), kTimeEndColor));
}

// The caption button sheets: a colour per cell.
inline QRgb HelpCellColor(int cell) { return qRgb(20 + 40 * cell, 100, 200); }
inline QRgb SystemCellColor(int cell) { return qRgb(20 + 25 * cell, 50, 100); }
inline void WriteCaptionArt(const std::string& app) {
    WriteBmp(app, "Res\\HelpBut.bmp", 4 * 59, 23, [](int x, int) { return HelpCellColor(x / 59); });
    WriteBmp(app, "Res\\SystemBut.bmp", 8 * 21, 21, [](int x, int) { return SystemCellColor(x / 21); });
}

// Six seated players (seat s named "p<s>"), the local one at seat 0, each board dealt
// with the same tiles.
inline void SeatSixPlayers(TableClient& c) {
    auto& g = c.game;
    for (int s = 0; s < 6; ++s) {
        g.SeatUser[s].strUserName = "p" + std::to_string(s);
        g.SeatUser[s].strUserTitle = "长工";
        g.SeatUser[s].bteFenZu = static_cast<std::uint8_t>(s % 4);
        g.SeatUser[s].blnGameOut = false;
    }
    g.strSeatUserName = "p0";
    g.bteCurUserNo = 0;
    for (int s = 0; s < 6; ++s) g.bteSeatPosNo[s] = static_cast<std::uint8_t>(s);
    TileGridT grid{};
    for (int r = 0; r < 10; ++r)
        for (int col = 0; col < 18; ++col) grid[r][col] = static_cast<std::uint8_t>((r * 18 + col) % 39 + 1);
    for (auto& seat : g.SeatUser) {
        seat.TileGrid = grid;
        seat.bteLeftFkCount = 180;
    }
    g.blnGameStopped = false;
}

}  // namespace paintfix
