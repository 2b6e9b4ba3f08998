// What items do on the receiving screen: the freeze sign and the blocked selection, the
// black fog, the shortened turns of the alarm clock, and the compass's hint marks. The
// freeze and the fog each count down on their own one-second timer; a further hit while
// one runs prolongs it.
#pragma once
#include <cstdint>

#include "client/platform/Gdi.h"
#include "core/modLinkSearch.h"

class TableClient;
class WindowTimer;

class modDaoJuEffect {
public:
    explicit modDaoJuEffect(TableClient& client);

    void InitDaoJuEffect();
    void InitNaoZhong();
    void StartJinShou(std::int32_t lngSecond);
    void StartMengYan(std::int32_t lngSecond);
    void tmrJinShou_Timer();
    void tmrMengYan_Timer();
    void EndJinShou();
    void EndMengYan();
    void PaintJinShou();
    void PaintMengYan();
    void PaintZhiNanZhen(CellPos first, CellPos last);

    std::int32_t lngJinShouSecond = 0;
    std::int32_t lngMengYanSecond = 0;

    static constexpr int kTimerInterval = 1000;
    // The freeze sign: a red ring with a diagonal bar over the own board.
    static constexpr Gdi::ColorRef kJinShouColor = Gdi::RGB(255, 50, 50);
    static constexpr int kJinShouLineWidth = 20;
    static constexpr int kJinShouCenterX = 300, kJinShouCenterY = 360, kJinShouRadius = 120;
    static constexpr int kJinShouBarX1 = 220, kJinShouBarY1 = 440, kJinShouBarX2 = 380, kJinShouBarY2 = 280;
    // The fog: from 17 left of and 20 above the own board, 593 x 385 more.
    static constexpr int kMengYanLeft = 17, kMengYanAbove = 20, kMengYanWidth = 593, kMengYanHeight = 385;
    // The hint marks: a 4-pixel blue frame inside each of the two tiles.
    static constexpr Gdi::ColorRef kZhiNanZhenColor = Gdi::RGB(100, 100, 250);
    static constexpr int kZhiNanZhenFrames = 4;

private:
    // Starts or prolongs one effect's countdown.
    void StartCountdown(WindowTimer* timer, std::int32_t& counter, std::int32_t lngSecond);
    // One tick of a countdown; true when the effect ends now.
    bool CountdownTick(WindowTimer* timer, std::int32_t& counter);
    // The own board drawn afresh: its area, then its tiles.
    void RepaintOwnBoard();

    TableClient& client_;
};
