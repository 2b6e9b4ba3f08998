// The lobby window: its drawn tables answer clicks on the right seats, and against the
// real room it logs in, shows the live lists, chats, and opens a table with computer
// players whose real table window comes and goes.
#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "lobby/window/LobbyWindow.h"
#include "lobby/window/TableMap.h"
#include "net/ChildProcess.h"
#include "tests/LiveServer.h"

namespace fs = std::filesystem;
namespace LM = LobbyMessages;
using namespace std::chrono_literals;

namespace {

LM::TableView Table(int number, std::vector<std::string> names) {
    LM::TableView t;
    t.number = number;
    for (std::size_t s = 0; s < names.size() && s < t.seats.size(); ++s) t.seats[s].name = names[s];
    return t;
}

// The index of a shown table by its number, or -1.
int ShownIndex(const TableMap& map, int number) {
    for (int i = 0; i < static_cast<int>(map.Shown().size()); ++i)
        if (map.Shown()[i].number == number) return i;
    return -1;
}

// The table where `name` sits in the window's list, or 0.
int TableOf(const LobbyWindow& w, const QString& name) {
    for (const auto& t : w.Tables()->Shown())
        for (const auto& s : t.seats)
            if (QString::fromStdString(s.name) == name) return t.number;
    return 0;
}

QTreeWidgetItem* UserRow(const LobbyWindow& w, const QString& name) {
    const auto found = w.Users()->findItems(name, Qt::MatchExactly, 0);
    return found.isEmpty() ? nullptr : found.front();
}

fs::path TempFile(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("tilelink-lobbywindow-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir / name;
}

LobbyWindow::Setup SetupFor(const std::string& server, const std::string& settings) {
    LobbyWindow::Setup s;
    s.tableProgram = fs::path(TILELINK_TABLE_DIR) / "tilelink-table";
    s.settingsFile = TempFile(settings);
    s.server = QString::fromStdString(server);
    return s;
}

}  // namespace

TEST(TableMap, FreeSeatsSitTakenSeatsWatchAndTablesNeverOverlap) {
    TableMap map;
    map.resize(3 * TableMap::kCellWidth + 10, 600);
    map.SetMe("我");
    map.SetTables({Table(3, {"甲", "", "我"}), Table(1, {"一个名字很长很长很长的玩家"})});
    // Sorted by number, with a free table of the lowest unused number at the end.
    ASSERT_EQ(map.Shown().size(), 3u);
    EXPECT_EQ(map.Shown()[0].number, 1);
    EXPECT_EQ(map.Shown()[1].number, 3);
    EXPECT_EQ(map.Shown()[2].number, 2);
    EXPECT_TRUE(map.Shown()[2].Empty());

    QSignalSpy sit(&map, &TableMap::SitAt), watch(&map, &TableMap::WatchPlayer);
    const int three = ShownIndex(map, 3);
    QTest::mouseClick(&map, Qt::LeftButton, {}, map.SeatRect(three, 1).center());
    QTest::mouseClick(&map, Qt::LeftButton, {}, map.SeatRect(three, 0).center());
    QTest::mouseClick(&map, Qt::LeftButton, {}, map.SeatRect(three, 2).center());  // my own seat: nothing
    QTest::mouseClick(&map, Qt::LeftButton, {}, map.SeatRect(ShownIndex(map, 2), 5).center());
    // A click between the seats, on the table top, does nothing either.
    QTest::mouseClick(&map, Qt::LeftButton, {},
                      (map.SeatRect(three, 5).center() + map.SeatRect(three, 2).center()) / 2);
    ASSERT_EQ(sit.count(), 2);
    EXPECT_EQ(sit[0][0].toInt(), 3);
    EXPECT_EQ(sit[1][0].toInt(), 2);
    ASSERT_EQ(watch.count(), 1);
    EXPECT_EQ(watch[0][0].toString(), QStringLiteral("甲"));

    // Every seat of every table inside the widget and apart from every other seat, at a
    // width of three tables a row and at one a row.
    for (int width : {3 * TableMap::kCellWidth, TableMap::kCellWidth + 40}) {
        map.resize(width, map.heightForWidth(width));
        std::vector<QRect> seats;
        for (int i = 0; i < static_cast<int>(map.Shown().size()); ++i)
            for (int s = 0; s < LM::kSeats; ++s) seats.push_back(map.SeatRect(i, s));
        for (std::size_t a = 0; a < seats.size(); ++a) {
            EXPECT_TRUE(map.rect().contains(seats[a])) << "width " << width << " seat " << a;
            for (std::size_t b = a + 1; b < seats.size(); ++b)
                EXPECT_FALSE(seats[a].intersects(seats[b])) << "width " << width << " seats " << a << " " << b;
        }
    }
    EXPECT_EQ(map.heightForWidth(TableMap::kCellWidth + 40), 3 * TableMap::kCellHeight);
}

TEST(LobbyWindowRoom, AGuestSeesTheLiveListsAndPlaysComputersInOneClick) {
    LiveServer server({});
    ASSERT_FALSE(server.Address().empty());
    // A player of another program already sits at table 3.
    ChildProcess bot;
    ASSERT_TRUE(bot.Start(
        std::string(TILELINK_TABLE_DIR) + "/tilelink-bot",
        {"--server", server.Address(), "--table", "3", "--count", "1", "--strategy", "first", "--names", "老王"},
        false));

    LobbyWindow w(SetupFor(server.Address(), "guest.conf"));
    w.show();
    w.ConnectToServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.GuestButton()->isEnabled(); }, 10000))
        << w.Status()->text().toStdString();
    EXPECT_FALSE(w.PlayComputers()->isEnabled());  // not before logging in
    QTest::mouseClick(w.GuestButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Me().isEmpty(); }, 10000)) << w.Status()->text().toStdString();
    EXPECT_TRUE(w.Me().startsWith(QStringLiteral("游客"))) << w.Me().toStdString();

    // The seated player from the room's live list, at the table drawn with its seats, and
    // in the user list with points and a title.
    ASSERT_TRUE(QTest::qWaitFor([&] { return TableOf(w, "老王") == 3 && UserRow(w, "老王"); }, 15000));
    EXPECT_FALSE(UserRow(w, "老王")->text(2).isEmpty());
    EXPECT_FALSE(UserRow(w, "老王")->text(1).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return UserRow(w, w.Me()) != nullptr; }, 10000));

    // Room chat: a line sent comes back from the room.
    w.ChatInput()->setText(QStringLiteral("大家好"));
    QTest::keyClick(w.ChatInput(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.ChatView()->toPlainText().contains(QStringLiteral("大家好")); }, 10000));
    EXPECT_TRUE(w.ChatView()->toPlainText().contains(w.Me()));

    // One click: a new table with computer players, the real table window placed there,
    // and the window's list shows the guest at it among the computer players.
    QSignalSpy placed(&w.Runs(), &TableRuns::Placed), ended(&w.Runs(), &TableRuns::Ended);
    QTest::mouseClick(w.PlayComputers(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return placed.count() == 1 || ended.count() > 0; }, 30000))
        << w.Status()->text().toStdString();
    ASSERT_EQ(placed.count(), 1) << w.Status()->text().toStdString();
    const int table = placed[0][0].toInt();
    EXPECT_NE(table, 3);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (TableOf(w, w.Me()) != table) return false;
            const int at = ShownIndex(*w.Tables(), table);
            int computers = 0;
            for (const auto& s : w.Tables()->Shown()[at].seats) computers += s.name.rfind("电脑", 0) == 0;
            return computers == 5;
        },
        30000));
    EXPECT_EQ(w.Runs().Count(), 1);
    // A second seat request for the same table opens no second window.
    QSignalSpy sit(w.Tables(), &TableMap::SitAt);
    const int at = ShownIndex(*w.Tables(), table);
    for (int s = 0; s < LM::kSeats; ++s)
        if (w.Tables()->Shown()[at].seats[s].name.empty())
            QTest::mouseClick(w.Tables(), Qt::LeftButton, {}, w.Tables()->SeatRect(at, s).center());

    // Closing the lobby while the table window runs asks first; "no" keeps both.
    QTimer::singleShot(300, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::No)->click();
    });
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.Runs().Count(), 1);

    // The table window closes: the lobby is there again and its list no longer seats the guest.
    w.Runs().Close(table);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() == 1; }, 15000));
    EXPECT_EQ(w.Runs().Count(), 0);
    EXPECT_TRUE(w.isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return TableOf(w, w.Me()) == 0; }, 15000));
    EXPECT_EQ(TableOf(w, "老王"), 3);

    // A click on a taken seat: the table window opens to watch that player.
    const int three = ShownIndex(*w.Tables(), 3);
    int seat = 0;
    while (w.Tables()->Shown()[three].seats[seat].name != "老王") ++seat;
    QTest::mouseClick(w.Tables(), Qt::LeftButton, {}, w.Tables()->SeatRect(three, seat).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return placed.count() == 2 || ended.count() > 1; }, 30000))
        << w.Status()->text().toStdString();
    ASSERT_EQ(placed.count(), 2) << w.Status()->text().toStdString();
    EXPECT_EQ(placed[1][0].toInt(), 3);
    EXPECT_TRUE(w.Status()->text().contains(QStringLiteral("旁观 老王"))) << w.Status()->text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const int at3 = ShownIndex(*w.Tables(), 3);
            const auto& watchers = w.Tables()->Shown()[at3].spectators;
            return std::find(watchers.begin(), watchers.end(), w.Me().toStdString()) != watchers.end();
        },
        15000));
    w.Runs().Close(3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() == 2; }, 15000));
    bot.Stop();
}

