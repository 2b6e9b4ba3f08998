// The drawing layer: raster operations, stretching and mirroring, blending, lines, boxes,
// circles, text, picture files, and the key-colour and blend helpers built on them.
#include <gtest/gtest.h>
#include <QFile>
#include <QImageReader>
#include <QTest>
#include <QtEndian>
#include <filesystem>
#include <memory>

#include "ClientHarness.h"
#include "PaintFixtures.h"
#include "client/paint/clsPaintImageByNullBack.h"
#include "client/paint/clsTransparency.h"
#include "client/platform/Gdi.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

namespace {

QImage Solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

int CountColor(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) == c;
    return n;
}

// Counts paint events of a widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

TEST(Gdi, RasterOperationsWorkOnTheColourBitsExactly) {
    const QRgb s = qRgb(0x5A, 0xC3, 0x0F), d = qRgb(0x3C, 0x96, 0xF0);
    const QImage src = Solid(4, 4, s);
    struct Case {
        std::uint32_t rop;
        QRgb expected;
    } cases[] = {{Gdi::SRCCOPY, s},
                 {Gdi::NOTSRCCOPY, qRgb(0xA5, 0x3C, 0xF0)},
                 {Gdi::SRCAND, qRgb(0x18, 0x82, 0x00)},
                 {Gdi::SRCPAINT, qRgb(0x7E, 0xD7, 0xFF)}};
    for (const Case& c : cases) {
        QImage dst = Solid(6, 6, d);
        ASSERT_TRUE(Gdi::BitBlt(dst, 1, 1, 4, 4, src, 0, 0, c.rop));
        EXPECT_EQ(dst.pixel(1, 1), c.expected) << std::hex << c.rop;
        EXPECT_EQ(dst.pixel(4, 4), c.expected);
        EXPECT_EQ(qAlpha(dst.pixel(2, 2)), 255);  // stays opaque
        EXPECT_EQ(dst.pixel(0, 0), d);            // outside the block
        EXPECT_EQ(dst.pixel(5, 5), d);
    }
    QImage dst = Solid(2, 2, d);
    EXPECT_FALSE(Gdi::BitBlt(dst, 0, 0, 2, 2, src, 0, 0, 0x00AA0029));  // an operation we do not know
    EXPECT_EQ(dst.pixel(0, 0), d);
}

