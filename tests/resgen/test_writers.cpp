// The three file writers and the key-colour flattening, on small made-up pictures.
#include <gtest/gtest.h>

#include <QImage>

#include "ResFiles.h"
#include "tools/resgen/ArtStyle.h"
#include "tools/resgen/BmpFile.h"
#include "tools/resgen/IcoFile.h"
#include "tools/resgen/WavFile.h"

namespace {

QImage Pattern(int w, int h, bool alpha) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int a = alpha ? (x * 97 + y * 31) % 256 : 255;
            image.setPixel(x, y, qRgba((x * 53 + 7) % 256, (y * 71 + 3) % 256, (x * y * 13 + 11) % 256, a));
        }
    }
    return image;
}

TEST(Writers, BitmapsRoundTripAtEveryRowPadding) {
    // Widths 1..5 cover every padding of a 24-bit row (3, 2, 1, 0 and 3 bytes again).
    for (int w = 1; w <= 5; ++w) {
        for (int h : {1, 3}) {
            const QImage source = Pattern(w, h, false);
            const QByteArray bytes = BmpFile::Encode(source);
            const ResFiles::Picture strict = ResFiles::DecodeBmp(bytes);
            ASSERT_TRUE(strict.fault.isEmpty()) << strict.fault.toStdString() << " at " << w << "x" << h;
            const QImage lenient = QImage::fromData(bytes, "BMP");
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    EXPECT_EQ(strict.image.pixel(x, y), source.pixel(x, y) | 0xFF000000u) << w << "x" << h;
                    EXPECT_EQ(lenient.pixel(x, y) | 0xFF000000u, source.pixel(x, y) | 0xFF000000u);
                }
            }
        }
    }
}

TEST(Writers, IconsKeepAlphaAndAMaskThatAgrees) {
    const QImage small = Pattern(16, 16, true);
    const QImage large = Pattern(32, 32, true);
    const QByteArray bytes = IcoFile::Encode({small, large});
    const ResFiles::Icon icon = ResFiles::DecodeIco(bytes);
    ASSERT_TRUE(icon.fault.isEmpty()) << icon.fault.toStdString();
    ASSERT_EQ(icon.images.size(), 2u);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb want = large.pixel(x, y);
            const QRgb got = icon.images[1].pixel(x, y);
            if (qAlpha(want) == 0) {
                EXPECT_EQ(got, 0u) << "a clear pixel keeps no colour";
            } else {
                EXPECT_EQ(got, want);
            }
        }
    }
    EXPECT_EQ(icon.images[0].size(), QSize(16, 16));
    // A reader that takes one picture gets the first one.
    EXPECT_EQ(QImage::fromData(bytes, "ICO").size(), QSize(16, 16));
}

TEST(Writers, WavesCarryTheirSamplesUnchanged) {
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321};
    const ResFiles::Wave wave = ResFiles::DecodeWav(WavFile::Encode(samples));
    ASSERT_TRUE(wave.fault.isEmpty()) << wave.fault.toStdString();
    EXPECT_EQ(wave.samples, samples);
    EXPECT_TRUE(ResFiles::DecodeWav(WavFile::Encode({})).fault.isEmpty());
}

TEST(Writers, KeyFlatteningLeavesNoKeyColouredPixelInTheDrawing) {
    QImage drawing(4, 1, QImage::Format_ARGB32);
    drawing.setPixel(0, 0, qRgba(255, 0, 255, 255));  // exactly the key, fully covered
    drawing.setPixel(1, 0, qRgba(10, 20, 30, 140));   // more than half covered
    drawing.setPixel(2, 0, qRgba(10, 20, 30, 100));   // less than half
    drawing.setPixel(3, 0, qRgba(0, 0, 0, 255));
    const QImage onMagenta = ArtStyle::FlattenOnKey(drawing, ArtStyle::kKeyMagenta);
    EXPECT_NE(onMagenta.pixel(0, 0), ArtStyle::kKeyMagenta);
    EXPECT_EQ(onMagenta.pixel(1, 0), qRgb(10, 20, 30)) << "kept pixels keep their own colour, no fringe";
    EXPECT_EQ(onMagenta.pixel(2, 0), ArtStyle::kKeyMagenta);
    const QImage onBlack = ArtStyle::FlattenOnKey(drawing, ArtStyle::kKeyBlack);
    EXPECT_NE(onBlack.pixel(3, 0), ArtStyle::kKeyBlack) << "a black line must still show on a black key";

    const QImage matte = ArtStyle::FlattenOnMatte(drawing, ArtStyle::kKeyMagenta, QColor(0, 0, 0), 120);
    EXPECT_EQ(matte.pixel(2, 0), ArtStyle::kKeyMagenta);
    EXPECT_EQ(matte.pixel(1, 0), qRgb(5, 11, 16)) << "soft edges are blended onto the matte";
}

}  // namespace
