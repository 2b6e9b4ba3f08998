// Keeps a window that keeps ending from being opened again and again: at most `most`
// openings within `window`.
#pragma once
#include <chrono>
#include <deque>

class ReopenGuard {
public:
    using Clock = std::chrono::steady_clock;
    explicit ReopenGuard(int most = 3, Clock::duration window = std::chrono::minutes(1))
        : most_(most), window_(window) {}

    // True (and counted) when one more opening at `now` stays within the limit.
    bool Allow(Clock::time_point now);

private:
    int most_;
    Clock::duration window_;
    std::deque<Clock::time_point> recent_;
};
