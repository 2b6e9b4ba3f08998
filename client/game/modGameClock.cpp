// The clocks do not run yet. (placeholder until the module is written)
#include "client/game/modGameClock.h"

#include "client/TableClient.h"

modGameClock::modGameClock(TableClient& client) : client_(client) {}
void modGameClock::UpdateStartButton() {}
void modGameClock::tmrStart_Timer() {}
void modGameClock::cmdStart_Click() {}
void modGameClock::StartTurnClock() {}
void modGameClock::StopTurnClock() {}
void modGameClock::ZelTimeBar_OnTimeOut() {}
void modGameClock::ZelTimeBar_OnTick() {}
