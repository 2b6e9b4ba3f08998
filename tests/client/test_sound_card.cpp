// The table window starts without the sound, network and TLS libraries: the real table
// program needs none of them to load, shows its first frame against a loopback listener
// and then connects through the stream library beside it; the sound card library it opens
// later makes a card that plays the generated sounds.
#include <gtest/gtest.h>

#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include "client/platform/SocketStream.h"
#include "client/platform/SoundCard.h"
#include "core/LaunchMarker.h"

namespace {

const QString kTableDir = QStringLiteral(TILELINK_TABLE_DIR);

// The libraries a running process has mapped, as the text of its maps file.
QString MappedFiles(qint64 pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    if (!maps.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(maps.readAll());
}

}  // namespace

TEST(SoundCard, TableShowsItsFirstFrameWithoutTheSoundOrTlsLibraries) {
    // The program itself names no network library: it comes with the stream library.
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), kTableDir + QStringLiteral("/tilelink-table")});
    ASSERT_TRUE(readelf.waitForFinished(10000));
    const QByteArray needed = readelf.readAllStandardOutput();
    ASSERT_TRUE(needed.contains("libQt6Widgets")) << needed.constData();
    EXPECT_FALSE(needed.contains("libQt6Network")) << needed.constData();

    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    QProcess table;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TILELINK_FIRST_FRAME"), QStringLiteral("1"));
    table.setProcessEnvironment(env);
    table.start(
        kTableDir + QStringLiteral("/tilelink-table"),
        {QString::fromLatin1(LaunchMarker::kText), QStringLiteral("127.0.0.1"), QString::number(listener.serverPort()),
         QStringLiteral("tilelink"), QStringLiteral("长工_100`短工_200"), QStringLiteral("0"), QStringLiteral("0"),
         QStringLiteral("tester"), QStringLiteral("1")});
    ASSERT_TRUE(table.waitForStarted(10000));
    QByteArray out;
    for (int i = 0; i < 500 && !out.contains("first-frame\n"); ++i) {
        table.waitForReadyRead(20);
        out += table.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("first-frame\n")) << out.constData();
    // The window is up and has connected (plain TCP to a loopback address).
    for (int i = 0; i < 250 && !listener.hasPendingConnections(); ++i) QTest::qWait(20);
    EXPECT_TRUE(listener.hasPendingConnections());
    const QString mapped = MappedFiles(table.processId());
    ASSERT_TRUE(mapped.contains(QStringLiteral("libQt6Widgets")));
    EXPECT_FALSE(mapped.contains(QStringLiteral("libQt6Multimedia"))) << "sound loaded before the first frame";
    EXPECT_FALSE(mapped.contains(QStringLiteral("tilelink-sound"))) << "sound loaded before the first frame";
    EXPECT_FALSE(mapped.contains(QStringLiteral("libssl"))) << "TLS loaded for a plain connection";
    EXPECT_TRUE(mapped.contains(QString::fromLatin1(kSocketStreamLibrary))) << "connected without the stream library";
    table.kill();
    table.waitForFinished(5000);
}

TEST(SoundCard, TheLibraryBesideTheTableMakesACardThatPlaysAndStops) {
    QLibrary library(kTableDir + QLatin1Char('/') + QString::fromLatin1(kSoundCardLibrary));
    const auto newCard = reinterpret_cast<NewSoundCardFunction>(library.resolve(kNewSoundCard));
    ASSERT_NE(newCard, nullptr) << library.errorString().toStdString();
    std::unique_ptr<SoundCard> card(newCard());
    ASSERT_NE(card, nullptr);
    card->HasOutputDevice();  // any answer: the test machine may have no sound card
    EXPECT_FALSE(card->IsPlaying());
    const QString wave = kTableDir + QStringLiteral("/Res/Sound/DelFk.wav");
    ASSERT_TRUE(QFile::exists(wave));
    card->Play(wave.toStdString());
    card->Play(wave.toStdString());  // the same file again while it may still be loading
    card->Stop();
    EXPECT_FALSE(card->IsPlaying());
    card->Play((kTableDir + QStringLiteral("/Res/Sound/NoSuchSound.wav")).toStdString());  // silence, no fault
    card.reset();
}
