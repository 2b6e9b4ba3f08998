#include "bot/BotBrain.h"

#include <algorithm>
#include <array>

#include "core/BroadcastParsers.h"
#include "core/modDaoJuRule.h"

using namespace modDaoJuDefine;

BotSkill SkillOf(int level) {
    level = std::clamp(level, BotBrain::kMinSkill, BotBrain::kMaxSkill);
    // level:              1     2     3     4     5
    constexpr double kThink[] = {3.0, 2.4, 1.8, 1.3, 0.8};
    constexpr double kSlow[] = {0.16, 0.13, 0.10, 0.07, 0.05};
    constexpr double kSlip[] = {0.15, 0.11, 0.08, 0.05, 0.03};
    constexpr double kThrow[] = {0.05, 0.07, 0.09, 0.11, 0.13};
    constexpr double kBomb[] = {0.03, 0.04, 0.05, 0.06, 0.08};
    const int i = level - 1;
    return BotSkill{level, kThink[i], kSlow[i], kSlip[i], kThrow[i], kBomb[i]};
}

BotBrain::BotBrain(Strategy strategy, int skillLevel, std::uint32_t seed)
    : strategy_(strategy), skill_(SkillOf(skillLevel)), rng_(seed) {}

bool BotBrain::Chance(double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(rng_) < p; }

double BotBrain::Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng_); }

bool BotBrain::ChoosePair(const TileGridT& grid, LinkPath& path) {
    if (!IsHuman()) return modLinkSearch::FindLinkPair(grid, path);
    const auto pairs = BotRules::LinkablePairs(grid);
    if (pairs.empty()) return false;
    // A person sees neighbours first, then one-corner links, then the long way round.
    std::vector<double> weights;
    weights.reserve(pairs.size());
    for (const auto& p : pairs) weights.push_back(p.lngNodeCount == 2 ? 6.0 : p.lngNodeCount == 3 ? 3.0 : 1.0);
    std::discrete_distribution<std::size_t> pick(weights.begin(), weights.end());
    path = pairs[pick(rng_)];
    return true;
}

BotBrain::TurnPlan BotBrain::PlanTurn(const TileGridT& grid, bool fogged) {
    TurnPlan plan;
    if (!IsHuman()) return plan;
    const auto pairs = BotRules::LinkablePairs(grid);
    // Few moves on the board take longer to see.
    const double scarcity = 1.0 + 1.0 / static_cast<double>(std::max<std::size_t>(1, pairs.size()));
    plan.thinkSeconds = skill_.thinkSeconds * Uniform(0.6, 1.4) * scarcity;
    if (Chance(skill_.slowChance)) {
        plan.slow = true;
        plan.thinkSeconds *= Uniform(2.5, 4.0);
    }
    if (fogged) plan.thinkSeconds *= 1.8;
    if (Chance(skill_.slipChance)) {
        // A tile that has no partner in reach, if there is one, else any tile.
        std::vector<CellPos> lonely, any;
        for (int r = 0; r < GameSize::kRows; ++r)
            for (int c = 0; c < GameSize::kCols; ++c) {
                if (grid[r][c] == 0) continue;
                const CellPos cell{r, c};
                any.push_back(cell);
                const bool paired = std::any_of(pairs.begin(), pairs.end(), [&](const LinkPath& p) {
                    return p.First() == cell || p.Last() == cell;
                });
                if (!paired) lonely.push_back(cell);
            }
        const auto& from = lonely.empty() ? any : lonely;
        if (!from.empty()) {
            plan.slip = true;
            plan.slipCell = from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng_)];
            plan.thinkSeconds += Uniform(0.4, 1.0);
        }
    }
    return plan;
}

BotBrain::ThrowPlan BotBrain::ChooseThrow(const modGameDefine& game, int ownSeat, const Spared& spared) {
    ThrowPlan plan;
    if (!IsHuman()) return plan;
    std::vector<int> held;
    for (int k = 0; k < kItemCount; ++k)
        if (BroadcastParsers::IsThrownItem(k) && BotRules::ItemReady(game, k)) held.push_back(k);
    if (held.empty() || !Chance(skill_.throwChance)) return plan;
    const int target = BotRules::LeaderSeat(game, ownSeat, spared);
    if (target < 0) return plan;
    plan.item = held[std::uniform_int_distribution<std::size_t>(0, held.size() - 1)(rng_)];
    plan.target = target;
    return plan;
}

bool BotBrain::WantsBomb(const modGameDefine& game, int ownSeat) {
    return IsHuman() && BotRules::ItemReady(game, DJ_ZHADAN) && game.SeatUser[ownSeat].bteLeftFkCount > 4 &&
           Chance(skill_.bombChance);
}

