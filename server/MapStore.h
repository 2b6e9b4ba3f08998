// The maps the server deals from: the layouts Res/Map/Map001.map ... of the game folder
// (10 lines of 18 characters; a digit 1..9 marks a tile cell) and their titles in
// MapTitle.txt, read once at start.
// Map 0 is the random choice; without any map file a built-in layout is dealt.
#pragma once
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/modGameDefine.h"

class MapStore {
public:
    static constexpr int kMaxMaps = 255;

    // Reads every map file of the folder; a missing folder leaves only the built-in layout.
    explicit MapStore(const std::string& dir);

    // The layout used when no map file is there: 8 x 16 tiles inside a free border.
    static TileGridT BuiltInLayout();

    int Count() const { return static_cast<int>(layouts_.size()); }
    bool Has(int n) const { return layouts_.count(n) != 0; }
    // A map number a player may choose: 0 (random) or a map that exists.
    bool Choosable(int n) const { return n == 0 || Has(n); }

    // Map n's title from MapTitle.txt of the same folder (entry 0 is the random choice's);
    // empty when the file has none for n.
    std::string Title(int n) const;

    // The layout for map n; for 0 or a missing map a random map (then `used` tells which;
    // 0 for the built-in layout).
    TileGridT Pick(int n, std::mt19937& rng, int& used) const;

private:
    std::map<int, TileGridT> layouts_;
    std::vector<std::string> titles_;
};
