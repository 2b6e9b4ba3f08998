// The pool of link lightning animations, the two lightning strips they cut their pieces
// from, and the starter of a lightning of its own (the compass's hint).
#pragma once
#include "client/paint/AniObject.h"
#include "client/paint/clsAni_ShanDian.h"
#include "core/modLinkSearch.h"

class TableClient;

class modManage_ShanDianObject {
public:
    explicit modManage_ShanDianObject(TableClient& client);
    ~modManage_ShanDianObject();
    void InitShanDianObject();
    // The lowest idle entry, or a new one; -1 when the pool is full.
    int GetFreeShanDianObject();
    void ReleaseShanDianObject();
    // A lightning along the path as a task of its own; none between touching tiles.
    void StartShanDianAni(const LinkPath& path);

    // Two tiles side by side in a row or a column: nothing to draw between them.
    static bool IsNeighbourPair(const LinkPath& path);

    AniObjectPool<clsAni_ShanDian> g_ShanDianObj;

    static constexpr int kStepCount = 3;
    static constexpr int kInterval = 50;
    static constexpr int kHzStripWidth = 434, kHzStripHeight = 24;
    static constexpr int kVsStripWidth = 23, kVsStripHeight = 420;

private:
    TableClient& client_;
};
