// The lobby protocol's messages: what one side builds the other reads back, every bound
// is kept, and a message cut short, overlong or with a stray byte is refused whole.
#include <gtest/gtest.h>

#include "core/LobbyMessages.h"
#include "core/TitleTable.h"

namespace LM = LobbyMessages;

namespace {

LM::TableView Busy(int number, int spectators) {
    LM::TableView t;
    t.number = number;
    t.running = number % 2 == 0;
    for (int s = 0; s < LM::kSeats; ++s) {
        t.seats[s].name = "玩家" + std::to_string(number) + "_" + std::to_string(s);
        t.seats[s].ready = s % 2 == 0;
        t.seats[s].playing = t.running;
        t.seats[s].dropped = s == 5;
    }
    for (int i = 0; i < spectators; ++i) t.spectators.push_back("看客" + std::to_string(i));
    return t;
}

}  // namespace

TEST(LobbyMessages, RequestsReadBackAsBuilt) {
    const std::string password("\0\xff pass\n\x01", 10);  // any bytes
    auto r = LM::ParseRequest(LM::LogIn("张三", password));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->type, LM::kLogIn);
    EXPECT_EQ(r->name, "张三");
    EXPECT_EQ(r->password, password);
    r = LM::ParseRequest(LM::OpenTable(3, "hard"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->count, 3);
    EXPECT_EQ(r->level, "hard");
    r = LM::ParseRequest(LM::Moderate("ban", "李四", 90, "作弊"));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->action, "ban");
    EXPECT_EQ(r->name, "李四");
    EXPECT_EQ(r->minutes, 90);
    EXPECT_EQ(r->reason, "作弊");
    r = LM::ParseRequest(LM::Ignore("王五", false));
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->on);
    EXPECT_EQ(LM::ParseHello(LM::Hello()), LM::kVersion);
    const std::string ticketHello = "TLHELLO v1.1.x..0.-";
    EXPECT_FALSE(LM::ParseHello(Bytes(ticketHello.begin(), ticketHello.end())));
}

TEST(LobbyMessages, RequestsOutsideTheBoundsAreRefusedWhole) {
    // Cut short at every length, and one byte too many.
    const Bytes whole = LM::Moderate("mute", "李四", 10, "刷屏");
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_FALSE(LM::ParseRequest(Bytes(whole.begin(), whole.begin() + n))) << n;
    Bytes longer = whole;
    longer.push_back(0);
    EXPECT_FALSE(LM::ParseRequest(longer));
    // Chat with control characters, broken UTF-8, overlong; a password too long; a bad
    // count of computer players; an unknown type.
    EXPECT_FALSE(LM::ParseRequest(LM::Chat("line\nbreak")));
    EXPECT_FALSE(LM::ParseRequest(LM::Chat("\xe4\xb8")));
    EXPECT_FALSE(LM::ParseRequest(LM::Chat("\xc0\x80")));  // an overlong NUL
    EXPECT_FALSE(LM::ParseRequest(LM::Chat(std::string(LM::kMaxChat + 1, 'a'))));
    EXPECT_TRUE(LM::ParseRequest(LM::Chat(std::string(LM::kMaxChat, 'a'))));
    EXPECT_FALSE(LM::ParseRequest(LM::LogIn("a", std::string(LM::kMaxPassword + 1, 'p'))));
    EXPECT_FALSE(LM::ParseRequest(LM::LogIn("a", "")));
    EXPECT_FALSE(LM::ParseRequest(LM::OpenTable(0, "easy")));
    EXPECT_FALSE(LM::ParseRequest(LM::OpenTable(6, "easy")));
    EXPECT_FALSE(LM::ParseRequest(LM::Watch(std::string(LM::kMaxName + 1, 'w'))));
    EXPECT_FALSE(LM::ParseRequest(Bytes{99}));
    EXPECT_FALSE(LM::ParseRequest(Bytes{}));
}

