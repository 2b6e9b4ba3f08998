// Time as a table sees it: the clock of its turns, drops and idle seats, and one-shot
// timers on it. The room runs tables on the event loop's clock (AsioTableClock); the
// in-process tests run them on a virtual clock that moves only when told.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

class TableTimer {
public:
    virtual ~TableTimer() = default;
    // Runs `fire` once after `delay`; arming again or cancelling drops the pending run.
    // Destroying the timer cancels it.
    virtual void Arm(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
    virtual void Cancel() = 0;
};

class TableClock {
public:
    // The clock whose time points a table counts in; tables read the time only through Now().
    using Steady = std::chrono::steady_clock;
    using TimePoint = Steady::time_point;

    virtual ~TableClock() = default;
    virtual TimePoint Now() const = 0;
    virtual std::unique_ptr<TableTimer> MakeTimer() = 0;
    // `fn` made safe to call from anywhere in the room (an answer of the records store):
    // it runs on the table's own turn. A clock of one thread returns it as it is.
    virtual std::function<void()> Confined(std::function<void()> fn) { return fn; }
};

// A clock that stands still until Advance: then it fires every timer that falls due, in
// the order they fall due (armed order for the same instant), each at its own time, also
// the timers armed by the ones fired. It must outlive its timers.
class VirtualTableClock : public TableClock {
public:
    VirtualTableClock();
    ~VirtualTableClock() override;

    TimePoint Now() const override { return now_; }
    std::unique_ptr<TableTimer> MakeTimer() override;
    void Advance(std::chrono::milliseconds by);
    // Timers armed and not yet fired.
    std::size_t Pending() const { return due_.size(); }

private:
    class Timer;
    using Key = std::pair<TimePoint, std::uint64_t>;
    struct Entry {
        Timer* timer = nullptr;
        std::function<void()> fire;
    };
    Key Schedule(Timer* timer, std::chrono::milliseconds delay, std::function<void()> fire);
    void Drop(const Key& key) { due_.erase(key); }

    TimePoint now_;
    std::uint64_t armed_ = 0;
    std::map<Key, Entry> due_;
};
