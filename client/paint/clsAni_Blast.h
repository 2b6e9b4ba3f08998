// The blast over one removed tile of the own board: three frames drawn over each other
// on ticks 1 to 3, keyed on magenta; tick 4 puts the clean background back.
#pragma once
#include <cstdint>
#include <string>

#include "client/paint/AniObject.h"
#include "client/platform/Gdi.h"

class clsAni_Blast : public clsAniObject {
public:
    explicit clsAni_Blast(TableClient& client);

    bool InitAniInfo(std::int32_t lngID, std::int32_t lngInterval, std::int32_t lngBlastRow, std::int32_t lngBlastCol);
    void DispCurAni();

    // The frame file of frame n (1 to 3): the prefix, n in two digits, the extension.
    std::string BlastFileName(int n) const;

    std::int32_t lngBlastX = 0;  // the blast rectangle's top-left, window pixels
    std::int32_t lngBlastY = 0;
    std::string strBlastFile[2];
    Gdi::ColorRef lngBlastBackColor = Gdi::RGB(255, 0, 255);

    static constexpr int kFrameCount = 3;
    static constexpr int kWidth = 88, kHeight = 80;
    static constexpr int kLeftOfCell = 30, kAboveCell = 29;  // centres the frame on the cell

private:
    void DrawBlastFrame(int n);
};