TEST(LobbyMessages, TheWholeTableListSplitsIntoFramesAndReadsBackInOrder) {
    std::vector<LM::TableView> tables;
    for (int n = 1; n <= 500; ++n) tables.push_back(Busy(n, n % 31));
    const auto parts = LM::Tables(tables);
    ASSERT_GT(parts.size(), 1u);
    std::vector<LM::TableView> back;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_LE(parts[i].size(), 65536u);
        const auto e = LM::ParseEvent(parts[i]);
        ASSERT_TRUE(e) << i;
        EXPECT_EQ(e->flag, i + 1 == parts.size());  // only the last part says so
        back.insert(back.end(), e->tables.begin(), e->tables.end());
    }
    EXPECT_EQ(back, tables);
    // An empty room: one part, marked last.
    const auto none = LM::Tables({});
    ASSERT_EQ(none.size(), 1u);
    EXPECT_TRUE(LM::ParseEvent(none[0])->flag);
    // One changed table, and a table whose seat flags are out of range.
    const auto one = LM::ParseEvent(LM::TableChanged(tables[6]));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->tables.at(0), tables[6]);
    Bytes bad = LM::TableChanged(tables[6]);
    bad[9 + 2 + tables[6].seats[0].name.size() + 3] = 8;  // seat 0's flags
    EXPECT_FALSE(LM::ParseEvent(bad));
}

TEST(LobbyMessages, TitlesFollowThePoints) {
    EXPECT_EQ(TitleTable::For(-50), "长工");
    EXPECT_EQ(TitleTable::For(199), "长工");
    EXPECT_EQ(TitleTable::For(200), "短工");
    EXPECT_EQ(TitleTable::For(12000), "恶霸");
    const auto users = LM::Users({{"甲", 250, TitleTable::For(250)}, {"乙", -3, TitleTable::For(-3)}});
    ASSERT_EQ(users.size(), 1u);
    const auto e = LM::ParseEvent(users[0]);
    ASSERT_TRUE(e);
    ASSERT_EQ(e->users.size(), 2u);
    EXPECT_EQ(e->users[0].title, "短工");
    EXPECT_EQ(e->users[1].points, -3);
}

TEST(LobbyMessages, TheRoomListReadsBackAndKeepsItsBounds) {
    const std::vector<LM::RoomView> rooms = {{"east", "东厅", "127.0.0.1:47800", true, 2, 7},
                                             {"west", "西厅", "rooms.example:47801", false, 0, 0}};
    const Bytes m = LM::Rooms(rooms);
    const auto e = LM::ParseEvent(m);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type, LM::kRooms);
    EXPECT_EQ(e->rooms, rooms);
    EXPECT_EQ(LM::ParseEvent(LM::Rooms({}))->rooms.size(), 0u);

    // Cut short, a stray byte, a negative count or an empty address: refused whole.
    EXPECT_FALSE(LM::ParseEvent(Bytes(m.begin(), m.end() - 1)));
    Bytes stray = m;
    stray.push_back(0);
    EXPECT_FALSE(LM::ParseEvent(stray));
    Bytes negative = m;
    negative[4] = 0xff;
    EXPECT_FALSE(LM::ParseEvent(negative));
    EXPECT_FALSE(LM::ParseEvent(LM::Rooms({{"east", "东厅", "", false, 0, 0}})));
    EXPECT_FALSE(LM::ParseEvent(LM::Rooms({{"east", "东厅", "a:1", false, -1, 0}})));
    EXPECT_FALSE(LM::ParseEvent(LM::Rooms({{"east", "东\n厅", "a:1", false, 0, 0}})));

    // A list longer than a frame takes is cut to whole rooms that fit.
    std::vector<LM::RoomView> many;
    for (int i = 0; i < 2000; ++i)
        many.push_back(
            {"room" + std::to_string(i), std::string(150, 'n'), "10.0.0.1:" + std::to_string(i + 1), i == 0, i, i});
    const Bytes cut = LM::Rooms(many);
    EXPECT_LE(cut.size(), 60000u);
    const auto read = LM::ParseEvent(cut);
    ASSERT_TRUE(read);
    ASSERT_GT(read->rooms.size(), 10u);
    EXPECT_EQ(read->rooms.back(), many[read->rooms.size() - 1]);
}

TEST(LobbyMessages, LaterMessageTypesAreUnknownAndTheOlderHelloIsRead) {
    for (int type = LM::kWelcome; type <= LM::kRooms; ++type) EXPECT_TRUE(LM::KnownEvent(type)) << type;
    EXPECT_FALSE(LM::KnownEvent(LM::kRooms + 1));
    EXPECT_FALSE(LM::KnownEvent(LM::kRegister));
    EXPECT_EQ(LM::ParseHello(LM::Hello(1)), 1);
    EXPECT_EQ(LM::ParseHello(LM::Hello()), LM::kVersion);
    EXPECT_EQ(LM::ParseEvent(LM::Welcome("东厅", true, 1))->version, 1);
}
