#include "server/TableClock.h"

#include <optional>

class VirtualTableClock::Timer : public TableTimer {
public:
    explicit Timer(VirtualTableClock& clock) : clock_(clock) {}
    ~Timer() override { Cancel(); }
    void Arm(std::chrono::milliseconds delay, std::function<void()> fire) override {
        Cancel();
        key_ = clock_.Schedule(this, delay, std::move(fire));
    }
    void Cancel() override {
        if (key_) clock_.Drop(*key_);
        key_.reset();
    }
    // The clock took the pending run out to fire it.
    void Fired() { key_.reset(); }

private:
    VirtualTableClock& clock_;
    std::optional<Key> key_;
};

// Any start will do; a day in, so that no time of the table coincides with a zero time.
VirtualTableClock::VirtualTableClock() : now_(std::chrono::hours(24)) {}

VirtualTableClock::~VirtualTableClock() = default;

std::unique_ptr<TableTimer> VirtualTableClock::MakeTimer() { return std::make_unique<Timer>(*this); }

VirtualTableClock::Key VirtualTableClock::Schedule(Timer* timer, std::chrono::milliseconds delay,
                                                   std::function<void()> fire) {
    const Key key{now_ + std::max(delay, std::chrono::milliseconds(0)), ++armed_};
    due_[key] = Entry{timer, std::move(fire)};
    return key;
}

void VirtualTableClock::Advance(std::chrono::milliseconds by) {
    const TimePoint until = now_ + by;
    while (!due_.empty() && due_.begin()->first.first <= until) {
        auto first = due_.begin();
        now_ = first->first.first;
        Entry e = std::move(first->second);
        due_.erase(first);
        e.timer->Fired();
        e.fire();
    }
    now_ = until;
}
