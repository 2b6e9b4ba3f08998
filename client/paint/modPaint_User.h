// The six seat panels (background, seat number, group bar with name and title, tiles
// left, connection-lost mark, raised hand) and each seat's result over its board (place,
// placard and score; win or fail picture and the time-out banner on the own board).
#pragma once
#include <QImage>
#include <array>
#include <cstdint>

#include "client/platform/Gdi.h"

class TableClient;
class GameSurfaces;

class modPaint_User {
public:
    explicit modPaint_User(TableClient& client);

    void InitUserPaint();
    // Seats are 0..5; a larger number is ignored. A free seat shows only its background:
    // the connection mark and the hand are drawn for taken seats only.
    void PaintUserSeat(int seat);
    void PaintUserFenZu(int seat);
    void PaintUserFkCount(int seat);
    void PaintUserNetBreak(int seat);
    void PaintUserHand(int seat);
    // Place 1..6, or 255 for no place (drawn as a time-out); score printed in decimal.
    void PaintUserScore(int seat, std::uint8_t place, std::int32_t score);

    // The result last drawn over a seat's board: kept so that a whole redraw between the
    // game end and the clearing of the boards shows the real score again, not 0.
    // Forgotten when the seat's board area is cleared.
    struct SeatResult {
        bool blnKnown = false;
        std::uint8_t btePlace = 0;
        std::int32_t lngScore = 0;
    };
    std::array<SeatResult, 6> udtSeatResult{};
    void ForgetUserScore(int seat);

    struct Point {
        std::int32_t x = 0, y = 0;
    };
    std::array<Point, 6> udtUserPanelPos{};  // by display position
    Gdi::ColorRef lngFkCountColorOther = 0;
    Gdi::ColorRef lngFkCountColorCur = 0;

private:
    // The display position of a seat and its panel origin; false for no seat.
    bool PanelOf(int seat, int& position, Point& origin) const;
    bool SeatTaken(int seat) const;
    // One result picture drawn without its key colour onto the window through the hidden
    // scratch areas, then copied to the background copy. A sheet cut-out (sx, sy, w, h) is
    // composed in picScoreTmpBuf first; w < 0 takes the whole picture.
    void PaintResultPicture(const char* resName, Gdi::ColorRef key, int x, int y, int sx = 0, int sy = 0, int w = -1,
                            int h = -1);
    void PaintScoreText(GameSurfaces& surfaces, int blackX, int blackY, std::int32_t score);

    TableClient& client_;
};
