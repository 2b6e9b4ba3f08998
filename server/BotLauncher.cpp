#include "server/BotLauncher.h"

bool BotLauncher::Start(int table, const std::string& program, const std::vector<std::string>& args,
                        const std::vector<std::string>& names) {
    Reap();
    if (groups_.count(table)) return false;
    ChildProcess process;
    if (!process.Start(program, args, false)) return false;
    groups_.emplace(table, Group{std::move(process), names});
    return true;
}

const std::vector<std::string>* BotLauncher::NamesAt(int table) const {
    const auto it = groups_.find(table);
    return it == groups_.end() ? nullptr : &it->second.names;
}

void BotLauncher::Stop(int table) {
    const auto it = groups_.find(table);
    if (it == groups_.end()) return;
    it->second.process.Stop();
    groups_.erase(it);
}

void BotLauncher::Reap() {
    for (auto it = groups_.begin(); it != groups_.end();)
        it = it->second.process.Running() ? std::next(it) : groups_.erase(it);
}