TEST(LobbyWindowRoom, AccountsRegisterAndLogInAndTheAddressIsRemembered) {
    LiveServer server({});
    ASSERT_FALSE(server.Address().empty());
    const auto setup = SetupFor(server.Address(), "account.conf");
    fs::remove(setup.settingsFile);
    {
        LobbyWindow w(setup);
        w.ConnectToServer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.GuestButton()->isEnabled(); }, 10000));
        auto* name = w.NameField();
        auto* password = w.PasswordField();
        auto button = [&](const QString& text) {
            for (auto* b : w.findChildren<QPushButton*>())
                if (b->text() == text) return b;
            return static_cast<QPushButton*>(nullptr);
        };
        name->setText(QStringLiteral("小红"));
        password->setText("secret-words");
        QTest::mouseClick(button(QStringLiteral("注册")), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.Status()->text().contains(QStringLiteral("注册成功")); }, 15000))
            << w.Status()->text().toStdString();
        // A wrong password: refused in the window, nobody logged in.
        password->setText("wrong-words");
        QTest::mouseClick(button(QStringLiteral("登录")), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.Status()->text().contains(QStringLiteral("不对")); }, 15000))
            << w.Status()->text().toStdString();
        EXPECT_TRUE(w.Me().isEmpty());
        password->setText("secret-words");
        QTest::mouseClick(button(QStringLiteral("登录")), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.Me() == QStringLiteral("小红"); }, 15000))
            << w.Status()->text().toStdString();
        EXPECT_TRUE(password->text().isEmpty());  // the password is not kept in the window
    }
    // A window started without an address comes back to the remembered room and name.
    auto again = setup;
    again.server.clear();
    LobbyWindow w(again);
    EXPECT_EQ(w.ServerField()->text().toStdString(), server.Address());
    EXPECT_EQ(w.NameField()->text(), QStringLiteral("小红"));
    // A room whose address is not to be kept (a local room, its port new each time)
    // leaves the remembered one as it was.
    { std::ofstream(setup.settingsFile) << "server 127.0.0.1:9\n"; }
    auto local = setup;
    local.rememberServer = false;
    {
        LobbyWindow l(local);
        l.ConnectToServer();
        ASSERT_TRUE(QTest::qWaitFor([&] { return l.GuestButton()->isEnabled(); }, 10000));
    }
    LobbyWindow after(again);
    EXPECT_EQ(after.ServerField()->text(), QStringLiteral("127.0.0.1:9"));
}

