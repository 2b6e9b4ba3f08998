// The map files the room server deals from and the six sound effects.
#include <gtest/gtest.h>

#include <QDir>
#include <QList>
#include <cmath>
#include <set>

#include "ResFiles.h"
#include "core/GbkText.h"

namespace {

QList<QByteArray> CrLfLines(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    EXPECT_TRUE(lines.last().isEmpty()) << "the last line must end with CR LF";
    lines.removeLast();
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << "line without CR: " << line.toStdString();
        line.chop(1);
    }
    return lines;
}

TEST(Maps, TitlesAndLayoutsMatchAndEveryLayoutDealsInPairs) {
    const QByteArray titleFile = ResFiles::ReadAll(ResFiles::TablePath("Map/MapTitle.txt"));
    ASSERT_FALSE(titleFile.isEmpty());
    const QList<QByteArray> titles = CrLfLines(titleFile);
    ASSERT_GE(titles.size(), 13) << "the random entry and at least twelve maps";
    EXPECT_EQ(GbkText::ToUtf8(titles[0].toStdString()), "随机地图");
    std::set<std::string> seenTitles;
    for (const QByteArray& title : titles) {
        const std::string utf8 = GbkText::ToUtf8(title.toStdString());
        EXPECT_FALSE(utf8.empty()) << "a title that is empty or not GBK";
        EXPECT_EQ(title.indexOf(','), -1) << "the list is read field by field at commas";
        EXPECT_EQ(title.indexOf('"'), -1);
        EXPECT_TRUE(seenTitles.insert(utf8).second) << "title twice: " << utf8;
    }

    const int maps = static_cast<int>(titles.size()) - 1;
    const QStringList files = QDir(ResFiles::TablePath("Map")).entryList({QStringLiteral("Map*.map")}, QDir::Files);
    EXPECT_EQ(files.size(), maps) << "one file per title after the random entry";
    std::set<QByteArray> layouts;
    for (int n = 1; n <= maps; ++n) {
        const QString name = QStringLiteral("Map/Map%1.map").arg(n, 3, 10, QLatin1Char('0'));
        const QByteArray bytes = ResFiles::ReadAll(ResFiles::TablePath(name));
        ASSERT_FALSE(bytes.isEmpty()) << name.toStdString();
        const QList<QByteArray> rows = CrLfLines(bytes);
        ASSERT_EQ(rows.size(), 10) << name.toStdString();
        int tiles = 0;
        for (const QByteArray& row : rows) {
            ASSERT_EQ(row.size(), 18) << name.toStdString();
            for (char c : row) {
                EXPECT_TRUE(c == '0' || c == '1') << name.toStdString() << " holds '" << c << "'";
                tiles += c == '1';
            }
        }
        EXPECT_EQ(tiles % 2, 0) << name.toStdString() << " has an odd number of tiles";
        EXPECT_GE(tiles, 80) << name.toStdString();
        EXPECT_LE(tiles, 144) << name.toStdString();
        EXPECT_TRUE(layouts.insert(bytes).second) << name.toStdString() << " repeats another layout";
    }
}

TEST(Sounds, ShortCleanAndDistinct) {
    const char* names[] = {"DelFk.wav", "End.wav", "DaoJu.wav", "SelectFk.wav", "Start.wav", "timeWarn.wav"};
    std::vector<std::vector<std::int16_t>> sounds;
    for (const char* name : names) {
        const ResFiles::Wave wave =
            ResFiles::DecodeWav(ResFiles::ReadAll(ResFiles::TablePath(QStringLiteral("Sound/") + name)));
        ASSERT_TRUE(wave.fault.isEmpty()) << name << ": " << wave.fault.toStdString();
        const std::vector<std::int16_t>& s = wave.samples;
        const double seconds = s.size() / 22050.0;
        EXPECT_GE(seconds, 0.04) << name;
        EXPECT_LE(seconds, 1.0) << name;
        int peak = 0;
        for (std::int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_LT(peak, 32767 * 0.9) << name << " is close to clipping";
        EXPECT_GT(peak, 32767 * 0.3) << name << " is too quiet";
        // Starting and ending near silence: no click when played or cut off.
        EXPECT_LT(std::abs(s.front()), 600) << name;
        EXPECT_LT(std::abs(s.back()), 600) << name;
        sounds.push_back(s);
    }
    for (std::size_t i = 0; i < sounds.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(sounds[i], sounds[j]) << names[i] << " equals " << names[j];
    }
}

}  // namespace
