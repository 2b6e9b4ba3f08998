#include "server/MapStore.h"

#include <iterator>

#include "core/modMapFile.h"

MapStore::MapStore(const std::string& dir) {
    for (int n = 1; n <= kMaxMaps; ++n) {
        TileGridT layout{};
        if (modMapFile::ReadMapFile(dir + "/" + modMapFile::MapFileName(n), layout) &&
            modGameDefine::CountTiles(layout) >= 2)
            layouts_[n] = layout;
    }
    titles_ = modMapFile::ReadMapTitles(dir + "/" + modMapFile::kMapTitleFile);
}

std::string MapStore::Title(int n) const {
    return n >= 0 && n < static_cast<int>(titles_.size()) ? titles_[static_cast<std::size_t>(n)] : std::string();
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
