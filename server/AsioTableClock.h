// The tables' clock in the running server: the steady clock and timers on the event loop.
// With a runner, every timer's step and every confined call go through it (the room's
// runner takes the table's lock), so a table is never entered from two threads at once.
#pragma once
#include <asio/io_context.hpp>

#include <functional>

#include "server/TableClock.h"

class AsioTableClock : public TableClock {
public:
    using Runner = std::function<void(const std::function<void()>& step)>;

    explicit AsioTableClock(asio::io_context& io, Runner run = {}) : io_(io), run_(std::move(run)) {}
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    std::unique_ptr<TableTimer> MakeTimer() override;
    std::function<void()> Confined(std::function<void()> fn) override;

private:
    asio::io_context& io_;
    Runner run_;
};
