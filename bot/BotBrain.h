// What a computer player decides: which pair it takes and how long it thinks about it,
// when it slips, which item it uses and on whom, what it sets as the table's master,
// when it changes group and what it says in chat. Two strategies: `first` takes the
// first linkable pair at once and nothing else (deterministic, for tests); `human` plays
// at a person's pace by its skill. The brain only decides; the player carries it out.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/RoomMessages.h"
#include "core/modGameDefine.h"
#include "core/modLinkSearch.h"

enum class Strategy { First, Human };

// How a player of one skill level plays. Times are seconds at pace 1.
struct BotSkill {
    int level = 3;              // 1 novice .. 5 expert
    double thinkSeconds = 1.8;  // mean time to find a pair
    double slowChance = 0.1;    // a pair that takes several times as long
    double slipChance = 0.08;   // a wrong first click before the right pair
    double throwChance = 0.2;   // per turn, to throw a held item at the leader
    double bombChance = 0.05;   // per turn, to use a held bomb
};
BotSkill SkillOf(int level);

class BotBrain {
public:
    static constexpr int kMinSkill = 1, kMaxSkill = 5;

    BotBrain(Strategy strategy, int skillLevel, std::uint32_t seed);

    Strategy GetStrategy() const { return strategy_; }
    const BotSkill& Skill() const { return skill_; }
    bool IsHuman() const { return strategy_ == Strategy::Human; }

    // The pair to take: `first` takes FindLinkPair's; `human` one of all linkable pairs,
    // near ones more often. False when the board has no move.
    bool ChoosePair(const TileGridT& grid, LinkPath& path);

    struct TurnPlan {
        double thinkSeconds = 0;  // until the pair is sent
        bool slow = false;        // a pair the player does not see for long
        bool slip = false;        // a wrong tile is clicked first ...
        CellPos slipCell;         // ... this one, which is never sent
    };
    // The next turn on this board (with the black fog the player is slower).
    TurnPlan PlanTurn(const TileGridT& grid, bool fogged);

    // A thrown item to use now (item and target), or item -1.
    struct ThrowPlan {
        int item = -1;
        int target = -1;
    };
    // Seats that were hit a moment ago are spared: the players do not pile items on one.
    using Spared = std::array<bool, GameSize::kSeatCount>;
    ThrowPlan ChooseThrow(const modGameDefine& game, int ownSeat, const Spared& spared = {});
    // Whether to use a held bomb this turn.
    bool WantsBomb(const modGameDefine& game, int ownSeat);

    // The settings the master confirms: the server's proposal kept within its bounds,
    // with the given number of players.
    GameSettings ChooseSettings(const GameSettings& proposed, int players) const;
    // A new group between games, now and then.
    std::optional<int> ChooseGroupChange(int current);

    enum class Moment { GameStart, Won, Lost, HitByItem };
    // A short line to say, rarely.
    std::optional<std::string> LineToSay(Moment moment);

    enum class Pause { Settings, Agree, Ready, Group, AfterThrow, FollowHint, ReadNotice };
    // How long a person takes for these, in seconds at pace 1 (`first`: none).
    double PauseFor(Pause pause);

    // True with the given chance.
    bool Chance(double p);
    double Uniform(double lo, double hi);

private:
    Strategy strategy_;
    BotSkill skill_;
    std::mt19937 rng_;
};

namespace BotRules {

// The local player may use the item now (modDaoJuRule) and holds one.
bool ItemReady(const modGameDefine& game, int item);
// The leader among the others still playing: the fewest tiles left, players of one's own
// group (other than the free group) and the `spared` seats left out; -1 when there is none.
int LeaderSeat(const modGameDefine& game, int ownSeat, const std::array<bool, GameSize::kSeatCount>& spared = {});
// Every linkable pair of a board, with its path (first cell earlier in scan order).
std::vector<LinkPath> LinkablePairs(const TileGridT& grid);

}  // namespace BotRules
