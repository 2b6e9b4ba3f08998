// One game at a table: the server's copy of every player's board, the counters, item
// counts, combos and places, and the checks of every removal and item use against that
// copy. It knows nothing of connections or time-outs; the table drives it.
#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <random>

#include "core/GameMessages.h"
#include "server/BoardDealer.h"
#include "server/TableClock.h"

struct RoundPlayer {
    bool inGame = false;   // took part from the start
    bool playing = false;  // still in play
    bool escaped = false;
    std::uint8_t place = 0;
    std::uint8_t group = 0;
    TileGridT grid{};
    std::uint8_t removed = 0;
    std::uint8_t left = 0;
    GameMessages::ItemCounts counts{};
    int chain = 0;      // removals in the running combo
    int bestChain = 0;  // the longest combo this game
    TableClock::TimePoint lastRemoval{};
    std::int64_t pointsAtStart = 0;
    std::int64_t pointsLeft = 0;  // points that may still pay for items
};

class GameRound {
public:
    // The kind of time points removals are made at; the round never reads a clock itself,
    // the table hands it the time of each removal.
    using Clock = TableClock::Steady;
    using TimePoint = TableClock::TimePoint;
    static constexpr int kSeats = GameSize::kSeatCount;

    GameRound(const std::array<bool, kSeats>& seated, const std::array<std::uint8_t, kSeats>& groups,
              const std::array<std::int64_t, kSeats>& points, const TileGridT& board,
              const GameMessages::ItemTable& items, std::chrono::milliseconds comboWindow, std::mt19937& rng);

    const RoundPlayer& Player(int seat) const { return players_[seat]; }
    bool Playing(int seat) const { return seat >= 0 && seat < kSeats && players_[seat].playing; }
    int PlayingCount() const;
    int Participants() const { return participants_; }
    const GameMessages::ItemTable& Items() const { return items_; }
    const TileGridT& Board() const { return board_; }
    // The game is over when at most one player is still in play.
    bool Over() const { return PlayingCount() <= 1; }

    struct Removal {
        LinkPath path;
        std::uint8_t comboA = 0, comboB = 0;
        bool cleared = false;  // the board is empty: the player took the best free place
    };
    // A pair of the seat's own board; false (nothing changes) when the seat is not in
    // play or the two cells do not link.
    bool Remove(int seat, CellPos a, CellPos b, TimePoint now, Removal& out);

    // Out of the game: a time-out or a runaway takes the worst free place. 0 when the
    // seat was not in play.
    std::uint8_t TimeOut(int seat);
    std::uint8_t Escape(int seat);
    // Places the players still in play at the end, best place first in seat order.
    void FinishLast();

    struct ItemUse {
        int item = -1;
        std::uint8_t target = 0;  // the user for items on oneself
        std::uint8_t count = 0;   // the user's new count of the item
        LinkPath path;            // the bomb's pair
        bool cleared = false;     // the bomb emptied the user's board
        bool paid = false;        // paid with points (the count was 0)
    };
    // One item use by the seat during the game (items 0..7); false when refused:
    // not in play, not yet usable, no count and no price, a target not in play or the
    // user itself, a bomb pair that does not link, a compass on a board without a move.
    bool UseItem(int seat, const GameMessages::ItemRequest& req, ItemUse& out);

private:
    std::uint8_t TakePlace(bool best);
    void CountRemoval(RoundPlayer& p, int before);

    std::array<RoundPlayer, kSeats> players_{};
    std::array<bool, kSeats + 1> placeTaken_{};  // places 1..participants
    int participants_ = 0;
    TileGridT board_{};
    GameMessages::ItemTable items_{};
    std::chrono::milliseconds comboWindow_;
    BoardDealer dealer_;
};
