// The two clocks of a player: the start button's countdown before a game (a player who
// does not press Start in time leaves the table) and the turn clock during a game (30
// seconds, 20 while alarm-clock turns remain), shown by the time bar.
#pragma once
#include <cstdint>

class TableClient;

class modGameClock {
public:
    explicit modGameClock(TableClient& client);

    // Shows or hides the start button and arms or stops its countdown (blnShowStart).
    void UpdateStartButton();
    void tmrStart_Timer();
    void cmdStart_Click();
    void StartTurnClock();
    void StopTurnClock();
    void ZelTimeBar_OnTimeOut();
    void ZelTimeBar_OnTick();

    std::int32_t lngNaoZhongTurns = 0;  // coming turns shortened to 20 seconds

    static constexpr std::int32_t kTurnSeconds = 30;
    static constexpr std::int32_t kShortTurnSeconds = 20;  // while alarm-clock turns remain
    static constexpr std::int32_t kWarnSeconds = 5;        // warning ticks before a turn ends
    static constexpr int kStartCountdown = 30;             // ticks to press Start
    static constexpr int kStartLeft = 210, kStartTop = 370, kStartWidth = 100, kStartHeight = 28;

private:
    TableClient& client_;
};
