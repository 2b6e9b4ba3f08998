// One user of the room: who it is, its record, where it sits or whom it watches, its
// outbox (none while dropped) and the per-user game state the server keeps.
#pragma once
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "server/Store.h"

class Outbox;

// Chat lines allowed now, refilled over time: `perMinute` lines a minute, five at once.
struct ChatBudget {
    double tokens = 5;
    std::chrono::steady_clock::time_point at{};
    bool Take(std::chrono::steady_clock::time_point now, int perMinute);
};

struct UserSession {
    std::string name;
    bool guest = false;
    std::atomic<bool> lease{false};  // holds the account's session lease in the store
    UserStats stats;
    std::shared_ptr<Outbox> conn;  // the user's connection; empty while it is lost

    int table = 0;
    int seat = -1;        // -1 for a spectator
    std::string watched;  // the watched player's name, for a spectator
    bool allowWatch = true;
    bool ready = false;  // hand raised: pressed start or agreed to the settings
    bool dropped = false;
    std::chrono::steady_clock::time_point droppedAt{};
    int alarmTurns = 0;  // coming turns shortened by alarm clocks, as the client counts them

    ChatBudget chat;
    // Spends one line of the chat budget (`perMinute` lines a minute, five at once): a chat
    // line, or a map choice that the table reads as a line; false when it is spent.
    bool TakeChatLine(std::chrono::steady_clock::time_point now, int perMinute);

    bool IsWatcher() const { return seat < 0; }
    bool Connected() const { return conn != nullptr; }

    // The 16-field user record of the user list; `chair` is the seat, or the watched
    // player's seat for a spectator.
    std::string RecordText(int chair) const;
    // The 9-field update of 108/6.
    std::string UpdateText() const;
};
