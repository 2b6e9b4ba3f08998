#include "client/paint/clsPaintImageByNullBack.h"

#include "client/paint/TableCanvas.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"

clsPaintImageByNullBack::~clsPaintImageByNullBack() { ReleaseMasks(); }

void clsPaintImageByNullBack::ReleaseMasks() {
    lngMaskBmp = QImage();
    lngInvMaskBmp = QImage();
}

void clsPaintImageByNullBack::BuildMask(PictureBox& picTmp, const QImage& ShowImage, std::uint32_t key,
                                        std::uint32_t rop, QImage& into) {
    // The scratch area takes the picture's size (a picture of that size first, so that
    // the area does not carry its old one over).
    const int w = ShowImage.width(), h = ShowImage.height();
    picTmp.Image = QImage(w, h, QImage::Format_RGB32);
    picTmp.Place(picTmp.x(), picTmp.y(), w, h);
    // The one-bit copy: pixels of exactly the key colour are set, all others clear. The
    // picture is only read (a 32-bit picture is not copied for it).
    const QImage picture = ShowImage.convertToFormat(QImage::Format_RGB32);
    QImage mono(w, h, QImage::Format_RGB32);
    const QRgb keyRgb = Gdi::ToQRgb(key) & 0x00FFFFFFu;
    for (int y = 0; y < h; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(mono.scanLine(y));
        for (int x = 0; x < w; ++x) out[x] = (in[x] & 0x00FFFFFFu) == keyRgb ? 0xFFFFFFFFu : 0xFF000000u;
    }
    // Into the scratch area as white and black (or black and white), then kept: the
    // scratch area's picture is replaced afterwards, never drawn on, so the kept mask
    // shares its pixels.
    Gdi::BitBlt(picTmp.Image, 0, 0, w, h, mono, 0, 0, rop);
    into = picTmp.Image;
}

void clsPaintImageByNullBack::CreateMaskImage(PictureBox& picTmp, const QImage& ShowImage,
                                              std::uint32_t lngShowImageBackColor) {
    BuildMask(picTmp, ShowImage, lngShowImageBackColor, Gdi::SRCCOPY, lngMaskBmp);
}

void clsPaintImageByNullBack::CreateInverseMaskImage(PictureBox& picTmp, const QImage& ShowImage,
                                                     std::uint32_t lngShowImageBackColor) {
    BuildMask(picTmp, ShowImage, lngShowImageBackColor, Gdi::NOTSRCCOPY, lngInvMaskBmp);
}

bool clsPaintImageByNullBack::PaintOnto(QImage& dst, const QImage& ShowImage, PictureBox& picTmp, std::uint32_t key,
                                        std::int32_t x, std::int32_t y) {
    if (ShowImage.isNull() || dst.isNull()) return false;
    picTmp.AutoRedraw = false;
    CreateInverseMaskImage(picTmp, ShowImage, key);
    CreateMaskImage(picTmp, ShowImage, key);
    const int w = ShowImage.width(), h = ShowImage.height();
    // The scratch holds the plain picture again; its key-colour pixels become black.
    picTmp.Image = ShowImage.convertToFormat(QImage::Format_RGB32);
    Gdi::BitBlt(picTmp.Image, 0, 0, w, h, lngInvMaskBmp, 0, 0, Gdi::SRCAND);
    // The hole first, then the picture into it.
    Gdi::BitBlt(dst, x, y, w, h, lngMaskBmp, 0, 0, Gdi::SRCAND);
    Gdi::BitBlt(dst, x, y, w, h, picTmp.Image, 0, 0, Gdi::SRCPAINT);
    ReleaseMasks();
    return true;
}

void clsPaintImageByNullBack::PictureBox_PaintImageByNullBack(PictureBox& picBack, const QImage& ShowImage,
                                                              PictureBox& picTmp, std::uint32_t lngShowImageBackColor,
                                                              std::int32_t lngDstX, std::int32_t lngDstY) {
    if (PaintOnto(picBack.Image, ShowImage, picTmp, lngShowImageBackColor, lngDstX, lngDstY) && picBack.AutoRedraw)
        picBack.Refresh();
}

void clsPaintImageByNullBack::Form_PaintImageByNullBack(TableCanvas& FormBack, const QImage& ShowImage,
                                                        PictureBox& picTmp, std::uint32_t lngShowImageBackColor,
                                                        std::int32_t lngDstX, std::int32_t lngDstY) {
    // The main window always draws persistently.
    if (PaintOnto(FormBack.Image, ShowImage, picTmp, lngShowImageBackColor, lngDstX, lngDstY)) FormBack.Refresh();
}
