#include "client/paint/clsTransparency.h"

#include "client/paint/TableCanvas.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"

void clsTransparency::ShowTransparencyInPictureBox(const PictureBox& picSrc, PictureBox& picDst, std::uint8_t bteLevel,
                                                   std::int32_t lngSrcX, std::int32_t lngSrcY, std::int32_t lngSrcWidth,
                                                   std::int32_t lngSrcHeight, std::int32_t lngDstX,
                                                   std::int32_t lngDstY, std::int32_t lngDstWidth,
                                                   std::int32_t lngDstHeight) {
    Gdi::AlphaBlend(picDst.Image, lngDstX, lngDstY, lngDstWidth, lngDstHeight, picSrc.Image, lngSrcX, lngSrcY,
                    lngSrcWidth, lngSrcHeight, bteLevel);
    picDst.Refresh();
}

void clsTransparency::ShowTransparencyInForm(const PictureBox& picSrc, TableCanvas& frmDst, std::uint8_t bteLevel,
                                             std::int32_t lngSrcX, std::int32_t lngSrcY, std::int32_t lngSrcWidth,
                                             std::int32_t lngSrcHeight, std::int32_t lngDstX, std::int32_t lngDstY,
                                             std::int32_t lngDstWidth, std::int32_t lngDstHeight) {
    Gdi::AlphaBlend(frmDst.Image, lngDstX, lngDstY, lngDstWidth, lngDstHeight, picSrc.Image, lngSrcX, lngSrcY,
                    lngSrcWidth, lngSrcHeight, bteLevel);
    frmDst.Refresh();
}
