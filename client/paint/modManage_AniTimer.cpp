// Animations do not run yet. (placeholder until the module is written)
#include "client/paint/modManage_AniTimer.h"

#include "client/TableClient.h"

modManage_AniTimer::modManage_AniTimer(TableClient& client) : client_(client) {}
void modManage_AniTimer::InitAniTimer() {}
int modManage_AniTimer::GetFreeAniTimer() { return 0; }
void modManage_AniTimer::ReleaseAniTimer() {}
void modManage_AniTimer::ExecAniTimer([[maybe_unused]] int index) {}