TEST(LobbyWindowRoom, TheRoomsOfTheSharedDatabaseAreListedAndChoosingOneMovesTheLobbyThere) {
    // Two rooms on one records file, each under its own id and name.
    const std::string db = TempFile("shared-rooms.db").string();
    ChildProcess east, west;
    auto start = [&](ChildProcess& p, const std::string& id, const std::string& name) {
        p.Start(std::string(TILELINK_TABLE_DIR) + "/tilelink-server",
                {"--listen", "127.0.0.1:0", "--db", db, "--spill", TempFile(id + ".spill").string(), "--room-id", id,
                 "--room-name", name},
                true);
        return ListeningAddress(p, 10s);
    };
    const std::string eastAddress = start(east, "east", "东厅"), westAddress = start(west, "west", "西厅");
    ASSERT_FALSE(eastAddress.empty() || westAddress.empty());

    LobbyWindow w(SetupFor(eastAddress, "rooms.conf"));
    w.show();
    w.ConnectToServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.GuestButton()->isEnabled(); }, 10000));
    QTest::mouseClick(w.GuestButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Me().isEmpty() && w.RoomChoice()->count() == 2; }, 15000))
        << w.Status()->text().toStdString();
    EXPECT_TRUE(w.RoomChoice()->currentText().startsWith(QStringLiteral("东厅")))
        << w.RoomChoice()->currentText().toStdString();
    const int westIndex = w.RoomChoice()->findData(QString::fromStdString(westAddress));
    ASSERT_GE(westIndex, 0);
    EXPECT_TRUE(w.RoomChoice()->itemText(westIndex).startsWith(QStringLiteral("西厅（0 桌，0 人）")))
        << w.RoomChoice()->itemText(westIndex).toStdString();

    // Choosing the west room: the lobby connects there and comes in as a guest again.
    const QString before = w.Me();
    w.RoomChoice()->setCurrentIndex(westIndex);
    emit w.RoomChoice()->activated(westIndex);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return w.ServerField()->text() == QString::fromStdString(westAddress) && !w.Me().isEmpty() &&
                   w.RoomChoice()->count() == 2 && w.RoomChoice()->currentText().startsWith(QStringLiteral("西厅"));
        },
        15000))
        << w.Status()->text().toStdString();
    EXPECT_TRUE(w.Me().startsWith(QStringLiteral("游客"))) << w.Me().toStdString();
    EXPECT_FALSE(before.isEmpty());
    west.Stop();
    east.Stop();
}
