// Animation tasks: each running animation owns one window timer of tmrAni; its task
// record says which pooled objects the timer drives. Every tick draws one step; a timer
// whose task has ended is disabled and free for the next task.
#pragma once
#include <cstdint>
#include <vector>

class TableClient;
class clsAniObject;

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
    // The lowest disabled timer, or a new disabled one at the end; -1 without a window.
    int GetFreeAniTimer();
    void ReleaseAniTimer();
    // One tick of timer `index`.
    void ExecAniTimer(int index);

    // Gives the task a free timer: writes its record, sets the interval and enables it.
    // Returns the timer's index, -1 when there is no timer to run it on.
    int StartAniTask(const AniTimerTask& task, int lngInterval);
    // The task of one started object (types 2, 4, 6); when no timer can run it, the
    // object goes back to idle. False then.
    bool StartObjectTask(std::uint8_t bteAniType, int objIndex, int lngInterval, clsAniObject& object);
    // Animations start only on a window that is there, not unloaded and not minimised.
    bool AniAllowed() const;

    std::vector<AniTimerTask> g_AniTimerTask;

private:
    // The tick handler of element `index`.
    void WireTimer(int index);
    void StopTimer(int index);

    TableClient& client_;
};
