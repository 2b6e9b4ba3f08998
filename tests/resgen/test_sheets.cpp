// Every picture read back from the build tree: sizes and cell layouts as the table reads
// them, the key colours around the sprites, and the states of the button sheets.
#include <gtest/gtest.h>

#include <QColor>
#include <cmath>

#include "ResFiles.h"

namespace {

using ResFiles::ReadBmp;
using ResFiles::TablePath;

constexpr QRgb kMagenta = 0xFFFF00FF;
constexpr QRgb kPlacardKey = 0xFFF800EA;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kSmallBoard = 0xFF73A6FF;  // RGB(115, 166, 255)

QImage Table(const char* name) {
    const ResFiles::Picture picture = ReadBmp(TablePath(QString::fromLatin1(name)));
    EXPECT_TRUE(picture.fault.isEmpty()) << picture.fault.toStdString();
    return picture.image;
}

double MeanLuminance(const QImage& image, QRect r) {
    double sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) sum += qGray(image.pixel(x, y));
    return sum / (r.width() * r.height());
}

double MeanSaturation(const QImage& image, QRect r) {
    double sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) sum += QColor(image.pixel(x, y)).hsvSaturation();
    return sum / (r.width() * r.height());
}

double CellDistance(const QImage& sheet, QRect a, QRect b) {
    return ResFiles::MeanDistance(sheet.copy(a), sheet.copy(b));
}

TEST(Sheets, SizesAreThoseTheTableCutsFrom) {
    const struct {
        const char* name;
        int w, h;
    } sizes[] = {
        {"GameBack.bmp", 800, 600},        {"FangKuai.bmp", 39 * 31, 35},    {"FangKuai_HD.bmp", 39 * 31, 35},
        {"OtherUserIn.bmp", 117, 140},     {"OtherUserOut.bmp", 117, 140},   {"CurUserOut.bmp", 177, 56},
        {"OtherUserPosNo.bmp", 125, 25},   {"OtherUserFenZu.bmp", 115, 132}, {"CurUserFenZu.bmp", 177, 224},
        {"ScoreSort.bmp", 246, 48},        {"ScorePalard.bmp", 101, 42},     {"CurUserWinFlag.bmp", 194, 234},
        {"CurUserFailFlag.bmp", 194, 234}, {"TimeEnd.bmp", 190, 55},         {"hz_flash.bmp", 434, 24},
        {"vs_flash.bmp", 23, 420},         {"Blast/Blast001.bmp", 88, 80},   {"Blast/Blast002.bmp", 88, 80},
        {"Blast/Blast003.bmp", 88, 80},    {"LianJiBk.bmp", 110, 24},        {"Number.bmp", 110, 15},
        {"HelpBut.bmp", 236, 23},          {"SystemBut.bmp", 168, 21},       {"DaoJu/DjBut.bmp", 216, 96},
        {"FenZuBut.bmp", 156, 108},        {"DaiJuInfoJiao.bmp", 8, 7},      {"NetBreak.bmp", 22, 22},
    };
    for (const auto& s : sizes) EXPECT_EQ(Table(s.name).size(), QSize(s.w, s.h)) << s.name;
    for (int n = 0; n < 20; ++n) {
        const ResFiles::Picture face = ReadBmp(ResFiles::LobbyPath(QStringLiteral("UserRes/face/face%1.bmp").arg(n)));
        ASSERT_TRUE(face.fault.isEmpty()) << face.fault.toStdString();
        EXPECT_EQ(face.image.size(), QSize(24, 24));
    }
}

TEST(Sheets, IconsAreSquareWithClearCornersAndSolidMiddles) {
    QStringList icons = {TablePath("Hand.ico"), ResFiles::LobbyPath("res/Msg0.ico"),
                         ResFiles::LobbyPath("res/Msg1.ico"), ResFiles::LobbyPath("res/Msg2.ico")};
    for (int k = 0; k < 9; ++k) icons << TablePath(QStringLiteral("DaoJu/DjFlag%1.ico").arg(k));
    for (const QString& path : icons) {
        const ResFiles::Icon icon = ResFiles::DecodeIco(ResFiles::ReadAll(path));
        ASSERT_TRUE(icon.fault.isEmpty()) << path.toStdString() << ": " << icon.fault.toStdString();
        ASSERT_EQ(icon.images.size(), 1u) << path.toStdString();
        const QImage& image = icon.images[0];
        EXPECT_EQ(image.size(), QSize(32, 32)) << path.toStdString();
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) opaque += qAlpha(image.pixel(x, y)) == 255;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << path.toStdString();
        EXPECT_GT(opaque, 32 * 32 / 4) << path.toStdString() << " is mostly see-through";
    }
    const ResFiles::Icon logo = ResFiles::DecodeIco(ResFiles::ReadAll(TablePath("Logo.ico")));
    ASSERT_TRUE(logo.fault.isEmpty()) << logo.fault.toStdString();
    ASSERT_EQ(logo.images.size(), 2u);
    EXPECT_EQ(logo.images[0].size(), QSize(16, 16)) << "the caption paints the first picture at (10, 7)";
    EXPECT_EQ(logo.images[1].size(), QSize(32, 32));
}

