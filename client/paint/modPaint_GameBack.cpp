#include "client/paint/modPaint_GameBack.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

modPaint_GameBack::modPaint_GameBack(TableClient& client) : client_(client) {}

void modPaint_GameBack::InitGameBack() {
    if (!client_.Canvas() || !client_.Canvas()->picGameBack) return;
    PictureBox& back = *client_.Canvas()->picGameBack;
    back.hide();
    back.AutoRedraw = true;
    const QImage picture = PictureFile::LoadPicture(client_.ResPath("Res\\GameBack.bmp"));
    if (picture.width() >= kWidth && picture.height() >= kHeight && picture.format() == QImage::Format_RGB32) {
        // Opaque and covering the whole area: the box shows the decoded picture itself.
        back.PlacePicture(0, 0, picture, QRect(0, 0, kWidth, kHeight));
    } else {
        back.Place(0, 0, kWidth, kHeight);
        back.Cls();
        if (!picture.isNull()) Gdi::BitBlt(back.Image, 0, 0, kWidth, kHeight, picture, 0, 0, Gdi::SRCCOPY);
    }
    back.Refresh();
}
