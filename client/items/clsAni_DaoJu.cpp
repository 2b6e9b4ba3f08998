#include "client/items/clsAni_DaoJu.h"

#include <cstdlib>

#include "client/TableClient.h"
#include "client/items/clsGuangZhao.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureFile.h"
#include "client/start/frmMain.h"

clsAni_DaoJu::clsAni_DaoJu(TableClient& client) : clsAniObject(client) {}

const QImage* clsAni_DaoJu::Icon() const {
    if (!client_.mainForm || lngID < 0 || static_cast<std::size_t>(lngID) >= client_.mainForm->imgDaoJu.size())
        return nullptr;
    return &client_.mainForm->imgDaoJu[static_cast<std::size_t>(lngID)];
}

int clsAni_DaoJu::IconWidth() const { return Icon() ? Icon()->width() : 0; }
int clsAni_DaoJu::IconHeight() const { return Icon() ? Icon()->height() : 0; }

bool clsAni_DaoJu::InitAniInfo(std::int32_t lngID_, std::int32_t lngInterval_, std::int32_t lngDaoJuIndex_,
                               std::uint8_t bteSrcUserNo_, std::uint8_t bteDstUserNo_, std::int32_t lngStartX_,
                               std::int32_t lngStartY_, std::int32_t lngEndX_, std::int32_t lngEndY_) {
    BeginAni(lngID_, lngInterval_);
    lngDaoJuIndex = lngDaoJuIndex_;
    bteSrcUserNo = bteSrcUserNo_;
    bteDstUserNo = bteDstUserNo_;
    lngStartX = lngStartX_;
    lngStartY = lngStartY_;
    lngEndX = lngEndX_;
    lngEndY = lngEndY_;

    // The item's icon; without the file the entry keeps the picture it had.
    const std::string icon = client_.ResPath("Res\\DaoJu\\DjFlag" + std::to_string(lngDaoJuIndex) + ".ico");
    if (client_.mainForm && PictureFile::Exists(icon) && lngID >= 0 &&
        static_cast<std::size_t>(lngID) < client_.mainForm->imgDaoJu.size())
        client_.mainForm->imgDaoJu[static_cast<std::size_t>(lngID)] = PictureFile::LoadPicture(icon);

    lngCurX = lngStartX;
    lngCurY = lngStartY;
    const std::int32_t dx = lngEndX - lngStartX, dy = lngEndY - lngStartY;
    lngStepX = 0;
    lngStepY = 0;
    if (std::abs(dx) >= std::abs(dy)) {
        lngStepCount = std::abs(dx) / kStepLength;
        if (lngStepCount > 0) {
            lngStepX = dx < 0 ? -kStepLength : kStepLength;
            lngStepY = dy / lngStepCount;
        }
    } else {
        lngStepCount = std::abs(dy) / kStepLength;
        if (lngStepCount > 0) {
            lngStepY = dy < 0 ? -kStepLength : kStepLength;
            lngStepX = dx / lngStepCount;
        }
    }
    lngCurRadius = kFlightRadius;
    lngNextRadius = kFlightRadius;
    return true;
}

void clsAni_DaoJu::DispCurAni() {
    ++lngCurStep;
    if (lngCurStep <= lngStepCount) {  // moving
        const std::int32_t x = lngCurX + lngStepX, y = lngCurY + lngStepY;
        lngCurRadius = kFlightRadius;
        lngNextRadius = kFlightRadius;
        lngEraseW = lngEraseH = 2 * kFlightRadius + 1;
        DrawDaoJuFrame(x, y, lngCurRadius, lngNextRadius);
        lngCurX = x;
        lngCurY = y;
    } else if (lngCurStep < lngStepCount + kGlowSteps + 1) {  // glowing at the target
        lngNextRadius = lngCurRadius + 1;
        lngEraseW = lngEraseH = 2 * lngCurRadius + 1;
        DrawDaoJuFrame(lngCurX, lngCurY, lngCurRadius, lngNextRadius);
        lngCurRadius = lngNextRadius;
    } else {  // the end: the last halo goes
        const std::int32_t r = lngCurRadius;
        RestoreFromBack(lngCurX + IconWidth() / 2 - r, lngCurY + IconHeight() / 2 - r, 2 * r + 1, 2 * r + 1);
        Class_Initialize();
    }
    RefreshWindow();
}

void clsAni_DaoJu::DrawDaoJuFrame(std::int32_t x, std::int32_t y, std::int32_t oldRadius, std::int32_t newRadius) {
    QImage* window = Window();
    if (!window) return;
    const int w = IconWidth(), h = IconHeight();
    RestoreFromBack(lngCurX + w / 2 - oldRadius, lngCurY + h / 2 - oldRadius, lngEraseW, lngEraseH);
    clsGuangZhao().CircleJiaLiang_Form(*client_.mainForm, x + w / 2, y + h / 2, newRadius);
    if (const QImage* icon = Icon(); icon && !icon->isNull()) Gdi::PaintPicture(*window, *icon, x, y);
}