TEST(Sheets, BoardClothMatchesWhatIsCopiedOverIt) {
    // Erased own tiles and cleared boards are restored from the background, and the
    // lightning strips are copied opaque: all must show one and the same cloth.
    const QImage back = Table("GameBack.bmp");
    const QRgb cloth = back.pixel(300, 360);
    for (int y = 200; y < 550; ++y)
        for (int x = 26; x < 584; ++x) ASSERT_EQ(back.pixel(x, y), cloth) << "own board not flat at " << x << "," << y;
    const QImage hz = Table("hz_flash.bmp");
    const QImage vs = Table("vs_flash.bmp");
    // Along their long edges the strips are plain cloth, so no seam shows beside a bolt.
    for (int x = 0; x < hz.width(); ++x) {
        EXPECT_EQ(hz.pixel(x, 0), cloth) << "horizontal strip top at " << x;
        EXPECT_EQ(hz.pixel(x, 23), cloth) << "horizontal strip bottom at " << x;
    }
    for (int y = 0; y < vs.height(); ++y) {
        EXPECT_EQ(vs.pixel(0, y), cloth) << "vertical strip left at " << y;
        EXPECT_EQ(vs.pixel(22, y), cloth) << "vertical strip right at " << y;
    }
    const QImage tiles = Table("FangKuai.bmp");
    for (int k = 0; k < 39; ++k) EXPECT_EQ(tiles.pixel(k * 31 + 30, 17), cloth) << "the gap right of tile " << k + 1;

    // A small board's cells are erased with RGB(115, 166, 255): the panel's board is that colour.
    const QImage panel = Table("OtherUserIn.bmp");
    for (int y = 29; y < 99; ++y)
        for (int x = 13; x < 103; ++x) ASSERT_EQ(panel.pixel(x, y), kSmallBoard) << "small board at " << x << "," << y;
    const QImage numbers = Table("OtherUserPosNo.bmp");
    for (int n = 0; n < 5; ++n) EXPECT_EQ(numbers.pixel(n * 25, 0), kSmallBoard) << "position number " << n + 1;
}

TEST(Sheets, LightningPiecesJoinEndToEnd) {
    // Any piece may follow any other: each bolt enters and leaves on the centre line.
    const QImage hz = Table("hz_flash.bmp");
    const QImage vs = Table("vs_flash.bmp");
    for (int k = 0; k < 14; ++k) {
        EXPECT_GT(qGray(hz.pixel(k * 31, 12)), 200) << "piece " << k << " left end";
        EXPECT_GT(qGray(hz.pixel(k * 31 + 30, 12)), 200) << "piece " << k << " right end";
    }
    for (int k = 0; k < 12; ++k) {
        EXPECT_GT(qGray(vs.pixel(11, k * 35)), 200) << "piece " << k << " top";
        EXPECT_GT(qGray(vs.pixel(11, k * 35 + 34)), 200) << "piece " << k << " bottom";
    }
    for (int k = 1; k < 14; ++k)
        EXPECT_GT(CellDistance(hz, {0, 0, 31, 24}, {k * 31, 0, 31, 24}), 1.0) << "pieces repeat";
}

struct Sprite {
    const char* name;
    QRgb key;
    bool solid;  // the drawing has no see-through holes
};

TEST(Sheets, SpritesSitOnTheirKeyColourWithoutFringesOrHoles) {
    const Sprite sprites[] = {
        {"Blast/Blast001.bmp", kMagenta, false}, {"Blast/Blast002.bmp", kMagenta, false},
        {"Blast/Blast003.bmp", kMagenta, false}, {"ScorePalard.bmp", kPlacardKey, true},
        {"CurUserWinFlag.bmp", kWhite, true},    {"CurUserFailFlag.bmp", kWhite, true},
        {"TimeEnd.bmp", kMagenta, true},         {"LianJiBk.bmp", kBlack, true},
        {"Number.bmp", kBlack, false},           {"ScoreSort.bmp", kBlack, true},
    };
    for (const Sprite& s : sprites) {
        const QImage image = Table(s.name);
        const int w = image.width(), h = image.height();
        for (int x = 0; x < w; ++x) {
            EXPECT_EQ(image.pixel(x, 0), s.key) << s.name << " top edge at " << x;
            EXPECT_EQ(image.pixel(x, h - 1), s.key) << s.name << " bottom edge at " << x;
        }
        int drawn = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) drawn += image.pixel(x, y) != s.key;
        EXPECT_GT(drawn, w * h / 10) << s.name << " is nearly empty";
        EXPECT_EQ(ResFiles::NearKeyPixels(image, s.key, 12.0), 0) << s.name << " has pixels that nearly match its key";
        if (s.solid) {
            EXPECT_EQ(ResFiles::EnclosedKeyPixels(image, s.key), 0) << s.name << " has see-through holes";
        }
    }
    // The blast centres on the tile: its cell's middle is covered by every frame.
    for (const char* frame : {"Blast/Blast001.bmp", "Blast/Blast002.bmp"})
        EXPECT_NE(Table(frame).pixel(45, 46), kMagenta);
    // The combo badge must show where it is drawn, and its right part stays see-through
    // except for the line under the digits.
    const QImage banner = Table("LianJiBk.bmp");
    EXPECT_NE(banner.pixel(24, 12), kBlack);
    EXPECT_EQ(banner.pixel(80, 12), kBlack);
    // Each of the six place sprites and the eleven digit glyphs is drawn and distinct.
    const QImage places = Table("ScoreSort.bmp");
    const QImage digits = Table("Number.bmp");
    for (int i = 0; i < 6; ++i) {
        EXPECT_NE(places.pixel(i * 41 + 20, 31), kBlack) << "place " << i + 1;
        EXPECT_EQ(places.pixel(i * 41, 47), kBlack) << "place " << i + 1 << " corner";
        for (int j = 0; j < i; ++j) EXPECT_GT(CellDistance(places, {i * 41, 0, 41, 48}, {j * 41, 0, 41, 48}), 3.0);
    }
    for (int i = 0; i < 11; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_GT(CellDistance(digits, {i * 10, 0, 10, 15}, {j * 10, 0, 10, 15}), 10.0) << i << " vs " << j;
}