GameSettings BotBrain::ChooseSettings(const GameSettings& proposed, int players) const {
    // Within the bounds; when the bounds cross, the smaller one.
    auto within = [](std::int32_t v, std::int32_t lo, std::int32_t hi) { return lo > hi ? lo : std::clamp(v, lo, hi); };
    GameSettings s = proposed;
    s.playerCount = std::clamp(players, 2, GameSize::kSeatCount);
    s.baseScore = within(proposed.baseScore, proposed.minBaseScore, proposed.maxBaseScore);
    s.deduction = within(proposed.deduction, proposed.minDeduction, proposed.maxDeduction);
    return s;
}

std::optional<int> BotBrain::ChooseGroupChange(int current) {
    if (!IsHuman() || !Chance(0.12)) return std::nullopt;
    int g = std::uniform_int_distribution<int>(0, GameSize::kGroupCount - 2)(rng_);
    if (g >= current) ++g;
    return g;
}

std::optional<std::string> BotBrain::LineToSay(Moment moment) {
    if (!IsHuman()) return std::nullopt;
    static const std::array<const char*, 4> kStart = {"大家好！", "来吧，一决高下", "这局我要赢", "加油加油"};
    static const std::array<const char*, 4> kWon = {"承让了", "运气不错", "再来一局！", "哈哈，赢了"};
    static const std::array<const char*, 4> kLost = {"好险", "厉害厉害", "下次一定赢", "再来一局！"};
    static const std::array<const char*, 4> kHit = {"手下留情啊", "别丢我啊", "哎呀", "太狠了吧"};
    struct Said {
        const std::array<const char*, 4>* lines;
        double chance;
    };
    Said said{&kStart, 0.05};
    if (moment == Moment::Won) said = {&kWon, 0.3};
    if (moment == Moment::Lost) said = {&kLost, 0.12};
    if (moment == Moment::HitByItem) said = {&kHit, 0.06};
    const auto* lines = said.lines;
    const double chance = said.chance;
    if (!Chance(chance)) return std::nullopt;
    return std::string((*lines)[std::uniform_int_distribution<std::size_t>(0, lines->size() - 1)(rng_)]);
}

double BotBrain::PauseFor(Pause pause) {
    if (!IsHuman()) return 0;
    switch (pause) {
        case Pause::Settings:
            return Uniform(1.5, 4.0);
        case Pause::Agree:
            return Uniform(1.0, 3.5);
        case Pause::Ready:
            return Uniform(1.0, 4.0);
        case Pause::Group:
            return Uniform(0.8, 2.0);
        case Pause::AfterThrow:
            return Uniform(0.3, 0.9);
        case Pause::FollowHint:
            return Uniform(0.3, 0.7);
        case Pause::ReadNotice:
            return Uniform(1.0, 2.5);
    }
    return 0;
}

namespace BotRules {

bool ItemReady(const modGameDefine& game, int item) {
    return modDaoJuRule::IsDaoJuUsable(game, item) &&
           game.SeatUser[game.bteCurUserNo % GameSize::kSeatCount].bteDaoJuCount[item] > 0;
}

int LeaderSeat(const modGameDefine& game, int ownSeat, const std::array<bool, GameSize::kSeatCount>& spared) {
    int best = -1;
    const std::uint8_t ownGroup = game.SeatUser[ownSeat].bteFenZu;
    for (int d = 1; d < GameSize::kSeatCount; ++d) {
        const int s = (ownSeat + d) % GameSize::kSeatCount;
        const auto& seat = game.SeatUser[s];
        if (seat.strUserName.empty() || seat.blnGameOut || seat.bteLeftFkCount == 0 || spared[s]) continue;
        if (ownGroup != 0 && seat.bteFenZu == ownGroup) continue;  // a team mate
        if (best < 0 || seat.bteLeftFkCount < game.SeatUser[best].bteLeftFkCount) best = s;
    }
    return best;
}

std::vector<LinkPath> LinkablePairs(const TileGridT& grid) {
    std::array<std::vector<CellPos>, 256> byCode;
    for (int r = 0; r < GameSize::kRows; ++r)
        for (int c = 0; c < GameSize::kCols; ++c)
            if (grid[r][c] != 0) byCode[grid[r][c]].push_back({r, c});
    std::vector<LinkPath> pairs;
    for (const auto& cells : byCode)
        for (std::size_t i = 0; i < cells.size(); ++i)
            for (std::size_t j = i + 1; j < cells.size(); ++j) {
                LinkPath path;
                if (modLinkSearch::CheckLink(grid, cells[i], cells[j], path)) pairs.push_back(path);
            }
    return pairs;
}

}  // namespace BotRules
