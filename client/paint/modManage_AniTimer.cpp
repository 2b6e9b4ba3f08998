#include "client/paint/modManage_AniTimer.h"

#include <QWidget>

#include "client/TableClient.h"
#include "client/items/modManage_DaoJuObject.h"
#include "client/paint/AniObject.h"
#include "client/paint/TableCanvas.h"
#include "client/paint/modManage_BlastObject.h"
#include "client/paint/modManage_LianJiObject.h"
#include "client/paint/modManage_ShanDianObject.h"
#include "client/platform/WindowTimer.h"

namespace {
// One step of the single animation a task of type 2, 4 or 6 drives; true when it has
// ended (or is not there any more).
template <class Pool>
bool StepOne(const Pool& pool, int index) {
    auto* object = pool.At(index);
    if (!object) return true;
    object->DispCurAni();
    return object->blnAniEnd;
}

// One step of an animation of a removal task unless it has ended; true when it has ended.
template <class Pool>
bool StepIfRunning(const Pool& pool, int index) {
    auto* object = pool.At(index);
    if (!object) return true;
    if (!object->blnAniEnd) object->DispCurAni();
    return object->blnAniEnd;
}
}  // namespace

modManage_AniTimer::modManage_AniTimer(TableClient& client) : client_(client) {}

void modManage_AniTimer::WireTimer(int index) {
    WindowTimer* timer = client_.Canvas()->tmrAni[static_cast<std::size_t>(index)];
    timer->OnTimer = [this, index] { ExecAniTimer(index); };
}

void modManage_AniTimer::InitAniTimer() {
    g_AniTimerTask.assign(1, AniTimerTask{});
    if (!client_.Canvas() || client_.Canvas()->tmrAni.empty()) return;
    client_.Canvas()->tmrAni[0]->SetEnabled(false);
    WireTimer(0);
}

int modManage_AniTimer::GetFreeAniTimer() {
    if (!client_.Canvas() || client_.Canvas()->tmrAni.empty()) return -1;
    auto& timers = client_.Canvas()->tmrAni;
    for (std::size_t i = 0; i < timers.size(); ++i)
        if (!timers[i]->Enabled()) {
            if (g_AniTimerTask.size() <= i) g_AniTimerTask.resize(i + 1);
            return static_cast<int>(i);
        }
    timers.push_back(new WindowTimer(client_.Canvas()->Owner()));
    const int index = static_cast<int>(timers.size()) - 1;
    WireTimer(index);
    g_AniTimerTask.resize(timers.size());
    return index;
}

void modManage_AniTimer::ReleaseAniTimer() {
    if (client_.Canvas()) {
        auto& timers = client_.Canvas()->tmrAni;
        while (timers.size() > 1) {
            delete timers.back();
            timers.pop_back();
        }
        // Element 0 stays; with no task records left it must not tick either.
        if (!timers.empty()) timers[0]->SetEnabled(false);
    }
    g_AniTimerTask.clear();
}

int modManage_AniTimer::StartAniTask(const AniTimerTask& task, int lngInterval) {
    const int index = GetFreeAniTimer();
    if (index < 0) return -1;
    g_AniTimerTask[static_cast<std::size_t>(index)] = task;
    WindowTimer* timer = client_.Canvas()->tmrAni[static_cast<std::size_t>(index)];
    timer->SetInterval(lngInterval);
    timer->SetEnabled(true);
    return index;
}

bool modManage_AniTimer::StartObjectTask(std::uint8_t bteAniType, int objIndex, int lngInterval, clsAniObject& object) {
    AniTimerTask task;
    task.bteAniType = bteAniType;
    task.bteObjIdx = static_cast<std::uint8_t>(objIndex);
    if (StartAniTask(task, lngInterval) >= 0) return true;
    object.Class_Initialize();
    return false;
}

bool modManage_AniTimer::AniAllowed() const {
    return client_.Canvas() && !client_.Canvas()->Unloaded() && !client_.Canvas()->IsMinimized();
}

void modManage_AniTimer::StopTimer(int index) {
    if (!client_.Canvas()) return;
    auto& timers = client_.Canvas()->tmrAni;
    if (index >= 0 && static_cast<std::size_t>(index) < timers.size())
        timers[static_cast<std::size_t>(index)]->SetEnabled(false);
}

void modManage_AniTimer::ExecAniTimer(int index) {
    // A tick without a task record (after the release) only stops its timer.
    if (index < 0 || static_cast<std::size_t>(index) >= g_AniTimerTask.size()) {
        StopTimer(index);
        return;
    }
    const AniTimerTask task = g_AniTimerTask[static_cast<std::size_t>(index)];
    bool ended = true;
    switch (task.bteAniType) {
        case ANITYPE_DELFK: {
            bool lightningEnded = true;
            if (task.bteShanDianIdx != kNoShanDian)
                lightningEnded = StepIfRunning(client_.shanDianObjects->g_ShanDianObj, task.bteShanDianIdx);
            const bool blast1Ended = StepIfRunning(client_.blastObjects->g_BlastObj, task.bteBlastIdx1);
            const bool blast2Ended = StepIfRunning(client_.blastObjects->g_BlastObj, task.bteBlastIdx2);
            ended = lightningEnded && blast1Ended && blast2Ended;
            break;
        }
        case ANITYPE_SHANDIAN:
            ended = StepOne(client_.shanDianObjects->g_ShanDianObj, task.bteObjIdx);
            break;
        case ANITYPE_LIANJI:
            ended = StepOne(client_.lianJiObjects->g_LianJiObj, task.bteObjIdx);
            break;
        case ANITYPE_DAOJU:
            ended = StepOne(client_.daoJuObjects->g_DaoJuObj, task.bteObjIdx);
            break;
        default:
            break;  // no task: the timer stops
    }
    if (ended) StopTimer(index);
}
