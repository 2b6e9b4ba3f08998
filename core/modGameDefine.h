// The table as every program sees it: six seats with their players, boards, counters,
// groups and item counts, the item catalogue, the group names, the game flags, and the
// local identity (which seat is shown as the own board). The client, the room server's
// per-player view and the computer players each keep one.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/Bytes.h"
#include "core/modDaoJuDefine.h"

namespace GameSize {
inline constexpr int kSeatCount = 6;
inline constexpr int kRows = 10;
inline constexpr int kCols = 18;
inline constexpr int kTileKinds = 39;
inline constexpr int kGroupCount = 4;
}  // namespace GameSize

// Tile codes by (row 0..9, column 0..17); 0 is an empty cell, 1..39 the tile kinds.
using TileGridT = std::array<std::array<std::uint8_t, GameSize::kCols>, GameSize::kRows>;

struct SeatUserDef {
    // the player (filled by the room protocol)
    std::string strUserName;  // empty: a free seat
    std::int32_t lngIconNo = -1;
    bool blnNetBreak = false;
    bool blnReady = false;
    // the game
    TileGridT TileGrid{};
    std::uint8_t bteDelFkCount = 0;   // tiles removed this game
    std::uint8_t bteLeftFkCount = 0;  // tiles left on the board
    std::uint8_t bteFenZu = 0;        // group 0..3
    std::array<std::uint8_t, modDaoJuDefine::kItemCount> bteDaoJuCount{};
    bool blnGameOut = true;
    std::uint8_t btePlace = 0;
    // the title looked up from the title table
    std::string strUserTitle;
};

class modGameDefine {
public:
    // Start-up and table reset: every seat free and cleared, the item catalogue and the
    // group names filled, no game running, no seat shown yet.
    void InitGameDefine();
    // Before a game, after a game and before a snapshot: clears ready flags, boards,
    // counters, places and item counts of every seat; names, icons, titles, connection
    // marks and groups stay.
    void ResetBoards();

    // The first seat 0..5 whose player name equals `name` exactly, or -1 (also for an
    // empty name, which would otherwise match a free seat).
    int FindSeat(const std::string& name) const;
    // Number of non-zero cells of a grid.
    static int CountTiles(const TileGridT& grid);
    // True when a server board of `rows` x `cols` fits the 10 x 18 grid.
    static bool BoardSizeFits(int rows, int cols);
    // Copies a rows x cols board, row-major from bytData[pos], into grid rows 0..rows-1,
    // columns 0..cols-1; cells whose byte lies past the end stay as they are. The size
    // must fit (BoardSizeFits). Returns the position after the board.
    static std::size_t StoreBoardBytes(TileGridT& grid, const Bytes& bytData, std::size_t pos, int rows, int cols);

    std::array<SeatUserDef, GameSize::kSeatCount> SeatUser{};
    std::array<DaoJuDef, modDaoJuDefine::kItemCount> g_DaoJu{};
    std::array<std::string, GameSize::kGroupCount> strFenZuName{};

    bool blnGameStopped = true;
    bool blnCanSelect = false;
    bool blnGameSetKnown = false;
    bool blnShowStart = false;

    // Local identity, set by the room protocol.
    std::string strSeatUserName;  // the player shown as the own board
    bool blnIsWatcher = false;
    std::uint8_t bteCurUserNo = 0;
    std::array<std::uint8_t, GameSize::kSeatCount> bteSeatPosNo{};  // seat -> display position
};
