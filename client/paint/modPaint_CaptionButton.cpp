#include "client/paint/modPaint_CaptionButton.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"
#include "core/LeadingNumber.h"

modPaint_CaptionButton::modPaint_CaptionButton(TableClient& client) : client_(client) {}

void modPaint_CaptionButton::InitCaptionButton() {
    lngHelpButLeft = 580;
    lngHelpButTop = 4;
    lngHelpButWidth = 59;
    lngHelpButHeight = 23;
    lngSysButLeft = 723;
    lngSysButTop = 5;
    lngSysButWidth = 21;
    lngSysButHeight = 21;
    if (!client_.Canvas()) return;
    TableCanvas& f = *client_.Canvas();
    f.bteWindowMode = 0;
    for (PictureBox* b : f.picHelpBut) {
        b->AutoRedraw = false;
        b->Tag = "0";
        b->show();
    }
    for (PictureBox* b : f.picSystemBut) {
        b->AutoRedraw = false;
        b->Tag = "0";
        b->show();
    }
    LayoutCaptionButton();
    for (int i = 0; i < 2; ++i) PaintHelpButton(i);
    for (int i = 0; i < 3; ++i) PaintSystemButton(i);
}

void modPaint_CaptionButton::LayoutCaptionButton() {
    if (!client_.Canvas()) return;
    TableCanvas& f = *client_.Canvas();
    int left = lngHelpButLeft;
    for (PictureBox* b : f.picHelpBut) {
        b->Place(left, lngHelpButTop, lngHelpButWidth, lngHelpButHeight);
        left += kHelpButGap + lngHelpButWidth;
    }
    left = lngSysButLeft;
    for (PictureBox* b : f.picSystemBut) {
        b->Place(left, lngSysButTop, lngSysButWidth, lngSysButHeight);
        left += kSysButGap + lngSysButWidth;
    }
}

int modPaint_CaptionButton::SystemButtonPicture(int index) const {
    switch (index) {
        case 0:
            return 0;  // minimise
        case 1:
            return client_.Canvas() && client_.Canvas()->bteWindowMode == 2 ? 2 : 1;  // back to window / full screen
        default:
            return 3;  // close
    }
}

void modPaint_CaptionButton::PaintHelpButton(int index) {
    if (index < 0 || index > 1 || !client_.Canvas()) return;
    PaintCell(*client_.Canvas()->picHelpBut[index], "Res\\HelpBut.bmp", 2 * index, lngHelpButWidth, lngHelpButHeight);
}

void modPaint_CaptionButton::PaintSystemButton(int index) {
    if (index < 0 || index > 2 || !client_.Canvas()) return;
    PaintCell(*client_.Canvas()->picSystemBut[index], "Res\\SystemBut.bmp", 2 * SystemButtonPicture(index),
              lngSysButWidth, lngSysButHeight);
}

void modPaint_CaptionButton::PaintCell(PictureBox& button, const char* sheetName, int firstCell, int width,
                                       int height) {
    const QImage sheet = PictureFile::LoadPicture(client_.ResPath(sheetName));
    if (sheet.isNull()) return;
    const int state = LeadingNumber::Value(button.Tag) == 0 ? 0 : 1;
    button.Cls();
    Gdi::BitBlt(button.Image, 0, 0, width, height, sheet, (firstCell + state) * width, 0, Gdi::SRCCOPY);
    button.Refresh();
}
