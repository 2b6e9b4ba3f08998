// Pictures that other pictures or texts are drawn over: the marks must fit where the seats
// put them, and texts the table prints must stand out from what lies under them.
#include <gtest/gtest.h>

#include <QColor>

#include "ResFiles.h"
#include "tools/resgen/MapMaker.h"
#include "tools/resgen/SoundSynth.h"

namespace {

QImage Table(const char* name) { return ResFiles::ReadBmp(ResFiles::TablePath(QString::fromLatin1(name))).image; }

double MeanLuminance(const QImage& image, QRect r) {
    double sum = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) sum += qGray(image.pixel(x, y));
    return sum / (r.width() * r.height());
}

TEST(Readability, MarksFitInsideTheBarsTheyAreDrawnOn) {
    const QSize mark = Table("NetBreak.bmp").size();
    // Small seats: bar at panel (1, 105) 115 x 33, mark at panel (83, 106).
    EXPECT_LE(83 + mark.width(), 1 + 115);
    EXPECT_LE(106 + mark.height(), 105 + 33);
    // Own seat: bar at (0, 0) 177 x 56, mark at (140, 13).
    EXPECT_LE(140 + mark.width(), 177);
    EXPECT_LE(13 + mark.height(), 56);
    // The raised hand on a small seat stays on its panel, and a small panel ends before
    // the own board's area begins.
    const QSize panel = Table("OtherUserIn.bmp").size();
    EXPECT_LE(50 + 32, panel.width());
    EXPECT_LE(32 + panel.height(), 177);
    EXPECT_EQ(Table("OtherUserOut.bmp").size(), panel) << "free and taken seats cover the same place";
}

TEST(Readability, PrintedTextsStandOutFromTheirGround) {
    const QImage back = Table("GameBack.bmp");
    // The caption text is light blue RGB(206, 229, 255): the caption strip must be dark.
    EXPECT_LT(MeanLuminance(back, QRect(30, 9, 370, 14)), 80);
    // Counts are printed bold white on the item buttons, from x = 2 at the bottom left.
    const QImage items = Table("DaoJu/DjBut.bmp");
    for (int k = 0; k < 9; ++k) {
        for (int s = 1; s <= 3; ++s) {
            EXPECT_LT(MeanLuminance(items, QRect(24 * k + 1, 24 * s + 13, 10, 10)), 170)
                << "item " << k << " state " << s;
        }
    }
    // The white score goes into the placard's dark well.
    EXPECT_LT(MeanLuminance(Table("ScorePalard.bmp"), QRect(60, 14, 30, 14)), 80);
}

TEST(Readability, MapFileNamesAndTitlesAsTheDialogOpensThem) {
    EXPECT_EQ(MapMaker::MapFileName(1), QStringLiteral("Map001.map"));
    EXPECT_EQ(MapMaker::MapFileName(7), QStringLiteral("Map007.map"));
    EXPECT_EQ(MapMaker::MapFileName(12), QStringLiteral("Map012.map"));
    EXPECT_EQ(MapMaker::MapFileName(123), QStringLiteral("Map123.map"));
    const std::vector<MapMaker::Layout> layouts = MapMaker::Layouts();
    const QByteArray titles = MapMaker::TitleFile(layouts);
    EXPECT_EQ(titles.count("\r\n"), static_cast<qsizetype>(layouts.size()) + 1);
    for (const MapMaker::Layout& layout : layouts) {
        EXPECT_EQ(MapMaker::MapFile(layout).size(), 10 * 20) << layout.title.toStdString();
    }
}

TEST(Readability, SoundsKeepHeadroomAndTheirNumbers) {
    const char* files[] = {"DelFk.wav", "End.wav", "DaoJu.wav", "SelectFk.wav", "Start.wav", "timeWarn.wav"};
    for (int n = 0; n < SoundSynth::kSoundCount; ++n) {
        EXPECT_EQ(SoundSynth::SoundFileName(n), QString::fromLatin1(files[n])) << "sound number " << n;
        const std::vector<std::int16_t> s = SoundSynth::Sound(n);
        int peak = 0;
        for (std::int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_NEAR(peak, 0.7 * 32767, 2) << files[n];
    }
}

}  // namespace
