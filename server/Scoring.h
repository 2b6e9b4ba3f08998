// The result of a game: places and scores from the places the players reached, the
// groups and the table's base score. Players of one team (groups A, B, C) share the best
// place of their members; every free player (group 0) stands alone. With U such sides the
// side ranked r scores base x (U + 1 - 2r): the best side wins most, the last loses as
// much, a middle side of an odd count scores 0. A runaway scores minus the deduction.
#pragma once
#include <cstdint>
#include <vector>

namespace Scoring {

enum class Outcome { Win, Loss, Draw, Escape };

struct Entry {
    int seat = 0;
    std::uint8_t place = 0;  // the player's own place, 1 = first
    std::uint8_t group = 0;
    bool escaped = false;
};

struct Result {
    int seat = 0;
    std::uint8_t place = 0;  // the place shown: the side's rank (a runaway keeps its own)
    std::int32_t score = 0;
    Outcome outcome = Outcome::Draw;
};

std::vector<Result> Score(const std::vector<Entry>& entries, std::int32_t baseScore, std::int32_t deduction);

}  // namespace Scoring
