#include "server/BotLauncher.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

BotLauncher::~BotLauncher() {
    while (!groups_.empty()) Stop(groups_.begin()->first);
}

bool BotLauncher::Start(int table, const std::string& program, const std::vector<std::string>& args,
                        const std::vector<std::string>& names) {
    Reap();
    if (groups_.count(table)) return false;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    groups_[table] = {pid, names};
    return true;
}

const std::vector<std::string>* BotLauncher::NamesAt(int table) const {
    const auto it = groups_.find(table);
    return it == groups_.end() ? nullptr : &it->second.names;
}

void BotLauncher::Stop(int table) {
    const auto it = groups_.find(table);
    if (it == groups_.end()) return;
    ::kill(it->second.pid, SIGTERM);
    int status = 0;
    ::waitpid(it->second.pid, &status, 0);
    groups_.erase(it);
}

void BotLauncher::Reap() {
    for (auto it = groups_.begin(); it != groups_.end();) {
        int status = 0;
        it = ::waitpid(it->second.pid, &status, WNOHANG) == it->second.pid ? groups_.erase(it) : std::next(it);
    }
}
