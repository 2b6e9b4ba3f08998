// Start-up: the launch checks, the login, the settings file and window, the socket
// control against a real listener.
#include <gtest/gtest.h>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <fstream>

#include "ClientHarness.h"
#include "client/platform/FrmZelListGm.h"
#include "client/platform/ZelChatCtrl.h"
#include "client/platform/ZelTimeBarCtrl.h"
#include "client/start/frmUserSet.h"
#include "core/Framing.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/TableExit.h"
#include "core/modPublicTools.h"

// Forges raw messages: pins the login's wire bytes as the server reads them.
using harness::Harness;

namespace {
Bytes Login(char allowWatch) {
    Bytes b{130, 0};
    for (char c : std::string("400`QZT`") + allowWatch) b.push_back(static_cast<std::uint8_t>(c));
    return b;
}
}  // namespace

TEST(StartUp, WrongCountOrMarkerShowsOneBoxAndConnectsNowhere) {
    for (int variant = 0; variant < 4; ++variant) {
        Harness h;
        auto args = harness::LaunchArguments();
        std::string expected = "1号错误，无法正常启动游戏！";
        if (variant == 0) args.pop_back();
        if (variant == 1) args.push_back("extra");
        if (variant == 2) {
            args[1][0] = static_cast<char>(std::tolower(args[1][0]));
            expected = "2号错误，无法正常启动游戏！";
        }
        if (variant == 3) {  // wrong marker and wrong count: the count is checked first
            args[1][0] = static_cast<char>(std::tolower(args[1][0]));
            args.pop_back();
        }
        EXPECT_FALSE(h.Start(args));
        ASSERT_EQ(harness::Boxes().size(), 1u) << variant;
        EXPECT_EQ(harness::Boxes()[0].text, expected);
        EXPECT_EQ(harness::Boxes()[0].caption, "游戏提示");
        EXPECT_EQ(harness::Boxes()[0].icon, MsgBox::Icon::Error);
        EXPECT_FALSE(h.client->mainForm);
        EXPECT_TRUE(h.sent.empty());
    }
}

TEST(StartUp, FillsLaunchValuesAndLogsInOnce) {
    Harness h;
    ASSERT_TRUE(h.Start(harness::LaunchArguments("张三", "127.0.0.1", 6000)));
    auto& c = *h.client;
    EXPECT_EQ(c.strCurUserName, "张三");
    EXPECT_EQ(c.strRoomServerPort, "6000");
    EXPECT_EQ(c.bteScoreKind, 1);
    EXPECT_EQ(c.strAppPath, h.AppFolder());
    EXPECT_EQ(c.strLobbyPath.back(), '/');
    EXPECT_EQ(c.strAppPath.rfind(c.strLobbyPath, 0), 0u);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0], Login('1'));
    EXPECT_EQ(c.mainForm->width(), 800);
    EXPECT_EQ(c.mainForm->height(), 600);
}

// The first frame is the table's own picture: the panels, the window icon and the login
// come once it is out.
TEST(StartUp, PanelsIconAndLoginFollowTheFirstFrame) {
    Harness h(true);
    ASSERT_TRUE(h.client->start->Main(harness::LaunchArguments(), h.ProgramFile()));
    frmMain& w = h.Main();
    ASSERT_TRUE(w.ConnectPending());
    EXPECT_TRUE(w.isVisible());
    for (QWidget* panel :
         {static_cast<QWidget*>(w.ZelChat), static_cast<QWidget*>(w.lstUser), static_cast<QWidget*>(w.ZelTimeBar)})
        EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(w.windowIcon().isNull());
    EXPECT_TRUE(h.sent.empty());
    for (int i = 0; i < 1000 && w.ConnectPending(); ++i) QTest::qWait(1);
    ASSERT_FALSE(w.ConnectPending());
    QCoreApplication::processEvents();
    for (QWidget* panel :
         {static_cast<QWidget*>(w.ZelChat), static_cast<QWidget*>(w.lstUser), static_cast<QWidget*>(w.ZelTimeBar)})
        EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(w.windowIcon().isNull());
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0], Login('1'));
}

