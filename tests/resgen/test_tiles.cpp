// The 39 tile kinds must be told apart at a glance on the own board and on the 5 x 7
// small boards, and the grey sheet must be a grey copy with the same layout.
#include <gtest/gtest.h>

#include <cstdio>

#include "ResFiles.h"

namespace {

struct Closest {
    double distance = 1e9;
    int a = 0, b = 0;
};

std::vector<QImage> Cut(const QImage& sheet) {
    std::vector<QImage> tiles;
    for (int k = 0; k < 39; ++k) tiles.push_back(sheet.copy(k * 31, 0, 31, 35));
    return tiles;
}

Closest ClosestPair(const std::vector<QImage>& tiles) {
    Closest best;
    for (int i = 0; i < static_cast<int>(tiles.size()); ++i) {
        for (int j = 0; j < i; ++j) {
            const double d = ResFiles::MeanDistance(tiles[i], tiles[j]);
            if (d < best.distance) best = {d, j + 1, i + 1};
        }
    }
    return best;
}

std::vector<QImage> Shrunk(const std::vector<QImage>& tiles, Qt::TransformationMode mode) {
    std::vector<QImage> small;
    for (const QImage& t : tiles) small.push_back(t.scaled(5, 7, Qt::IgnoreAspectRatio, mode));
    return small;
}

TEST(Tiles, EveryKindIsClearlyDifferentAtFullAndSmallSize) {
    const ResFiles::Picture sheet = ResFiles::ReadBmp(ResFiles::TablePath("FangKuai.bmp"));
    ASSERT_TRUE(sheet.fault.isEmpty()) << sheet.fault.toStdString();
    const std::vector<QImage> tiles = Cut(sheet.image);

    // Mean RGB distance per pixel (0..441); identical pictures give 0.
    constexpr double kFullMinimum = 35.0;
    constexpr double kSmallMinimum = 20.0;
    const Closest full = ClosestPair(tiles);
    const Closest smooth = ClosestPair(Shrunk(tiles, Qt::SmoothTransformation));
    const Closest nearest = ClosestPair(Shrunk(tiles, Qt::FastTransformation));
    std::printf(
        "closest tile pairs (mean colour distance): 31x35 %.1f (%d,%d), 5x7 smooth %.1f (%d,%d), "
        "5x7 nearest %.1f (%d,%d); minimums %.0f and %.0f\n",
        full.distance, full.a, full.b, smooth.distance, smooth.a, smooth.b, nearest.distance, nearest.a, nearest.b,
        kFullMinimum, kSmallMinimum);
    EXPECT_GE(full.distance, kFullMinimum) << "tiles " << full.a << " and " << full.b;
    EXPECT_GE(smooth.distance, kSmallMinimum) << "small tiles " << smooth.a << " and " << smooth.b;
    EXPECT_GE(nearest.distance, kSmallMinimum) << "small tiles " << nearest.a << " and " << nearest.b;
}

TEST(Tiles, EachTileHasAStrongColourOfItsOwn) {
    // Shrunk to one pixel, a tile keeps a colour well away from grey: the small boards
    // show colours, not a grey mush.
    const QImage sheet = ResFiles::ReadBmp(ResFiles::TablePath("FangKuai.bmp")).image;
    for (int k = 0; k < 39; ++k) {
        const QColor mean(
            sheet.copy(k * 31, 0, 31, 35).scaled(1, 1, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).pixel(0, 0));
        EXPECT_GT(mean.hsvSaturation(), 50) << "tile " << k + 1;
    }
}

TEST(Tiles, GreySheetIsAGreyCopyOfTheSameLayout) {
    const QImage colour = ResFiles::ReadBmp(ResFiles::TablePath("FangKuai.bmp")).image;
    const ResFiles::Picture grey = ResFiles::ReadBmp(ResFiles::TablePath("FangKuai_HD.bmp"));
    ASSERT_TRUE(grey.fault.isEmpty()) << grey.fault.toStdString();
    ASSERT_EQ(grey.image.size(), colour.size());
    double darker = 0;
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x) {
            const QRgb g = grey.image.pixel(x, y);
            ASSERT_TRUE(qRed(g) == qGreen(g) && qGreen(g) == qBlue(g)) << "colour left at " << x << "," << y;
            darker += qGray(colour.pixel(x, y)) - qGray(g);
        }
    }
    EXPECT_GT(darker / (colour.width() * colour.height()), 0.0) << "out players' boards should look dimmer";
    // The same shapes in the same places: every tile is still recognisable.
    const Closest greyClosest = ClosestPair(Cut(grey.image));
    std::printf("closest grey tile pair: %.1f (%d,%d)\n", greyClosest.distance, greyClosest.a, greyClosest.b);
    EXPECT_GT(greyClosest.distance, 5.0);
}

}  // namespace