TEST(Sheets, ButtonStatesLookLikeTheirState) {
    const QImage items = Table("DaoJu/DjBut.bmp");
    for (int k = 0; k < 9; ++k) {
        const QRect disabled(24 * k, 0, 24, 24), normal(24 * k, 24, 24, 24), hover(24 * k, 48, 24, 24),
            pressed(24 * k, 72, 24, 24);
        EXPECT_LT(MeanSaturation(items, disabled), MeanSaturation(items, normal) * 0.6)
            << "item " << k << " disabled is not grey";
        EXPECT_GT(MeanLuminance(items, hover), MeanLuminance(items, normal)) << "item " << k << " hover";
        EXPECT_LT(MeanLuminance(items, pressed), MeanLuminance(items, normal)) << "item " << k << " pressed";
        for (int j = 0; j < k; ++j)
            EXPECT_GT(CellDistance(items, normal, {24 * j, 24, 24, 24}), 15.0) << k << " vs " << j;
    }
    const QImage help = Table("HelpBut.bmp");
    EXPECT_GT(CellDistance(help, {0, 0, 59, 23}, {59, 0, 59, 23}), 20.0);
    EXPECT_GT(CellDistance(help, {118, 0, 59, 23}, {177, 0, 59, 23}), 20.0);
    EXPECT_GT(CellDistance(help, {0, 0, 59, 23}, {118, 0, 59, 23}), 5.0) << "the two help buttons read alike";
    const QImage system = Table("SystemBut.bmp");
    for (int p = 0; p < 4; ++p) {
        EXPECT_GT(CellDistance(system, {42 * p, 0, 21, 21}, {42 * p + 21, 0, 21, 21}), 10.0) << "picture " << p;
        for (int q = 0; q < p; ++q)
            EXPECT_GT(CellDistance(system, {42 * p, 0, 21, 21}, {42 * q, 0, 21, 21}), 5.0) << p << " vs " << q;
    }
    const QImage groups = Table("FenZuBut.bmp");
    for (int g = 0; g < 4; ++g) {
        EXPECT_GT(CellDistance(groups, {39 * g, 0, 39, 36}, {39 * g, 36, 39, 36}), 5.0) << "group " << g << " hover";
        EXPECT_GT(CellDistance(groups, {39 * g, 0, 39, 36}, {39 * g, 72, 39, 36}), 20.0)
            << "group " << g << " selected";
        for (int h = 0; h < g; ++h) EXPECT_GT(CellDistance(groups, {39 * g, 0, 39, 36}, {39 * h, 0, 39, 36}), 15.0);
    }
}

TEST(Sheets, GroupBarsLeaveRoomForBlackNames) {
    // Names and titles are printed in black on the bars: the text area must be light.
    const QImage small = Table("OtherUserFenZu.bmp");
    const QImage own = Table("CurUserFenZu.bmp");
    for (int g = 0; g < 4; ++g) {
        EXPECT_GT(MeanLuminance(small, QRect(6, 33 * g + 3, 70, 27)), 150) << "small bar " << g;
        EXPECT_GT(MeanLuminance(own, QRect(55, 56 * g + 12, 80, 34)), 150) << "own bar " << g;
        for (int h = 0; h < g; ++h) {
            EXPECT_GT(CellDistance(small, {0, 33 * g, 115, 33}, {0, 33 * h, 115, 33}), 15.0) << g << " vs " << h;
            EXPECT_GT(CellDistance(own, {0, 56 * g, 177, 56}, {0, 56 * h, 177, 56}), 15.0) << g << " vs " << h;
        }
    }
}

TEST(Sheets, ChatFacesAreAllDifferent) {
    std::vector<QImage> faces;
    for (int n = 0; n < 20; ++n)
        faces.push_back(ReadBmp(ResFiles::LobbyPath(QStringLiteral("UserRes/face/face%1.bmp").arg(n))).image);
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_GT(ResFiles::MeanDistance(faces[i], faces[j]), 2.0) << "face" << i << " vs face" << j;
}

}  // namespace