TEST(StartUp, LoginCarriesTheSpectatorSettingOfTheFile) {
    Harness h;
    std::ofstream(h.AppFolder() + "UserSet.ini", std::ios::binary) << "0\r\n1\r\n1\r\n1\r\n1\r\n";
    ASSERT_TRUE(h.Start());
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0], Login('0'));
}

TEST(StartUp, ScoreKindThatDoesNotFitInAByteIsRefused) {
    Harness h;
    auto args = harness::LaunchArguments();
    args[9] = "300";
    EXPECT_FALSE(h.Start(args));
    ASSERT_EQ(harness::Boxes().size(), 1u);
    EXPECT_EQ(harness::Boxes()[0].text, "1号错误，无法正常启动游戏！");
}

TEST(Settings, SpectatorOptionChangeTellsTheServer) {
    Harness h;
    ASSERT_TRUE(h.Start());
    h.sent.clear();
    {
        auto* w = new frmUserSet(*h.client);
        w->chkUser[1]->setChecked(false);  // sound only: nothing is sent
        w->cmdUser_Click(1);
    }
    EXPECT_TRUE(h.sent.empty());
    EXPECT_EQ(h.client->bteSoundOn, 0);
    {
        auto* w = new frmUserSet(*h.client);
        w->chkUser[0]->setChecked(false);
        w->cmdUser_Click(1);
    }
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0], RoomMessages::WatchChange("tester", false));
    std::ifstream in(h.AppFolder() + "UserSet.ini", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "0\r\n0\r\n1\r\n1\r\n1\r\n");
    {
        auto* w = new frmUserSet(*h.client);  // defaults, then cancel: nothing changes
        w->cmdUser_Click(0);
        EXPECT_TRUE(w->chkUser[0]->isChecked());
        w->cmdUser_Click(2);
    }
    EXPECT_EQ(h.client->bteAllowWatch, 0);
    EXPECT_EQ(h.sent.size(), 1u);
}

// A real listener: the hello frame, then exactly one login, then the program ends when
// the listener closes the connection.
class ListenerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }

    std::vector<Bytes> ReadFrames(QTcpSocket* s, std::size_t count) {
        Framing::FrameDecoder d;
        std::vector<Bytes> out;
        for (int i = 0; i < 100 && out.size() < count; ++i) {
            if (!s->bytesAvailable()) QTest::qWait(20);
            const QByteArray chunk = s->readAll();
            d.Feed(reinterpret_cast<const std::uint8_t*>(chunk.constData()), chunk.size());
            Bytes m;
            while (d.Next(m)) out.push_back(m);
        }
        return out;
    }

    QTcpSocket* Accept() {
        for (int i = 0; i < 100 && !server.hasPendingConnections(); ++i) QTest::qWait(20);
        return server.nextPendingConnection();
    }

    QTcpServer server;
};

TEST_F(ListenerTest, HelloThenLoginThenEndsWhenTheServerCloses) {
    Harness h;
    h.client->RecordSends = nullptr;
    ASSERT_TRUE(
        h.Start(harness::LaunchArguments("tester", "127.0.0.1#v1.1.dGVzdGVy..9999999999.-", server.serverPort())));
    QTcpSocket* s = Accept();
    ASSERT_NE(s, nullptr);
    auto frames = ReadFrames(s, 2);
    ASSERT_EQ(frames.size(), 2u);
    std::string ticket;
    ASSERT_TRUE(Framing::ParseHello(frames[0], ticket));
    EXPECT_EQ(ticket, "v1.1.dGVzdGVy..9999999999.-");
    EXPECT_EQ(frames[1], Login('1'));
    EXPECT_EQ(h.ended, 0);
    s->close();
    for (int i = 0; i < 100 && !h.ended; ++i) QTest::qWait(20);
    EXPECT_EQ(h.ended, 1);
    EXPECT_TRUE(h.client->blnQuitFlag);
}

