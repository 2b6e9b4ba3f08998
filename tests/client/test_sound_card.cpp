// The table window starts without the sound, network and TLS libraries: the real table
// program needs none of them to load, shows its first frame against a loopback listener
// and then connects through the stream library beside it; the sound card library it opens
// later makes a card that plays the generated sounds.
#include <gtest/gtest.h>

#include <QFile>
#include <QLibrary>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
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

TEST(SocketStream, TheLibraryBesideTheTableCarriesBytesBothWaysAndAbortsQuietly) {
    QLibrary library(kTableDir + QLatin1Char('/') + QString::fromLatin1(kSocketStreamLibrary));
    const auto newStream = reinterpret_cast<NewSocketStreamFunction>(library.resolve(kNewSocketStream));
    ASSERT_NE(newStream, nullptr) << library.errorString().toStdString();
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    std::unique_ptr<SocketStream> stream(newStream());
    ASSERT_NE(stream, nullptr);
    int connected = 0, readable = 0, ended = 0;
    stream->OnConnected = [&] { ++connected; };
    stream->OnReadyRead = [&] { ++readable; };
    stream->OnDisconnected = [&] { ++ended; };
    stream->OnError = [&](bool) { ++ended; };
    EXPECT_FALSE(stream->IsOpen());
    stream->Open("127.0.0.1", listener.serverPort(), false);
    for (int i = 0; i < 250 && (!connected || !listener.hasPendingConnections()); ++i) QTest::qWait(20);
    ASSERT_EQ(connected, 1);
    EXPECT_TRUE(stream->IsOpen());
    EXPECT_EQ(stream->PeerCertificateSha256(), "");  // plain TCP shows no certificate
    QTcpSocket* peer = listener.nextPendingConnection();
    ASSERT_NE(peer, nullptr);

    peer->write("from the room");
    peer->flush();
    QByteArray got;
    for (int i = 0; i < 250 && got.size() < 13; ++i) {
        QTest::qWait(20);
        got += stream->ReadAll();
    }
    EXPECT_EQ(got, QByteArray("from the room"));
    EXPECT_GE(readable, 1);
    const std::uint8_t out[] = {0, 0, 0, 2, 0x82, 0x30};
    stream->SetLowDelay();
    EXPECT_TRUE(stream->Write(out, sizeof out));
    QByteArray back;
    for (int i = 0; i < 250 && back.size() < 6; ++i) {
        QTest::qWait(20);  // the stream sends from the event loop
        back += peer->readAll();
    }
    EXPECT_EQ(back, QByteArray(reinterpret_cast<const char*>(out), sizeof out));

    // Dropped by this side: nothing is raised, the peer sees the end.
    stream->Abort();
    EXPECT_FALSE(stream->IsOpen());
    for (int i = 0; i < 50 && peer->state() == QAbstractSocket::ConnectedState; ++i) QTest::qWait(20);
    EXPECT_EQ(ended, 0);
    EXPECT_NE(peer->state(), QAbstractSocket::ConnectedState);

    // Dropped by the peer: the end is raised.
    std::unique_ptr<SocketStream> second(newStream());
    int secondEnded = 0;
    second->OnDisconnected = [&] { ++secondEnded; };
    second->OnError = [&](bool) { ++secondEnded; };
    second->Open("127.0.0.1", listener.serverPort(), false);
    for (int i = 0; i < 250 && !listener.hasPendingConnections(); ++i) QTest::qWait(20);
    QTcpSocket* secondPeer = listener.nextPendingConnection();
    ASSERT_NE(secondPeer, nullptr);
    for (int i = 0; i < 250 && !second->IsOpen(); ++i) QTest::qWait(20);
    secondPeer->close();
    for (int i = 0; i < 250 && !secondEnded; ++i) QTest::qWait(20);
    EXPECT_GE(secondEnded, 1);
    second.reset();
    stream.reset();
}
