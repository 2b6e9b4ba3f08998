// The difficulty levels a player chooses for the computer players: which skills sit at
// the table, how fast they play and how often they use an item of their own accord.
#pragma once
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

struct BotLevel {
    std::string name;
    int minSkill = 1, maxSkill = 3;  // each player gets a skill in this range
    double pace = 1.0;               // multiplies every pause (and the item gap)
    double itemGapSeconds = 27;      // at least this long between two chosen items, at pace 1
};

namespace BotLevels {

// easy, normal, hard, expert, in that order.
const std::vector<BotLevel>& All();
// The level of that name, or nullptr.
const BotLevel* Find(const std::string& name);
// "normal": what a newcomer can beat in a fair share of games.
const BotLevel& Default();
// "easy|normal|hard|expert"
std::string Names();
// --level LEVEL: the name of a level into `name`; another name is refused with the list.
CLI::Option* AddOption(CLI::App& app, std::string& name);

}  // namespace BotLevels
