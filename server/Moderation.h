// The room's moderation state: bans and mutes in force (read from the store at the start
// and kept with every step taken since), and each player's ignore list, whose chat the
// room keeps from that player at the tables and in the lobby. Safe on any thread: its
// lock is taken last, with nothing else taken under it.
#pragma once
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "server/Store.h"

class Moderation {
public:
    static constexpr std::size_t kMaxIgnored = 100;  // names on one player's ignore list

    // Takes a step: ban, unban, mute or unmute (a kick leaves no state).
    void Apply(const ModerationAction& step);
    // The end of the ban or mute in force, 0 when none.
    std::int64_t BannedUntil(const std::string& name, std::int64_t now) const;
    std::int64_t MutedUntil(const std::string& name, std::int64_t now) const;
    // The bans and mutes in force, bans first.
    std::vector<ModerationAction> InForce(std::int64_t now) const;

    // False when the list is full.
    bool SetIgnore(const std::string& listener, const std::string& speaker, bool on);
    bool Ignores(const std::string& listener, const std::string& speaker) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, ModerationAction> bans_, mutes_;
    std::map<std::string, std::set<std::string>> ignores_;
};
