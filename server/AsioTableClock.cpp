#include "server/AsioTableClock.h"

#include <asio/steady_timer.hpp>

namespace {

class AsioTableTimer : public TableTimer {
public:
    AsioTableTimer(asio::io_context& io, const AsioTableClock::Runner& run) : timer_(io), run_(run) {}
    ~AsioTableTimer() override { Cancel(); }

    void Arm(std::chrono::milliseconds delay, std::function<void()> fire) override {
        timer_.expires_after(delay);
        const std::uint64_t run = ++*armed_;
        // A handler may already be queued when the timer is re-armed, cancelled or gone:
        // it runs only while it is still the latest arming of a live timer.
        // The check runs under the runner too: cancelling and destroying happen there.
        timer_.async_wait([armed = std::weak_ptr<std::uint64_t>(armed_), run, fire = std::move(fire),
                           runner = run_](std::error_code ec) {
            if (ec) return;
            auto step = [&] {
                const auto live = armed.lock();
                if (live && *live == run) fire();
            };
            if (runner) runner(step);
            else step();
        });
    }
    void Cancel() override {
        ++*armed_;
        timer_.cancel();
    }

private:
    asio::steady_timer timer_;
    const AsioTableClock::Runner& run_;
    std::shared_ptr<std::uint64_t> armed_ = std::make_shared<std::uint64_t>(0);
};

}  // namespace

std::unique_ptr<TableTimer> AsioTableClock::MakeTimer() { return std::make_unique<AsioTableTimer>(io_, run_); }

std::function<void()> AsioTableClock::Confined(std::function<void()> fn) {
    if (!run_) return fn;
    return [run = run_, fn = std::move(fn)] { run(fn); };
}
