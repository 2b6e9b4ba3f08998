// Blends a rectangle of a picture area onto a picture area or the main window with one
// constant opacity (0 invisible, 255 opaque); the two rectangles may differ in size.
#pragma once
#include <cstdint>

class PictureBox;
class TableCanvas;

class clsTransparency {
public:
    void ShowTransparencyInPictureBox(const PictureBox& picSrc, PictureBox& picDst, std::uint8_t bteLevel,
                                      std::int32_t lngSrcX, std::int32_t lngSrcY, std::int32_t lngSrcWidth,
                                      std::int32_t lngSrcHeight, std::int32_t lngDstX, std::int32_t lngDstY,
                                      std::int32_t lngDstWidth, std::int32_t lngDstHeight);
    void ShowTransparencyInForm(const PictureBox& picSrc, TableCanvas& frmDst, std::uint8_t bteLevel,
                                std::int32_t lngSrcX, std::int32_t lngSrcY, std::int32_t lngSrcWidth,
                                std::int32_t lngSrcHeight, std::int32_t lngDstX, std::int32_t lngDstY,
                                std::int32_t lngDstWidth, std::int32_t lngDstHeight);
};
