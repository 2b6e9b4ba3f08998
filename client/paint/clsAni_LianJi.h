// The combo banner: a 110 x 24 picture of the banner background and the combo text,
// floating up 2 pixels a tick over a seat's board, fading out over its last six ticks,
// then erased. Black pixels of the banner are see-through.
#pragma once
#include <cstdint>
#include <string>

#include "client/paint/AniObject.h"

class PictureBox;

class clsAni_LianJi : public clsAniObject {
public:
    explicit clsAni_LianJi(TableClient& client);

    void Class_Initialize() override;
    // Builds the banner picture in the entry's composition area; false (and the picture
    // left as it was) when Res\LianJiBk.bmp is missing.
    bool InitAniInfo(std::int32_t lngID, std::int32_t lngInterval, std::int32_t lngStepCount, std::int32_t lngStartX,
                     std::int32_t lngStartY, const std::string& strLianJiNumberString);
    void DispCurAni();

    std::int32_t lngLianJiX = 0;  // the banner's current top-left, window pixels
    std::int32_t lngLianJiY = 0;
    std::uint8_t bteAlphaLevel = 255;  // opacity of the next fading step
    std::uint8_t bteAlphaStep = 42;    // opacity lost per fading step

    static constexpr int kWidth = 110, kHeight = 24;
    static constexpr int kRise = 2;       // pixels up per tick
    static constexpr int kFadeSteps = 6;  // the last steps fade
    static constexpr int kTextX = 50, kTextY = 5;

private:
    void DrawLianJiStep(std::int32_t ox, std::int32_t oy, std::int32_t nx, std::int32_t ny);
    // The entry's composition area and banner picture; nullptr when they are missing.
    PictureBox* Composition() const;
    QImage* Banner() const;
};
