#include "server/GameRound.h"

#include <algorithm>

#include "server/ItemRules.h"

using namespace modDaoJuDefine;

GameRound::GameRound(const std::array<bool, kSeats>& seated, const std::array<std::uint8_t, kSeats>& groups,
                     const std::array<std::int64_t, kSeats>& points, const TileGridT& board,
                     const GameMessages::ItemTable& items, std::chrono::milliseconds comboWindow, std::mt19937& rng)
    : board_(board), items_(items), comboWindow_(comboWindow), dealer_(rng) {
    const auto tiles = static_cast<std::uint8_t>(modGameDefine::CountTiles(board));
    for (int s = 0; s < kSeats; ++s) {
        RoundPlayer& p = players_[s];
        p.group = groups[s];
        if (!seated[s]) continue;
        p.inGame = p.playing = true;
        p.grid = board;
        p.left = tiles;
        p.pointsAtStart = p.pointsLeft = points[s];
        for (int k = 0; k < kItemCount; ++k) p.counts[k] = items[k].bteFreeCount;
        ++participants_;
    }
}

int GameRound::PlayingCount() const {
    int n = 0;
    for (const auto& p : players_) n += p.playing;
    return n;
}

std::uint8_t GameRound::TakePlace(bool best) {
    for (int i = 0; i < participants_; ++i) {
        const int place = best ? i + 1 : participants_ - i;
        if (!placeTaken_[place]) {
            placeTaken_[place] = true;
            return static_cast<std::uint8_t>(place);
        }
    }
    return 0;
}

void GameRound::CountRemoval(RoundPlayer& p, int before) { ItemRules::Earn(items_, p.counts, before, p.removed); }

bool GameRound::Remove(int seat, CellPos a, CellPos b, TimePoint now, Removal& out) {
    if (!Playing(seat)) return false;
    RoundPlayer& p = players_[seat];
    if (!modLinkSearch::CheckLink(p.grid, a, b, out.path)) return false;
    p.grid[a.row][a.col] = p.grid[b.row][b.col] = 0;
    const int before = p.removed;
    p.removed = static_cast<std::uint8_t>(p.removed + 2);
    p.left = static_cast<std::uint8_t>(p.left - 2);
    CountRemoval(p, before);
    // A combo: removals less than the combo window apart.
    p.chain = (p.chain > 0 && now - p.lastRemoval < comboWindow_) ? p.chain + 1 : 1;
    p.lastRemoval = now;
    p.bestChain = std::max(p.bestChain, p.chain);
    out.comboA = static_cast<std::uint8_t>(p.chain >= 2 ? std::min(p.chain, 255) : 0);
    out.comboB = static_cast<std::uint8_t>(p.chain >= 2 ? std::min(p.bestChain, 255) : 0);
    out.cleared = p.left == 0;
    if (out.cleared) {
        p.playing = false;
        p.place = TakePlace(true);
    }
    return true;
}

std::uint8_t GameRound::TimeOut(int seat) {
    if (!Playing(seat)) return 0;
    players_[seat].playing = false;
    return players_[seat].place = TakePlace(false);
}

std::uint8_t GameRound::Escape(int seat) {
    if (!Playing(seat)) return 0;
    players_[seat].escaped = true;
    return TimeOut(seat);
}

void GameRound::FinishLast() {
    for (auto& p : players_)
        if (p.playing) {
            p.playing = false;
            p.place = TakePlace(true);
        }
}

bool GameRound::UseItem(int seat, const GameMessages::ItemRequest& req, ItemUse& out) {
    const int k = req.item;
    if (!Playing(seat) || k < 0 || k > DJ_ZHANGAI) return false;
    RoundPlayer& p = players_[seat];
    if (p.removed < items_[k].bteNeedDelFk) return false;
    const bool thrown = k == DJ_JINSHOU || k == DJ_NAOZHONG || k == DJ_MENGYAN || k == DJ_JINGZI || k == DJ_ZHANGAI;
    if (thrown && (req.target == seat || !Playing(req.target))) return false;

    // The checks that need the board come before the charge.
    if (k == DJ_ZHINANZHEN && !modLinkSearch::FindLinkPair(p.grid, out.path)) return false;
    if (k == DJ_ZHADAN && !modLinkSearch::CheckLink(p.grid, req.path.First(), req.path.Last(), out.path)) return false;

    auto charge = ItemRules::ChargeUse(items_, k, p.counts, p.pointsLeft);
    if (charge == ItemRules::Charge::Refused) return false;
    out.paid = charge == ItemRules::Charge::Paid;
    out.item = k;
    out.count = p.counts[k];
    out.target = thrown ? req.target : static_cast<std::uint8_t>(seat);

    switch (k) {
        case DJ_CHONGLIE:
            p.grid = dealer_.Rearrange(p.grid);
            break;
        case DJ_ZHADAN: {
            const CellPos a = out.path.First(), b = out.path.Last();
            p.grid[a.row][a.col] = p.grid[b.row][b.col] = 0;
            const int before = p.removed;
            p.removed = static_cast<std::uint8_t>(p.removed + 2);
            p.left = static_cast<std::uint8_t>(p.left - 2);
            CountRemoval(p, before);
            out.count = p.counts[k];
            out.cleared = p.left == 0;
            if (out.cleared) {
                p.playing = false;
                p.place = TakePlace(true);
            }
            break;
        }
        case DJ_JINGZI:
            players_[req.target].grid = BoardDealer::Mirror(players_[req.target].grid);
            break;
        case DJ_ZHANGAI: {
            RoundPlayer& t = players_[req.target];
            t.grid = dealer_.DropPairs(t.grid, 6);
            t.left = static_cast<std::uint8_t>(modGameDefine::CountTiles(t.grid));
            break;
        }
        default:  // compass, freeze, alarm clock, blindfold: the table relays them
            break;
    }
    return true;
}
