// The flight of a used item: its icon moves 20 pixels a step (on the longer axis) from
// the user's seat towards the target's inside a bright halo, then glows there with a
// growing halo for 14 steps; the last step puts the clean background back.
#pragma once
#include <cstdint>

#include "client/paint/AniObject.h"

class clsAni_DaoJu : public clsAniObject {
public:
    explicit clsAni_DaoJu(TableClient& client);

    bool InitAniInfo(std::int32_t lngID, std::int32_t lngInterval, std::int32_t lngDaoJuIndex,
                     std::uint8_t bteSrcUserNo, std::uint8_t bteDstUserNo, std::int32_t lngStartX,
                     std::int32_t lngStartY, std::int32_t lngEndX, std::int32_t lngEndY);
    void DispCurAni();

    std::int32_t lngDaoJuIndex = 0;
    std::uint8_t bteSrcUserNo = 0;
    std::uint8_t bteDstUserNo = 0;
    std::int32_t lngStartX = 0, lngStartY = 0, lngEndX = 0, lngEndY = 0;
    std::int32_t lngCurX = 0, lngCurY = 0;  // the icon's current top-left
    std::int32_t lngStepX = 0, lngStepY = 0;
    std::int32_t lngCurRadius = 0, lngNextRadius = 0;
    std::int32_t lngEraseW = 0, lngEraseH = 0;

    static constexpr int kStepLength = 20;  // pixels a step on the longer axis
    static constexpr int kFlightRadius = 25;
    static constexpr int kGlowSteps = 14;

private:
    // Erases the last frame, draws the halo around the icon's centre and the icon at (x, y).
    void DrawDaoJuFrame(std::int32_t x, std::int32_t y, std::int32_t oldRadius, std::int32_t newRadius);
    // The entry's icon picture; nullptr when the window has none for it.
    const QImage* Icon() const;
    int IconWidth() const;
    int IconHeight() const;
};
