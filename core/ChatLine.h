// A chat line to the whole table, as the chat panel composes it: the ten fields of
// ChatFields, with the sender's clock. The computer players say their lines with it.
#pragma once
#include <string>
#include <vector>

namespace ChatLine {

// The local time of day as a chat line carries it, "HH:MM:SS".
std::string ClockText();

// The ten fields of a line from `sender` to everybody (not private), in `colour`
// (0xRRGGBB), without a face and in plain style.
std::vector<std::string> ToEveryone(const std::string& sender, const std::string& text, int colour = 0);

}  // namespace ChatLine
