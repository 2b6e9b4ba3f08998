// The table-state snapshot decoder on a fresh table, as a player and as a spectator:
// any bytes leave the store within its bounds (sanitizers watch every access), and a
// refused board size changes no board.
#include <cstdlib>

#include "core/modGameDefine.h"
#include "core/modTableState.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte: the local seat (low three bits), spectator or player, settings known.
    const std::uint8_t mode = data[0];
    const Bytes msg(data + 1, data + size);

    modGameDefine game;
    game.InitGameDefine();
    game.bteCurUserNo = mode & 7;
    game.blnIsWatcher = (mode & 8) != 0;
    game.blnGameSetKnown = (mode & 16) != 0;
    game.ResetBoards();
    const modGameDefine before = game;

    const TableStateResult r = modTableState::DecodeTableState(game, msg);
    if (r == TableStateResult::SizeError || r == TableStateResult::TooShort) {
        for (int s = 0; s < 6; ++s)
            if (game.SeatUser[s].TileGrid != before.SeatUser[s].TileGrid) std::abort();
    }
    if (r == TableStateResult::TooShort && game.blnGameStopped != before.blnGameStopped) std::abort();
    return 0;
}