TEST_F(ListenerTest, NoTicketNoHelloAndABadLengthEndsTheProgram) {
    Harness h;
    h.client->RecordSends = nullptr;
    ASSERT_TRUE(h.Start(harness::LaunchArguments("tester", "127.0.0.1", server.serverPort())));
    QTcpSocket* s = Accept();
    ASSERT_NE(s, nullptr);
    auto frames = ReadFrames(s, 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], Login('1'));
    const char bad[4] = {0x7F, 0, 0, 0};  // far above the largest frame
    s->write(bad, 4);
    s->flush();
    for (int i = 0; i < 100 && !h.ended; ++i) QTest::qWait(20);
    EXPECT_EQ(h.ended, 1);
    EXPECT_FALSE(h.client->mainForm->ZelSckClient->IsConnected());
}

// Why the window ended is its exit status: the launcher says it and opens it again or not.
TEST_F(ListenerTest, TheExitStatusSaysWhyTheWindowEnded) {
    struct Case {
        std::string what;
        std::vector<Bytes> before;  // sent by the server before it closes
        bool leave = false;         // the player leaves the table first
        int status;
    };
    RoomMessages::TableState noGame;
    noGame.recipientSeat = 3;
    const Bytes snapshot = RoomMessages::TableStateMsg(noGame);  // no game, seat 3
    const std::vector<Case> cases = {
        {"turned away at the door", {GameMessages::Notice("这张桌子已经坐满了。")}, false, TableExit::Refused},
        {"lost after being seated", {snapshot}, false, TableExit::ConnectionLost},
        {"left the table by choice", {snapshot}, true, TableExit::Closed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.client->RecordSends = nullptr;
        ASSERT_TRUE(h.Start(harness::LaunchArguments("tester", "127.0.0.1", server.serverPort())));
        QTcpSocket* s = Accept();
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(ReadFrames(s, 1).size(), 1u);
        for (const auto& m : c.before)
            s->write(reinterpret_cast<const char*>(Framing::EncodeFrame(m).data()),
                     static_cast<qint64>(Framing::EncodeFrame(m).size()));
        s->flush();
        QTest::qWait(100);
        if (c.leave) {
            EXPECT_TRUE(h.client->SendMessage(RoomMessages::LeaveRequest("tester")));
        }
        s->close();
        for (int i = 0; i < 100 && !h.ended; ++i) QTest::qWait(20);
        EXPECT_EQ(h.ended, 1);
        EXPECT_EQ(h.client->exitStatus, c.status);
    }
    // Nobody at the address at all.
    Harness h;
    h.client->RecordSends = nullptr;
    ASSERT_TRUE(h.Start(harness::LaunchArguments("tester", "127.0.0.1", 1)));
    for (int i = 0; i < 100 && !h.ended; ++i) QTest::qWait(20);
    EXPECT_EQ(h.client->exitStatus, TableExit::ConnectFailed);
    // A listener there, but no stream library beside the program: no connection either.
    Harness bare;
    bare.client->RecordSends = nullptr;
    std::filesystem::remove(bare.AppFolder() + kSocketStreamLibrary);
    ASSERT_TRUE(bare.Start(harness::LaunchArguments("tester", "127.0.0.1", server.serverPort())));
    for (int i = 0; i < 100 && !bare.ended; ++i) QTest::qWait(20);
    EXPECT_EQ(bare.ended, 1);
    EXPECT_EQ(bare.client->exitStatus, TableExit::ConnectFailed);
    EXPECT_FALSE(server.hasPendingConnections());
    // The player's own close.
    Harness own;
    ASSERT_TRUE(own.Start());
    own.Main().close();
    EXPECT_EQ(own.client->exitStatus, TableExit::Closed);
}

TEST(StartUp, NotConnectedControlRefusesToSend) {
    Harness h;
    h.client->RecordSends = nullptr;
    ASSERT_TRUE(h.Start(harness::LaunchArguments("tester", "127.0.0.1", 1)));
    EXPECT_FALSE(h.client->SendMessage(GameMessages::ReadyRequest(0)));
}
