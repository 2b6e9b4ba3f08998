// The halo of a flying item: brightens a disc of a picture in place, most in the centre,
// with a brighter cross; green and blue rise, red stays, so the glow is cyan.
#pragma once
#include <QImage>
#include <cstdint>

class frmMain;

class clsGuangZhao {
public:
    void CircleJiaLiang_Form(frmMain& frmJiaLiang, std::int32_t lngCircleCenterX, std::int32_t lngCircleCenterY,
                             std::int32_t lngRadius);
    // The same on any picture (the window's image is one).
    void CircleJiaLiang_Image(QImage& image, std::int32_t lngCircleCenterX, std::int32_t lngCircleCenterY,
                              std::int32_t lngRadius);

    static constexpr int kBrightness = 170;  // the centre's brightening, spread over the radius
    static constexpr int kCrossStart = 12;   // the cross's arms start beyond this distance

private:
    // The distance of a pixel from the centre, to the nearest whole pixel, from its square.
    static std::int32_t RoundedDistance(std::int64_t squared);
    static constexpr std::size_t kTableSize = 2 * 90 * 90 + 1;
    // The bytes of a colour value 0x00BBGGRR.
    static std::uint8_t GetRedByte(std::uint32_t color) { return static_cast<std::uint8_t>(color & 0xFF); }
    static std::uint8_t GetGreenByte(std::uint32_t color) { return static_cast<std::uint8_t>((color >> 8) & 0xFF); }
    static std::uint8_t GetBlueByte(std::uint32_t color) { return static_cast<std::uint8_t>((color >> 16) & 0xFF); }
};
