#include "lobby/ReopenGuard.h"

bool ReopenGuard::Allow(Clock::time_point now) {
    while (!recent_.empty() && now - recent_.front() >= window_) recent_.pop_front();
    if (static_cast<int>(recent_.size()) >= most_) return false;
    recent_.push_back(now);
    return true;
}
