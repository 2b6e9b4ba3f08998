// The commands of tilelink-rules over a board given as text: 10 lines of 18
// blank-separated tile codes (0 empty, 1..39 tiles), row 0 first.
//   check-link R1 C1 R2 C2   yes and the path's nodes as ROW,COL, or no
//   find-pair                the same for the first linkable pair of the board
//   solvable [--limit N] [--moves]
//                            yes, no or unknown (node limit reached), then the number
//                            of boards the search stood on, then with --moves the
//                            removals in order
// Answers go to `out` with exit code 0; bad input gets a message on `err` and 2.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "core/modGameDefine.h"

namespace RulesCommand {

inline constexpr int kExitBadInput = 2;

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err);

// Reads the board text; false with a message naming the line when it is not a board.
bool ReadBoard(std::istream& in, TileGridT& grid, std::string& error);

}  // namespace RulesCommand
