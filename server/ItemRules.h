// The item rules of the room: the catalogue a table plays with (prices, free counts,
// usability and earning), earning uses by removed tiles, and charging a use.
#pragma once
#include <optional>
#include <string>

#include "core/GameMessages.h"

namespace ItemRules {

using GameMessages::ItemCounts;
using GameMessages::ItemTable;

// The catalogue the server deals with by default: no prices; a compass, a rearrange, a
// bomb and the map choice free at the start; every item earned by removing tiles; the
// items thrown at others usable from the tenth removed tile on.
ItemTable DefaultCatalogue();

// Reads a catalogue file: nine lines "price free use-self need-removed free-per-removed",
// one per item in item order; blank lines and lines starting with '#' are skipped.
// Empty with a message in `error` when the file cannot be read or a value is out of range.
std::optional<ItemTable> LoadCatalogue(const std::string& path, std::string& error);

// Uses earned when a seat's removed tiles go from `before` to `after`: one use of item k
// for every multiple of its bteFreePerDelFk passed. Counts stop at 255.
void Earn(const ItemTable& items, ItemCounts& counts, int before, int after);

enum class Charge { Free, Paid, Refused };

// What one use of item k costs: a free use while the count is above 0 (the count goes
// down by one), the price in points when the count is 0 and the table has a price that
// the points left can pay (`pointsLeft` goes down), refused otherwise.
Charge ChargeUse(const ItemTable& items, int k, ItemCounts& counts, std::int64_t& pointsLeft);

}  // namespace ItemRules