TEST(Gdi, BlocksAreClippedByBothPictures) {
    QImage src(3, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.setPixel(x, y, qRgb(x * 80, y * 80, 7));
    QImage dst = Solid(4, 4, qRgb(1, 2, 3));
    // Partly left of and above the destination: only the part inside lands.
    Gdi::BitBlt(dst, -1, -1, 3, 3, src, 0, 0, Gdi::SRCCOPY);
    EXPECT_EQ(dst.pixel(0, 0), src.pixel(1, 1));
    EXPECT_EQ(dst.pixel(1, 1), src.pixel(2, 2));
    EXPECT_EQ(dst.pixel(2, 2), qRgb(1, 2, 3));
    // A source block reaching past the picture copies only its existing pixels.
    dst = Solid(4, 4, qRgb(1, 2, 3));
    Gdi::BitBlt(dst, 0, 0, 4, 4, src, 1, 1, Gdi::SRCCOPY);
    EXPECT_EQ(dst.pixel(1, 1), src.pixel(2, 2));
    EXPECT_EQ(dst.pixel(2, 2), qRgb(1, 2, 3));
    // Copying a picture onto itself with overlap reads the pixels before they change.
    QImage self = src;
    Gdi::BitBlt(self, 1, 0, 2, 3, self, 0, 0, Gdi::SRCCOPY);
    EXPECT_EQ(self.pixel(1, 0), src.pixel(0, 0));
    EXPECT_EQ(self.pixel(2, 0), src.pixel(1, 0));
}

TEST(Gdi, StretchShrinksTilesAndNegativeSizesMirror) {
    // A 31 x 35 tile: left part red, right part blue, top row green.
    QImage tile(31, 35, QImage::Format_RGB32);
    for (int y = 0; y < 35; ++y)
        for (int x = 0; x < 31; ++x)
            tile.setPixel(x, y, y < 7 ? qRgb(0, 255, 0) : x < 16 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    QImage dst = Solid(20, 20, qRgb(9, 9, 9));
    Gdi::StretchBlt(dst, 5, 5, 5, 7, tile, 0, 0, 31, 35, Gdi::SRCCOPY);
    EXPECT_EQ(dst.pixel(5, 5), qRgb(0, 255, 0));   // first target row from the top band
    EXPECT_EQ(dst.pixel(5, 8), qRgb(255, 0, 0));   // left
    EXPECT_EQ(dst.pixel(9, 11), qRgb(0, 0, 255));  // right, last pixel of the 5 x 7 block
    EXPECT_EQ(dst.pixel(10, 11), qRgb(9, 9, 9));   // nothing beyond it
    EXPECT_EQ(dst.pixel(9, 12), qRgb(9, 9, 9));
    EXPECT_EQ(CountColor(dst, qRgb(9, 9, 9)), 400 - 35);

    // Width -5 from x = 10 covers 5..9 mirrored: blue on the left now.
    dst = Solid(20, 20, qRgb(9, 9, 9));
    Gdi::StretchBlt(dst, 10, 5, -5, 7, tile, 0, 0, 31, 35, Gdi::SRCCOPY);
    EXPECT_EQ(dst.pixel(5, 9), qRgb(0, 0, 255));
    EXPECT_EQ(dst.pixel(9, 9), qRgb(255, 0, 0));
    EXPECT_EQ(dst.pixel(10, 9), qRgb(9, 9, 9));
    // Height -7 from y = 12 covers 5..11 upside down: the green band at the bottom.
    dst = Solid(20, 20, qRgb(9, 9, 9));
    Gdi::StretchBlt(dst, 5, 12, 5, -7, tile, 0, 0, 31, 35, Gdi::SRCCOPY);
    EXPECT_EQ(dst.pixel(5, 11), qRgb(0, 255, 0));
    EXPECT_EQ(dst.pixel(5, 5), qRgb(255, 0, 0));
    // Same size: an exact copy.
    dst = Solid(31, 35, qRgb(9, 9, 9));
    Gdi::StretchBlt(dst, 0, 0, 31, 35, tile, 0, 0, 31, 35, Gdi::SRCCOPY);
    EXPECT_EQ(dst, tile);
}

TEST(Gdi, ConstantBlendIsExactAtBothEnds) {
    QImage src(4, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.setPixel(x, y, qRgb(x * 60, y * 60, 255 - x * 10));
    const QImage base = Solid(6, 6, qRgb(200, 17, 99));
    QImage dst = base;
    Gdi::AlphaBlend(dst, 1, 1, 4, 4, src, 0, 0, 4, 4, 0);
    EXPECT_EQ(dst, base);
    Gdi::AlphaBlend(dst, 1, 1, 4, 4, src, 0, 0, 4, 4, 255);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.pixel(x + 1, y + 1), src.pixel(x, y));
    EXPECT_EQ(dst.pixel(0, 0), base.pixel(0, 0));
    // Half way: each channel between the two.
    dst = Solid(1, 1, qRgb(0, 255, 100));
    Gdi::AlphaBlend(dst, 0, 0, 1, 1, Solid(1, 1, qRgb(255, 0, 100)), 0, 0, 1, 1, 128);
    EXPECT_NEAR(qRed(dst.pixel(0, 0)), 128, 1);
    EXPECT_NEAR(qGreen(dst.pixel(0, 0)), 127, 1);
    EXPECT_EQ(qBlue(dst.pixel(0, 0)), 100);
    // Rectangles of different sizes stretch; negative sizes are refused.
    dst = Solid(8, 8, qRgb(0, 0, 0));
    Gdi::AlphaBlend(dst, 0, 0, 8, 8, Solid(2, 2, qRgb(40, 50, 60)), 0, 0, 2, 2, 255);
    EXPECT_EQ(CountColor(dst, qRgb(40, 50, 60)), 64);
    EXPECT_FALSE(Gdi::AlphaBlend(dst, 0, 0, -2, 2, src, 0, 0, 2, 2, 255));
}

TEST(Gdi, LinesBoxesAndCirclesLandOnWholePixels) {
    const QRgb bg = qRgb(0, 0, 0), red = qRgb(255, 0, 0);
    QImage img = Solid(40, 40, bg);
    Gdi::Line(img, 2, 3, 12, 3, Gdi::RGB(255, 0, 0));
    EXPECT_EQ(img.pixel(2, 3), red);
    EXPECT_EQ(img.pixel(11, 3), red);
    EXPECT_EQ(img.pixel(12, 3), bg);  // the end point is not drawn
    EXPECT_EQ(CountColor(img, red), 10);
    img = Solid(40, 40, bg);
    Gdi::Line(img, 0, 0, 10, 10, Gdi::RGB(255, 0, 0));
    EXPECT_EQ(img.pixel(5, 5), red);
    EXPECT_EQ(img.pixel(5, 6), bg);  // no smoothing
    EXPECT_EQ(CountColor(img, red), 10);

    img = Solid(40, 40, bg);
    Gdi::FillBox(img, 5, 6, 35, 19, Gdi::RGB(255, 0, 0));  // both corners included: 31 x 14
    EXPECT_EQ(CountColor(img, red), 31 * 14);
    EXPECT_EQ(img.pixel(35, 19), red);
    EXPECT_EQ(img.pixel(36, 19), bg);
    img = Solid(40, 40, bg);
    Gdi::Box(img, 5, 5, 14, 9, Gdi::RGB(255, 0, 0));
    EXPECT_EQ(CountColor(img, red), 2 * 10 + 2 * 3);
    EXPECT_EQ(img.pixel(10, 7), bg);                       // hollow
    Gdi::FillBox(img, -5, -5, 2, 2, Gdi::RGB(255, 0, 0));  // clipped, no crash
    EXPECT_EQ(img.pixel(0, 0), red);

    // A ring of radius 10 and width 4 around (20, 20): on the circle, not in the centre.
    img = Solid(40, 40, bg);
    Gdi::Circle(img, 20, 20, 10, Gdi::RGB(255, 0, 0), 4);
    EXPECT_EQ(img.pixel(30, 20), red);
    EXPECT_EQ(img.pixel(20, 8), red);  // within the pen's width
    EXPECT_EQ(img.pixel(20, 20), bg);
    EXPECT_EQ(img.pixel(20, 5), bg);   // beyond it
    EXPECT_EQ(img.pixel(20, 27), bg);  // inside the ring
    // A wide line keeps its width all along.
    img = Solid(40, 40, bg);
    Gdi::Line(img, 5, 20, 35, 20, Gdi::RGB(255, 0, 0), 5);
    EXPECT_EQ(img.pixel(20, 18), red);
    EXPECT_EQ(img.pixel(20, 22), red);
    EXPECT_EQ(img.pixel(20, 23), bg);
}

TEST(Gdi, TextStartsAtTheTopLeftOfItsCellAndHonoursTheClip) {
    QImage img = Solid(120, 40, qRgb(0, 0, 0));
    const int width = Gdi::PrintText(img, 10, 10, "128", Gdi::RGB(255, 255, 0), 11, true);
    EXPECT_GT(width, 10);
    int top = 99, bottom = -1, left = 999, right = -1;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x)
            if (qRed(img.pixel(x, y)) > 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GE(top, 10);                                 // nothing above the cell
    EXPECT_LT(bottom, 10 + Gdi::TextHeight(11, true));  // nothing below it
    EXPECT_GE(left, 10);
    EXPECT_LE(right, 10 + width);
    EXPECT_GT(Gdi::TextWidth("128", 11, true), Gdi::TextWidth("12", 11, true));

    img = Solid(120, 40, qRgb(0, 0, 0));
    Gdi::PrintText(img, 10, 10, "张三王五", Gdi::RGB(255, 255, 255), 9, true, Gdi::TextClip{10, 10, 15, 30});
    for (int y = 0; y < 40; ++y)
        for (int x = 25; x < 120; ++x) ASSERT_EQ(img.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    EXPECT_LT(CountColor(img, qRgb(0, 0, 0)), 120 * 40);
}

TEST(Gdi, PixelsOutsideThePictureAreRefused) {
    QImage img = Solid(3, 3, qRgb(1, 2, 3));
    EXPECT_EQ(Gdi::GetPixel(img, 1, 1), Gdi::RGB(1, 2, 3));
    EXPECT_EQ(Gdi::GetPixel(img, 3, 0), Gdi::kInvalidColor);
    EXPECT_EQ(Gdi::GetPixel(img, -1, 0), Gdi::kInvalidColor);
    EXPECT_TRUE(Gdi::SetPixel(img, 2, 2, Gdi::RGB(9, 8, 7)));
    EXPECT_EQ(img.pixel(2, 2), qRgb(9, 8, 7));
    EXPECT_FALSE(Gdi::SetPixel(img, 0, 3, Gdi::RGB(9, 8, 7)));
    EXPECT_EQ(Gdi::Row(img, 3), nullptr);
    ASSERT_NE(Gdi::Row(img, 0), nullptr);
    EXPECT_EQ(Gdi::Row(img, 0)[1], qRgb(1, 2, 3));
}

TEST(PictureFile, BitmapsKeepTheirColoursIconsTheirTransparencyMissingFilesAreEmpty) {
    harness::Harness h;
    const std::string app = h.AppFolder();
    paintfix::WriteBmp(app, "Res\\Pic.bmp", 5, 3, [](int x, int y) { return qRgb(x * 50, y * 100, 255); });
    const QImage pic = PictureFile::LoadPicture(app + "Res/Pic.bmp");
    ASSERT_EQ(pic.size(), QSize(5, 3));
    EXPECT_EQ(pic.pixel(4, 2), qRgb(200, 200, 255));
    EXPECT_FALSE(pic.hasAlphaChannel());
    paintfix::WriteIcon(app, "Res\\Mark.ico", 16, qRgb(10, 200, 30), 4);
    const QImage icon = PictureFile::LoadPicture(app + "Res/Mark.ico");
    ASSERT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(icon.pixel(8, 8), qRgb(10, 200, 30));
    // An icon leaves the destination where it is transparent.
    QImage dst = Solid(20, 20, qRgb(1, 1, 1));
    Gdi::PaintPicture(dst, icon, 2, 2);
    EXPECT_EQ(dst.pixel(3, 3), qRgb(1, 1, 1));
    EXPECT_EQ(dst.pixel(10, 10), qRgb(10, 200, 30));
    EXPECT_TRUE(PictureFile::LoadPicture(app + "Res/None.bmp").isNull());
    EXPECT_TRUE(PictureFile::LoadPicture(app + "Res").isNull());  // a folder is no picture
    // Drawing an empty picture changes nothing.
    const QImage before = dst;
    Gdi::PaintPicture(dst, QImage(), 0, 0);
    EXPECT_EQ(dst, before);
}

TEST(PaintImageByNullBack, KeyColourPixelsLeaveTheDestinationAndTheMatchIsExact) {
    const QRgb bg = qRgb(20, 30, 40);
    const Gdi::ColorRef key = Gdi::RGB(255, 0, 255);
    PictureBox back, scratch;
    back.Place(0, 0, 12, 12);
    clsPaintImageByNullBack painter;

    // No key pixel: an opaque rectangle.
    back.Image.fill(bg);
    painter.PictureBox_PaintImageByNullBack(back, Solid(4, 3, qRgb(200, 100, 50)), scratch, key, 2, 3);
    EXPECT_EQ(CountColor(back.Image, qRgb(200, 100, 50)), 12);
    EXPECT_EQ(back.Image.pixel(2, 3), qRgb(200, 100, 50));
    EXPECT_EQ(back.Image.pixel(5, 5), qRgb(200, 100, 50));
    EXPECT_EQ(back.Image.pixel(6, 5), bg);

    // Only key pixels: nothing changes.
    back.Image.fill(bg);
    const QImage before = back.Image;
    painter.PictureBox_PaintImageByNullBack(back, Solid(5, 5, qRgb(255, 0, 255)), scratch, key, 1, 1);
    EXPECT_EQ(back.Image, before);

    // One unit off the key in one channel is a colour of the picture and is drawn; other
    // colours come through unchanged (no mixing with the destination).
    QImage mixed(3, 1, QImage::Format_RGB32);
    mixed.setPixel(0, 0, qRgb(255, 0, 255));
    mixed.setPixel(1, 0, qRgb(254, 0, 255));
    mixed.setPixel(2, 0, qRgb(0, 0, 0));
    back.Image.fill(bg);
    painter.PictureBox_PaintImageByNullBack(back, mixed, scratch, key, 4, 4);
    EXPECT_EQ(back.Image.pixel(4, 4), bg);
    EXPECT_EQ(back.Image.pixel(5, 4), qRgb(254, 0, 255));
    EXPECT_EQ(back.Image.pixel(6, 4), qRgb(0, 0, 0));
    // Partly outside the destination: clipped.
    painter.PictureBox_PaintImageByNullBack(back, Solid(4, 4, qRgb(7, 7, 7)), scratch, key, 10, -2);
    EXPECT_EQ(back.Image.pixel(11, 0), qRgb(7, 7, 7));
    EXPECT_EQ(back.Image.pixel(11, 2), bg);
}

TEST(PaintImageByNullBack, OnlyAPersistentDestinationIsRefreshed) {
    PictureBox back, scratch;
    back.Place(0, 0, 10, 10);
    back.show();
    PaintCounter counter;
    back.installEventFilter(&counter);
    QCoreApplication::processEvents();
    clsPaintImageByNullBack painter;
    for (bool persistent : {false, true}) {
        back.AutoRedraw = persistent;
        counter.paints = 0;
        painter.PictureBox_PaintImageByNullBack(back, Solid(2, 2, qRgb(1, 2, 3)), scratch, Gdi::RGB(0, 0, 0), 0, 0);
        QCoreApplication::processEvents();
        if (persistent) EXPECT_EQ(counter.paints, 1);
        else EXPECT_EQ(counter.paints, 0);
    }
}

// A box placed with a picture shows the picture's top-left part; drawing on the box or on
// the picture afterwards changes only the one drawn on, and the box outlives the picture.
// A picture smaller than the box, or not opaque, is copied onto the background colour.
TEST(PictureBox, APlacedPictureIsSharedUntilEitherIsDrawnOn) {
    QImage picture(8, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) picture.setPixel(x, y, qRgb(x * 20, y * 30, 7));
    const QImage original = picture.copy();
    auto box = std::make_unique<PictureBox>();
    box->PlacePicture(3, 4, 5, 4, picture);
    EXPECT_EQ(box->geometry(), QRect(3, 4, 5, 4));
    EXPECT_EQ(box->Image, original.copy(0, 0, 5, 4));

    Gdi::SetPixel(box->Image, 0, 0, Gdi::RGB(255, 255, 255));
    EXPECT_EQ(box->Image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(picture, original);  // the decoded picture (the cache's) is untouched

    PictureBox other;
    other.PlacePicture(0, 0, 4, 4, picture);
    picture.fill(qRgb(0, 0, 0));
    EXPECT_EQ(other.Image, original.copy(0, 0, 4, 4));
    picture = QImage();
    EXPECT_EQ(other.Image, original.copy(0, 0, 4, 4));  // still readable without the picture
    box.reset();

    PictureBox larger;
    larger.BackColor = QColor(1, 2, 3);
    larger.PlacePicture(0, 0, 10, 7, original);
    EXPECT_EQ(larger.Image.copy(0, 0, 8, 6), original);
    EXPECT_EQ(CountColor(larger.Image, qRgb(1, 2, 3)), 10 * 7 - 8 * 6);
    QImage clear(4, 4, QImage::Format_ARGB32);
    clear.fill(qRgba(9, 9, 9, 0));
    larger.PlacePicture(0, 0, 4, 4, clear);
    EXPECT_EQ(CountColor(larger.Image, qRgb(9, 9, 9)), 16);  // as the copy always made them
    EXPECT_EQ(larger.Image.format(), QImage::Format_RGB32);
}

TEST(Transparency, LevelZeroLeavesTheTargetAndFullLevelCopiesTheSource) {
    PictureBox src, dst;
    src.Place(0, 0, 6, 6);
    dst.Place(0, 0, 8, 8);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) src.Image.setPixel(x, y, qRgb(x * 40, y * 40, 90));
    dst.Image.fill(qRgb(3, 4, 5));
    const QImage before = dst.Image;
    clsTransparency blend;
    blend.ShowTransparencyInPictureBox(src, dst, 0, 0, 0, 6, 6, 1, 1, 6, 6);
    EXPECT_EQ(dst.Image, before);
    blend.ShowTransparencyInPictureBox(src, dst, 255, 2, 2, 3, 3, 4, 4, 3, 3);
    EXPECT_EQ(dst.Image.pixel(4, 4), src.Image.pixel(2, 2));
    EXPECT_EQ(dst.Image.pixel(6, 6), src.Image.pixel(4, 4));
    EXPECT_EQ(dst.Image.pixel(3, 3), qRgb(3, 4, 5));
    EXPECT_EQ(dst.Image.pixel(7, 7), qRgb(3, 4, 5));
}

TEST(Transparency, BlendsOntoTheMainWindow) {
    harness::Harness h;
    ASSERT_TRUE(h.Start());
    PictureBox src;
    src.Place(0, 0, 4, 4);
    src.Image.fill(qRgb(250, 10, 10));
    h.Main().Image.fill(qRgb(10, 10, 250));
    clsTransparency().ShowTransparencyInForm(src, h.Main(), 255, 0, 0, 4, 4, 100, 100, 8, 8);
    EXPECT_EQ(h.Main().Image.pixel(100, 100), qRgb(250, 10, 10));
    EXPECT_EQ(h.Main().Image.pixel(107, 107), qRgb(250, 10, 10));
    EXPECT_EQ(h.Main().Image.pixel(108, 108), qRgb(10, 10, 250));
}

// The quick reader of the art's 32-bit icons gives exactly what the general image reader
// gives, for each size asked (the first image of that size, else the first), and the
// window's icon holds the same sizes and pixels as one read by QIcon itself.
TEST(PictureFile, IconsReadTheSameAsTheGeneralReader) {
    auto general = [](const std::string& file, int size) {
        QImageReader reader(QString::fromStdString(file));
        QImage picture;
        for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
            const QImage candidate = reader.read();
            if (picture.isNull()) picture = candidate;
            if (candidate.size() == QSize(size, size)) {
                picture = candidate;
                break;
            }
        }
        return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    };
    int compared = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(TILELINK_LOBBY_DIR)) {
        if (e.path().extension() != ".ico") continue;
        const std::string file = e.path().string();
        for (int size : {16, 32, 48}) EXPECT_EQ(PictureFile::LoadPicture(file, size), general(file, size)) << file;
        const QIcon quick = PictureFile::LoadIcon(file), read(QString::fromStdString(file));
        ASSERT_EQ(quick.availableSizes(), read.availableSizes()) << file;
        for (const QSize& size : read.availableSizes())
            EXPECT_EQ(quick.pixmap(size).toImage(), read.pixmap(size).toImage()) << file;
        ++compared;
    }
    EXPECT_GT(compared, 5);
}

// The quick reader of plain 24-bit bitmaps gives exactly what the general image reader
// gives: for every bitmap of the generated art, for rows stored top-down, for widths whose
// rows need padding; cut-off files it leaves to the general reader.
TEST(PictureFile, PlainBitmapsReadTheSameAsTheGeneralReader) {
    auto general = [](const std::string& file) {
        QImage picture = QImageReader(QString::fromStdString(file)).read();
        return picture.isNull() ? picture : picture.convertToFormat(QImage::Format_RGB32);
    };
    int compared = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(TILELINK_TABLE_DIR "/Res")) {
        if (e.path().extension() != ".bmp") continue;
        const QImage quick = PictureFile::LoadPicture(e.path().string());
        ASSERT_FALSE(quick.isNull()) << e.path();
        EXPECT_EQ(quick, general(e.path().string())) << e.path();
        ++compared;
    }
    EXPECT_GT(compared, 20);

    harness::Harness h;
    const std::string app = h.AppFolder();
    for (int width : {1, 2, 3, 7}) {
        const std::string name = "Res\\Odd" + std::to_string(width) + ".bmp";
        paintfix::WriteBmp(app, name, width, 4, [](int x, int y) { return qRgb(x * 30, y * 60, 90 + x + y); });
        const std::string file = paintfix::PathOf(app, name).toStdString();
        EXPECT_EQ(PictureFile::LoadPicture(file), general(file)) << width;
    }
    // The same rows stored top-down: the height field turns negative, the rows reverse.
    const std::string up = paintfix::PathOf(app, "Res\\Odd3.bmp").toStdString();
    QFile in(QString::fromStdString(up));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    const int offset = qFromLittleEndian<qint32>(bytes.constData() + 10);
    const int stride = (3 * 3 + 3) / 4 * 4;
    QByteArray down = bytes.left(offset);
    qToLittleEndian<qint32>(-4, down.data() + 22);
    for (int row = 3; row >= 0; --row) down += bytes.mid(offset + row * stride, stride);
    const std::string downFile = app + "Res/Down.bmp";
    QFile out(QString::fromStdString(downFile));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(down);
    out.close();
    EXPECT_EQ(PictureFile::LoadPicture(downFile), PictureFile::LoadPicture(up));
    // Cut off inside its rows: left to the general reader, which may keep the rows it got.
    const std::string cutFile = app + "Res/Cut.bmp";
    QFile cut(QString::fromStdString(cutFile));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() - 5));
    cut.close();
    const QImage partial = PictureFile::LoadPicture(cutFile);
    if (!partial.isNull()) EXPECT_EQ(partial.size(), QSize(3, 4));
}
