// The six seat panels (background, seat number, group bar with name and title, tiles
// left, connection-lost mark, raised hand) and each seat's result over its board (place,
// placard and score; win or fail picture and the time-out banner on the own board).
#pragma once
#include <array>
#include <cstdint>

class TableClient;

class modPaint_User {
public:
    explicit modPaint_User(TableClient& client);

    void InitUserPaint();
    void PaintUserSeat(int seat);
    void PaintUserFenZu(int seat);
    void PaintUserFkCount(int seat);
    void PaintUserNetBreak(int seat);
    void PaintUserHand(int seat);
    void PaintUserScore(int seat, std::uint8_t place, std::int32_t score);

    struct Point {
        std::int32_t x = 0, y = 0;
    };
    std::array<Point, 6> udtUserPanelPos{};  // by display position
    std::uint32_t lngFkCountColorOther = 0;
    std::uint32_t lngFkCountColorCur = 0;

private:
    TableClient& client_;
};
