// Draws a picture onto a picture area or the main window leaving out every pixel of one
// key colour (the flat background the pictures under Res are drawn on), so the
// destination shows through there: a mask punches the picture's shape into the
// destination (AND), then the picture with its key colour blacked out fills the hole
// (OR). The match is exact: a colour one unit off the key is drawn.
#pragma once
#include <QImage>
#include <cstdint>

class PictureBox;
class TableCanvas;

class clsPaintImageByNullBack {
public:
    clsPaintImageByNullBack() = default;
    ~clsPaintImageByNullBack();  // releases the masks if a drawing left them
    clsPaintImageByNullBack(const clsPaintImageByNullBack&) = delete;
    clsPaintImageByNullBack& operator=(const clsPaintImageByNullBack&) = delete;

    // ShowImage's top-left corner goes to (lngDstX, lngDstY); picTmp is a scratch area
    // the call resizes and overwrites; lngShowImageBackColor is 0x00BBGGRR.
    void PictureBox_PaintImageByNullBack(PictureBox& picBack, const QImage& ShowImage, PictureBox& picTmp,
                                         std::uint32_t lngShowImageBackColor, std::int32_t lngDstX,
                                         std::int32_t lngDstY);
    void Form_PaintImageByNullBack(TableCanvas& FormBack, const QImage& ShowImage, PictureBox& picTmp,
                                   std::uint32_t lngShowImageBackColor, std::int32_t lngDstX, std::int32_t lngDstY);

private:
    // Both leave the mask in the scratch area and keep a copy: the mask is white where
    // the picture has the key colour, black elsewhere; the inverse mask the other way.
    void CreateMaskImage(PictureBox& picTmp, const QImage& ShowImage, std::uint32_t lngShowImageBackColor);
    void CreateInverseMaskImage(PictureBox& picTmp, const QImage& ShowImage, std::uint32_t lngShowImageBackColor);
    void BuildMask(PictureBox& picTmp, const QImage& ShowImage, std::uint32_t key, std::uint32_t rop, QImage& into);
    // The steps shared by both destinations; true when the destination changed.
    bool PaintOnto(QImage& dst, const QImage& ShowImage, PictureBox& picTmp, std::uint32_t key, std::int32_t x,
                   std::int32_t y);
    void ReleaseMasks();

    QImage lngMaskBmp;     // the mask (stands for the mask's context and bitmap)
    QImage lngInvMaskBmp;  // the inverse mask
};
