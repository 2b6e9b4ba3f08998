#include "server/AsioTableClock.h"

#include <asio/steady_timer.hpp>

namespace {

class AsioTableTimer : public TableTimer {
public:
    explicit AsioTableTimer(asio::io_context& io) : timer_(io) {}
    ~AsioTableTimer() override { Cancel(); }

    void Arm(std::chrono::milliseconds delay, std::function<void()> fire) override {
        timer_.expires_after(delay);
        const std::uint64_t run = ++*armed_;
        // A handler may already be queued when the timer is re-armed, cancelled or gone:
        // it runs only while it is still the latest arming of a live timer.
        timer_.async_wait(
            [armed = std::weak_ptr<std::uint64_t>(armed_), run, fire = std::move(fire)](std::error_code ec) {
                const auto live = armed.lock();
                if (ec || !live || *live != run) return;
                fire();
            });
    }
    void Cancel() override {
        ++*armed_;
        timer_.cancel();
    }

private:
    asio::steady_timer timer_;
    std::shared_ptr<std::uint64_t> armed_ = std::make_shared<std::uint64_t>(0);
};

}  // namespace

std::unique_ptr<TableTimer> AsioTableClock::MakeTimer() { return std::make_unique<AsioTableTimer>(io_); }
