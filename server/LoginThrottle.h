// Failed logins counted per address and per name over a sliding window: past the limit a
// login from that address, or for that name, is refused without checking the password
// until the oldest failure counted leaves the window. Registrations count against their
// address the same way. The counts are bounded: stale ones are swept away.
#pragma once
#include <chrono>
#include <cstddef>
#include <deque>
#include <string>
#include <unordered_map>

class LoginThrottle {
public:
    using Clock = std::chrono::steady_clock;
    struct Limits {
        int perName = 5;      // failed logins of one name in the window
        int perAddress = 20;  // failed logins (and registrations) of one address
        std::chrono::seconds window{300};
        std::size_t maxKeys = 100000;  // names and addresses remembered at once
    };

    LoginThrottle() = default;
    explicit LoginThrottle(Limits limits) : limits_(limits) {}

    // Whether a login may be tried now; `name` empty for a registration.
    bool Allowed(const std::string& address, const std::string& name, Clock::time_point now);
    // Counts a failure against both (a registration against the address only).
    void Failed(const std::string& address, const std::string& name, Clock::time_point now);
    // A good login clears the name's failures.
    void Succeeded(const std::string& name) { byName_.erase(name); }

private:
    using Counts = std::unordered_map<std::string, std::deque<Clock::time_point>>;
    int Recent(Counts& counts, const std::string& key, Clock::time_point now);
    void Add(Counts& counts, const std::string& key, Clock::time_point now);

    Limits limits_;
    Counts byName_, byAddress_;
};
