// The local player's hands on the own board: a press selects a tile, a press on a second
// tile sends the pair when the two link, and, while a thrown item waits, a press on a
// small board names its target.
#pragma once
#include <cstdint>

#include "core/modLinkSearch.h"

class TableClient;

class modSelectFk {
public:
    explicit modSelectFk(TableClient& client);

    // A mouse press on the main window (any button) at (x, y) of its client area.
    void Form_MouseDown(int button, int x, int y);

    // The cell of the own board under (x, y) when it holds a tile other than the
    // selection; row and column -1 otherwise.
    bool HitTestBoard(int x, int y, std::int32_t& row, std::int32_t& col) const;
    int HitTestSeatBoard(int x, int y) const;  // seat 0..5 of the small board, or 99
    void ShowSelectFlag(std::int32_t row, std::int32_t col);
    void ClearSelection();
    // The removal animation on the own board: lightning along the path, two blasts.
    void StartDelFkAni(const LinkPath& path);

    CellPos SelFk;                    // the first selected cell, (-1, -1) for none
    std::uint8_t ItemTargetMode = 0;  // 1 while a thrown item waits for its target
    std::uint8_t bteWaitDaoJu = 0;    // the waiting item

    static constexpr int kCaptionHeight = 32;  // the window's own caption strip
    static constexpr int kOwnCellWidth = 31, kOwnCellHeight = 35;
    static constexpr int kPanelWidth = 105, kPanelHeight = 130;  // a small board's panel
    static constexpr int kNoSeat = 99;

private:
    // Selection: the pressed cell becomes the selection or completes a pair.
    void SelectTile(CellPos cell);
    // Target mode: the press names the seat a waiting item is thrown at.
    void ThrowWaitingItem(int x, int y);

    TableClient& client_;
};
