// The pool of combo banners, each entry with its own hidden composition area
// (TableCanvas::picLianJi) and banner picture (TableCanvas::imgLianJi) of the same index, and
// the starter of a banner over a seat's board.
#pragma once
#include <array>
#include <string>

#include "client/paint/AniObject.h"
#include "client/paint/clsAni_LianJi.h"
#include "client/paint/modPaint_Number.h"

class TableClient;

class modManage_LianJiObject {
public:
    explicit modManage_LianJiObject(TableClient& client);
    ~modManage_LianJiObject();
    void InitLianJiObject();
    // The lowest idle entry, or a new one with its own composition controls; -1 when the
    // pool is full.
    int GetFreeLianJiObject();
    void ReleaseLianJiObject();
    // A banner with the combo text over the board of the seat.
    void StartLianJiAni(int seat, const std::string& text);

    struct LianJiPos {
        std::int32_t x = 0;
        std::int32_t y = 0;
    };
    std::array<LianJiPos, 6> udtLianJiPos{};  // start points by display position

    AniObjectPool<clsAni_LianJi> g_LianJiObj;
    modPaint_Number paintNumber;

    static constexpr int kStepCount = 12;
    static constexpr int kInterval = 60;

private:
    // The composition controls of entry `index`, made when missing.
    void EnsureControls(int index);

    TableClient& client_;
};
