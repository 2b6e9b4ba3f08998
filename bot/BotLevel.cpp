#include "bot/BotLevel.h"

#include <CLI/CLI.hpp>

namespace BotLevels {

const std::vector<BotLevel>& All() {
    // At normal even a skill-3 player (1.8 s a pair at pace 1) needs about 2.7 s a pair,
    // and chooses an item at most every 27 x 1.5 = 40 s.
    static const std::vector<BotLevel> levels = {
        {"easy", 1, 2, 1.8, 40},
        {"normal", 1, 3, 1.5, 27},
        {"hard", 2, 4, 1.0, 20},
        {"expert", 3, 5, 0.8, 10},
    };
    return levels;
}

const BotLevel* Find(const std::string& name) {
    for (const auto& l : All())
        if (l.name == name) return &l;
    return nullptr;
}

const BotLevel& Default() { return *Find("normal"); }

std::string Names() {
    std::string out;
    for (const auto& l : All()) out += (out.empty() ? "" : "|") + l.name;
    return out;
}

CLI::Option* AddOption(CLI::App& app, std::string& name) {
    return app.add_option("--level", name, "the computer players' level (default " + Default().name + ")")
        ->check(
            [](const std::string& v) {
                return Find(v) ? std::string() : "unknown level \"" + v + "\"; the levels are " + Names();
            },
            Names())
        ->type_name("LEVEL");
}

}  // namespace BotLevels
