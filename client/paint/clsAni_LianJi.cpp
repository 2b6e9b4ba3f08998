#include "client/paint/clsAni_LianJi.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/paint/clsPaintImageByNullBack.h"
#include "client/paint/clsTransparency.h"
#include "client/paint/modManage_LianJiObject.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

clsAni_LianJi::clsAni_LianJi(TableClient& client) : clsAniObject(client) {}

void clsAni_LianJi::Class_Initialize() {
    clsAniObject::Class_Initialize();
    bteAlphaLevel = 255;
    bteAlphaStep = 42;
}

PictureBox* clsAni_LianJi::Composition() const {
    if (!client_.Canvas() || lngID < 0 || static_cast<std::size_t>(lngID) >= client_.Canvas()->picLianJi.size())
        return nullptr;
    return client_.Canvas()->picLianJi[static_cast<std::size_t>(lngID)];
}

QImage* clsAni_LianJi::Banner() const {
    if (!client_.Canvas() || lngID < 0 || static_cast<std::size_t>(lngID) >= client_.Canvas()->imgLianJi.size())
        return nullptr;
    return &client_.Canvas()->imgLianJi[static_cast<std::size_t>(lngID)];
}

bool clsAni_LianJi::InitAniInfo(std::int32_t lngID_, std::int32_t lngInterval_, std::int32_t lngStepCount_,
                                std::int32_t lngStartX, std::int32_t lngStartY,
                                const std::string& strLianJiNumberString) {
    BeginAni(lngID_, lngInterval_);
    lngStepCount = lngStepCount_;
    lngLianJiX = lngStartX;
    lngLianJiY = lngStartY;
    PictureBox* pic = Composition();
    QImage* banner = Banner();
    if (!pic || !banner) return false;
    pic->Place(0, 0, kWidth, kHeight);
    const QImage back = PictureFile::LoadPicture(client_.ResPath("Res\\LianJiBk.bmp"));
    if (back.isNull()) return false;  // the banner keeps its last picture
    pic->Cls();
    Gdi::PaintPicture(pic->Image, back, 0, 0, kWidth, kHeight, 0, 0, kWidth, kHeight);
    client_.lianJiObjects->paintNumber.PaintNumberString(*pic, strLianJiNumberString, kTextX, kTextY);
    *banner = pic->Image.copy();
    pic->Cls();
    return true;
}

void clsAni_LianJi::DispCurAni() {
    ++lngCurStep;
    if (lngCurStep > lngStepCount) {
        RestoreFromBack(lngLianJiX, lngLianJiY, kWidth, kHeight);
        Class_Initialize();
    } else {
        blnAniEnd = false;
        const std::int32_t nx = lngLianJiX, ny = lngLianJiY - kRise;
        DrawLianJiStep(lngLianJiX, lngLianJiY, nx, ny);
        lngLianJiX = nx;
        lngLianJiY = ny;
    }
    RefreshWindow();
}

void clsAni_LianJi::DrawLianJiStep(std::int32_t ox, std::int32_t oy, std::int32_t nx, std::int32_t ny) {
    QImage* window = Window();
    PictureBox* pic = Composition();
    QImage* banner = Banner();
    if (!window || !pic || !banner || !client_.Canvas()->picTmpBuf) return;
    TableCanvas& f = *client_.Canvas();
    // The old place and the new one get their clean background, then the banner goes on.
    RestoreFromBack(ox, oy, kWidth, kHeight);
    RestoreFromBack(nx, ny, kWidth, kHeight);
    clsPaintImageByNullBack painter;
    painter.Form_PaintImageByNullBack(f, *banner, *f.picTmpBuf, Gdi::RGB(0, 0, 0), nx, ny);
    if (lngCurStep > lngStepCount - kFadeSteps) {
        // Fading: the banner over its background is blended back onto the clean background.
        pic->Place(0, 0, kWidth, kHeight);
        Gdi::BitBlt(pic->Image, 0, 0, kWidth, kHeight, *window, nx, ny, Gdi::SRCCOPY);
        RestoreFromBack(nx, ny, kWidth, kHeight);
        clsTransparency().ShowTransparencyInForm(*pic, f, bteAlphaLevel, 0, 0, kWidth, kHeight, nx, ny, kWidth,
                                                 kHeight);
        if (bteAlphaLevel > bteAlphaStep) bteAlphaLevel = static_cast<std::uint8_t>(bteAlphaLevel - bteAlphaStep);
        pic->Cls();
        f.picTmpBuf->Cls();
    } else {
        pic->Cls();
    }
}
