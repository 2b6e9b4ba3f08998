#include "client/paint/modPaint_GameBack.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

modPaint_GameBack::modPaint_GameBack(TableClient& client) : client_(client) {}

void modPaint_GameBack::InitGameBack() {
    if (!client_.Canvas() || !client_.Canvas()->picGameBack) return;
    PictureBox& back = *client_.Canvas()->picGameBack;
    back.hide();
    back.AutoRedraw = true;
    back.PlacePicture(0, 0, kWidth, kHeight, PictureFile::LoadPicture(client_.ResPath("Res\\GameBack.bmp")));
    back.Refresh();
}
