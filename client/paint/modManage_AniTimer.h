// Animation tasks: each running animation owns one window timer of tmrAni; its task
// record says which pooled objects the timer drives.
#pragma once
#include <cstdint>
#include <vector>

class TableClient;

inline constexpr std::uint8_t ANITYPE_DELFK = 1;
inline constexpr std::uint8_t ANITYPE_SHANDIAN = 2;
inline constexpr std::uint8_t ANITYPE_LIANJI = 4;
inline constexpr std::uint8_t ANITYPE_DAOJU = 6;
inline constexpr std::uint8_t kNoShanDian = 250;  // no lightning in a removal task

struct AniTimerTask {
    std::uint8_t bteAniType = 0;
    std::uint8_t bteObjIdx = 0;
    std::uint8_t bteBlastIdx1 = 0;
    std::uint8_t bteBlastIdx2 = 0;
    std::uint8_t bteShanDianIdx = kNoShanDian;
};

class modManage_AniTimer {
public:
    explicit modManage_AniTimer(TableClient& client);

    void InitAniTimer();
    int GetFreeAniTimer();
    void ReleaseAniTimer();
    void ExecAniTimer(int index);

    std::vector<AniTimerTask> g_AniTimerTask;

private:
    TableClient& client_;
};
