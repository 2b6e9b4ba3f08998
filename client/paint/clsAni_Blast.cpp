#include "client/paint/clsAni_Blast.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/paint/clsPaintImageByNullBack.h"
#include "client/paint/modManage_BlastObject.h"
#include "client/platform/PictureBox.h"

clsAni_Blast::clsAni_Blast(TableClient& client) : clsAniObject(client) {}

bool clsAni_Blast::InitAniInfo(std::int32_t lngID_, std::int32_t lngInterval_, std::int32_t lngBlastRow,
                               std::int32_t lngBlastCol) {
    BeginAni(lngID_, lngInterval_);
    lngStepCount = kFrameCount;
    OwnCellOrigin(lngBlastRow, lngBlastCol, lngBlastX, lngBlastY);
    lngBlastX -= kLeftOfCell;
    lngBlastY -= kAboveCell;
    strBlastFile[0] = client_.ResPath("Res\\Blast\\Blast0");
    strBlastFile[1] = ".bmp";
    lngBlastBackColor = Gdi::RGB(255, 0, 255);
    return true;
}

std::string clsAni_Blast::BlastFileName(int n) const {
    const std::string number = n <= 9 ? "0" + std::to_string(n) : std::to_string(n);
    return strBlastFile[0] + number + strBlastFile[1];
}

void clsAni_Blast::DispCurAni() {
    ++lngCurStep;
    if (lngCurStep > lngStepCount) {
        RestoreFromBack(lngBlastX, lngBlastY, kWidth, kHeight);
        Class_Initialize();
    } else {
        blnAniEnd = false;
        DrawBlastFrame(lngCurStep);
    }
    RefreshWindow();
}

void clsAni_Blast::DrawBlastFrame(int n) {
    if (!Ready() || !client_.Canvas()->picTmpBuf) return;
    TableCanvas& f = *client_.Canvas();
    const QImage& frame = client_.blastObjects->BlastFrame(BlastFileName(n));
    if (frame.isNull()) return;  // a missing frame is left out
    f.imgTmpBuf = frame;
    clsPaintImageByNullBack painter;
    painter.Form_PaintImageByNullBack(f, f.imgTmpBuf, *f.picTmpBuf, lngBlastBackColor, lngBlastX, lngBlastY);
    f.picTmpBuf->Cls();
}
