#include "server/LoginThrottle.h"

int LoginThrottle::Recent(Counts& counts, const std::string& key, Clock::time_point now) {
    auto it = counts.find(key);
    if (it == counts.end()) return 0;
    auto& times = it->second;
    while (!times.empty() && now - times.front() >= limits_.window) times.pop_front();
    if (times.empty()) {
        counts.erase(it);
        return 0;
    }
    return static_cast<int>(times.size());
}

void LoginThrottle::Add(Counts& counts, const std::string& key, Clock::time_point now) {
    if (counts.size() >= limits_.maxKeys && !counts.count(key)) {
        for (auto it = counts.begin(); it != counts.end();) {
            const bool stale = it->second.empty() || now - it->second.back() >= limits_.window;
            it = stale ? counts.erase(it) : std::next(it);
        }
        if (counts.size() >= limits_.maxKeys) counts.erase(counts.begin());  // full of fresh ones: one goes
    }
    auto& times = counts[key];
    times.push_back(now);
    // Only the last `limit` failures matter.
    while (times.size() > static_cast<std::size_t>(std::max(limits_.perName, limits_.perAddress))) times.pop_front();
}

bool LoginThrottle::Allowed(const std::string& address, const std::string& name, Clock::time_point now) {
    if (Recent(byAddress_, address, now) >= limits_.perAddress) return false;
    return name.empty() || Recent(byName_, name, now) < limits_.perName;
}

void LoginThrottle::Failed(const std::string& address, const std::string& name, Clock::time_point now) {
    Add(byAddress_, address, now);
    if (!name.empty()) Add(byName_, name, now);
}
