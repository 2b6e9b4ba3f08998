#include "client/items/clsGuangZhao.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "client/platform/Gdi.h"
#include "client/start/frmMain.h"

void clsGuangZhao::CircleJiaLiang_Form(frmMain& frmJiaLiang, std::int32_t lngCircleCenterX,
                                       std::int32_t lngCircleCenterY, std::int32_t lngRadius) {
    CircleJiaLiang_Image(frmJiaLiang.Image, lngCircleCenterX, lngCircleCenterY, lngRadius);
}

void clsGuangZhao::CircleJiaLiang_Image(QImage& image, std::int32_t cx, std::int32_t cy, std::int32_t r) {
    if (r <= 0 || image.isNull()) return;
    Gdi::PrepareSurface(image);
    const std::int32_t k = kBrightness / r;
    // A pixel belongs to the disc when its distance, to the nearest whole pixel, is at
    // most r: when its squared distance is at most r * r + r.
    const std::int64_t limit = std::int64_t(r) * r + r;
    const std::int32_t y0 = std::max(cy - r, 0), y1 = std::min(cy + r, image.height() - 1);
    Gdi::Changed(image, QRect(cx - r, cy - r, 2 * r + 1, 2 * r + 1));
    for (std::int32_t y = y0; y <= y1; ++y) {
        const std::int64_t dy2 = std::int64_t(cy - y) * (cy - y);
        // The columns of this row inside the disc.
        auto reach = static_cast<std::int32_t>(std::sqrt(double(limit - dy2)));
        while (std::int64_t(reach) * reach > limit - dy2) --reach;
        while (std::int64_t(reach + 1) * (reach + 1) <= limit - dy2) ++reach;
        const std::int32_t x0 = std::max(cx - reach, 0), x1 = std::min(cx + reach, image.width() - 1);
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = x0; x <= x1; ++x) {
            const std::int32_t d = RoundedDistance(std::int64_t(cx - x) * (cx - x) + dy2);
            const std::uint32_t color = Gdi::FromQRgb(row[x]);
            std::int32_t add = (r - d) * k;
            if ((x == cx || y == cy) && d > kCrossStart) add *= 2;
            const int red = GetRedByte(color);
            const int green = std::min(GetGreenByte(color) + add, 255);
            const int blue = std::min(GetBlueByte(color) + add, 255);
            row[x] = qRgb(red, green, blue);
        }
    }
}

std::int32_t clsGuangZhao::RoundedDistance(std::int64_t squared) {
    // The distances of the halos drawn (radius up to 90) come from a table made once.
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(kTableSize);
        for (std::size_t i = 0; i < t.size(); ++i) t[i] = static_cast<std::uint8_t>(std::lround(std::sqrt(double(i))));
        return t;
    }();
    if (squared >= 0 && squared < std::int64_t(kTableSize)) return table[static_cast<std::size_t>(squared)];
    return static_cast<std::int32_t>(std::lround(std::sqrt(double(squared))));
}
