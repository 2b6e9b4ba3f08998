// The two clocks of a player: the start button's countdown before a game (a player who
// does not press Start in time leaves the table) and the turn clock during a game (30
// seconds, 20 while alarm-clock turns remain), shown by the time bar.
#pragma once
#include <cstdint>

class TableClient;

class modGameClock {
public:
    explicit modGameClock(TableClient& client);

    void UpdateStartButton();
    void tmrStart_Timer();
    void cmdStart_Click();
    void StartTurnClock();
    void StopTurnClock();
    void ZelTimeBar_OnTimeOut();
    void ZelTimeBar_OnTick();

    std::int32_t lngNaoZhongTurns = 0;  // coming turns shortened to 20 seconds

private:
    TableClient& client_;
};
