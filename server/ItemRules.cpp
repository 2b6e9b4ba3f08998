#include "server/ItemRules.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>

namespace ItemRules {

ItemTable DefaultCatalogue() {
    using namespace modDaoJuDefine;
    struct Rule {
        std::uint8_t free, needDel, perDel;
    };
    // free uses at the start, tiles removed before use, one more use per so many tiles
    constexpr Rule kRules[kItemCount] = {
        {1, 0, 24},   // compass
        {1, 0, 40},   // rearrange
        {0, 10, 30},  // freeze
        {0, 10, 36},  // alarm clock
        {1, 4, 32},   // bomb
        {0, 10, 34},  // blindfold
        {0, 16, 44},  // mirror
        {0, 16, 50},  // obstacle
        {1, 0, 0},    // map choice
    };
    ItemTable items;
    for (int k = 0; k < kItemCount; ++k) {
        items[k] = DefaultItem(k);
        items[k].bteFreeCount = kRules[k].free;
        items[k].bteNeedDelFk = kRules[k].needDel;
        items[k].bteFreePerDelFk = kRules[k].perDel;
    }
    return items;
}

std::optional<ItemTable> LoadCatalogue(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return std::nullopt;
    }
    ItemTable items = DefaultCatalogue();
    int k = 0;
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        if (line.empty() || line[0] == '#' || line.find_first_not_of(" \t\r") == std::string::npos) continue;
        std::istringstream fields(line);
        long long price, free, self, need, per;
        if (k >= modDaoJuDefine::kItemCount || !(fields >> price >> free >> self >> need >> per) || price < -1 ||
            price > INT32_MAX || free < 0 || free > 255 || need < 0 || need > 255 || per < 0 || per > 255) {
            error = path + ":" + std::to_string(lineNo) + ": expected \"price free use-self need per\"";
            return std::nullopt;
        }
        items[k].lngPrice = static_cast<std::int32_t>(price);
        items[k].bteFreeCount = static_cast<std::uint8_t>(free);
        items[k].blnUseSelf = self != 0;
        items[k].bteNeedDelFk = static_cast<std::uint8_t>(need);
        items[k].bteFreePerDelFk = static_cast<std::uint8_t>(per);
        ++k;
    }
    if (k != modDaoJuDefine::kItemCount) {
        error = path + ": nine item lines expected, found " + std::to_string(k);
        return std::nullopt;
    }
    return items;
}

void Earn(const ItemTable& items, ItemCounts& counts, int before, int after) {
    for (int k = 0; k < modDaoJuDefine::kItemCount; ++k) {
        const int per = items[k].bteFreePerDelFk;
        if (per == 0) continue;
        const int earned = after / per - before / per;
        if (earned > 0) counts[k] = static_cast<std::uint8_t>(std::min(255, counts[k] + earned));
    }
}

Charge ChargeUse(const ItemTable& items, int k, ItemCounts& counts, std::int64_t& pointsLeft) {
    if (k < 0 || k >= modDaoJuDefine::kItemCount) return Charge::Refused;
    if (counts[k] > 0) {
        --counts[k];
        return Charge::Free;
    }
    const std::int32_t price = items[k].lngPrice;
    if (price < 0 || pointsLeft < price) return Charge::Refused;
    pointsLeft -= price;
    return Charge::Paid;
}

}  // namespace ItemRules
