// The names a user may go by in the room, at every door (seat tickets, guests, accounts):
// a ticket's name rules, text that reaches every table client unchanged in its code page,
// something visible besides blanks and control characters, and none of the names the
// server speaks under itself (系统 for its chat lines, 所有人 for a line to everybody),
// also not hidden behind invisible characters.
#pragma once
#include <string_view>

namespace UserNames {

bool Acceptable(std::string_view name);

}  // namespace UserNames
