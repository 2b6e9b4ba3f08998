// The room's title table: the titles a player earns with points, as the lobby hands it to
// the table client (its fifth launch argument) and as the room shows them in the lobby.
#pragma once
#include <cstdint>
#include <string>

namespace TitleTable {

// Fields separated by backquotes, each a title, an underscore and its lowest points.
inline constexpr char kText[] = "长工_100`短工_200`佃农_500`贫农_1000`中农_2000`富农_4000`地主_8000`恶霸_12000";

// The highest title whose lowest points the player has; the first title below them all.
std::string For(std::int64_t points);

}  // namespace TitleTable
