#include "server/MapStore.h"

#include <fstream>
#include <iterator>

MapStore::MapStore(const std::string& dir) {
    for (int n = 1; n <= kMaxMaps; ++n) {
        auto layout = ReadLayout(dir + "/" + FileName(n));
        if (layout && modGameDefine::CountTiles(*layout) >= 2) layouts_[n] = *layout;
    }
}

std::string MapStore::FileName(int n) {
    std::string digits = std::to_string(n);
    while (digits.size() < 3) digits.insert(digits.begin(), '0');
    return "Map" + digits + ".map";
}

std::optional<TileGridT> MapStore::ReadLayout(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    TileGridT grid{};
    std::string line;
    for (int r = 0; r < GameSize::kRows; ++r) {
        if (!std::getline(in, line)) return std::nullopt;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() != static_cast<std::size_t>(GameSize::kCols)) return std::nullopt;
        for (int c = 0; c < GameSize::kCols; ++c)
            grid[r][c] = (line[c] >= '1' && line[c] <= '9') ? 1 : 0;
    }
    return grid;
}

TileGridT MapStore::BuiltInLayout() {
    TileGridT grid{};
    for (int r = 1; r < GameSize::kRows - 1; ++r)
        for (int c = 1; c < GameSize::kCols - 1; ++c) grid[r][c] = 1;
    return grid;
}

TileGridT MapStore::Pick(int n, std::mt19937& rng, int& used) const {
    if (auto it = layouts_.find(n); it != layouts_.end()) {
        used = n;
        return it->second;
    }
    if (layouts_.empty()) {
        used = 0;
        return BuiltInLayout();
    }
    std::uniform_int_distribution<std::size_t> pick(0, layouts_.size() - 1);
    auto it = std::next(layouts_.begin(), static_cast<std::ptrdiff_t>(pick(rng)));
    used = it->first;
    return it->second;
}
