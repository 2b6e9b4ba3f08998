#include "server/Scoring.h"

#include <algorithm>
#include <map>

namespace Scoring {

std::vector<Result> Score(const std::vector<Entry>& entries, std::int32_t baseScore, std::int32_t deduction) {
    // Sides: each team is one side, each free player a side of its own; a side stands at
    // the best place of its members who did not run away.
    std::map<int, int> sideBest;  // side key -> best place
    auto sideOf = [](const Entry& e) { return e.group == 0 ? 100 + e.seat : e.group; };
    for (const auto& e : entries) {
        if (e.escaped) continue;
        auto [it, fresh] = sideBest.try_emplace(sideOf(e), e.place);
        if (!fresh) it->second = std::min(it->second, static_cast<int>(e.place));
    }
    std::vector<std::pair<int, int>> order;  // (best place, side)
    order.reserve(sideBest.size());
    for (auto [side, best] : sideBest) order.push_back({best, side});
    std::sort(order.begin(), order.end());
    std::map<int, int> rank;
    for (std::size_t i = 0; i < order.size(); ++i) rank[order[i].second] = static_cast<int>(i) + 1;
    const int sides = static_cast<int>(order.size());

    std::vector<Result> out;
    for (const auto& e : entries) {
        Result r;
        r.seat = e.seat;
        if (e.escaped) {
            r.place = e.place;
            r.score = -deduction;
            r.outcome = Outcome::Escape;
        } else {
            const int rk = rank[sideOf(e)];
            r.place = static_cast<std::uint8_t>(rk);
            r.score = baseScore * (sides + 1 - 2 * rk);
            r.outcome = r.score > 0 ? Outcome::Win : r.score < 0 ? Outcome::Loss : Outcome::Draw;
        }
        out.push_back(r);
    }
    return out;
}

}  // namespace Scoring
