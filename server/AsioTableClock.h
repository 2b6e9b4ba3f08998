// The tables' clock in the running server: the steady clock and timers on the event loop.
#pragma once
#include <asio/io_context.hpp>

#include "server/TableClock.h"

class AsioTableClock : public TableClock {
public:
    explicit AsioTableClock(asio::io_context& io) : io_(io) {}
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    std::unique_ptr<TableTimer> MakeTimer() override;

private:
    asio::io_context& io_;
};
