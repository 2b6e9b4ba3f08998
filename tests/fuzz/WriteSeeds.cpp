// Writes the seed corpora of the fuzz targets from real traffic:
//   tilelink-fuzz-seeds OUTDIR RESDIR
// A table of scripted players (one using items, one timing out, one dropping and coming
// back) plays a whole game on an in-process room server with two spectators; what the
// player "tester" and the spectators received becomes the client seeds, the snapshots
// among it the snapshot seeds, its framed stream the frame seeds. The server seeds are
// sessions of a connection that logs in, agrees, raises its hand and plays the dealt
// board with the first linkable pair, chats, asks for items and leaves. The file seeds
// are the generated maps, titles and settings, and tickets of every kind.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>

#include "FuzzInput.h"
#include "FuzzServerSession.h"
#include "core/ChatLine.h"
#include "core/GameMessages.h"
#include "core/LobbyMessages.h"
#include "core/RoomMessages.h"
#include "core/UserSetFile.h"
#include "core/modGameMsgDefine.h"
#include "core/modLinkSearch.h"
#include "core/modRoomMsgDefine.h"

namespace fs = std::filesystem;
using namespace modRoomMsgDefine;

namespace {

fs::path g_out;

void Write(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path dir = g_out / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

bool IsGame(const Bytes& m) { return !m.empty() && MsgRoute::IsGameMessage(m[0]); }

// A whole game at a table of scripted players; what each one received, in order.
struct Recording {
    std::map<std::string, std::vector<Bytes>> received;
};

Recording RecordTable() {
    asio::io_context io;
    ServerOptions options;
    options.port = 0;
    options.seed = 99;
    options.secret = fuzzserver::kSecret;
    options.startPause = std::chrono::milliseconds(100);
    options.tick = std::chrono::milliseconds(20);
    options.dropGrace = std::chrono::seconds(5);
    SqliteStore store;
    std::string error;
    store.Open(":memory:", error);
    MapStore maps(std::string(TILELINK_TABLE_DIR) + "/Res/Map");
    RoomServer room(io, options, store, maps);
    if (!room.Listen(error)) {
        std::cerr << error << "\n";
        std::exit(1);
    }
    const asio::ip::tcp::endpoint ep(asio::ip::make_address("127.0.0.1"), room.LocalEndpoint().port());

    Recording rec;
    std::vector<std::unique_ptr<ScriptedClient>> clients;
    auto add = [&](const std::string& name, ScriptPlan plan, const std::string& watched = "") {
        plan.ticket = fuzzserver::TicketFor(name, 1, watched);
        plan.settings.playerCount = 3;
        auto c = std::make_unique<ScriptedClient>(io, ep, plan);
        c->onMessage = [&rec, name](ScriptedClient&, const Bytes& m) { rec.received[name].push_back(m); };
        c->Start();
        clients.push_back(std::move(c));
    };
    ScriptPlan tester;
    tester.think = std::chrono::milliseconds(40);
    tester.useItems = true;
    add("tester", tester);
    ScriptPlan second;
    second.think = std::chrono::milliseconds(70);
    second.dropAfter = 6;
    add("李四", second);
    ScriptPlan third;
    third.think = std::chrono::milliseconds(90);
    third.timeOutAfter = 12;
    add("王五", third);
    ScriptPlan watcher;
    add("看客", watcher, "tester");

    auto runUntil = [&](auto done, std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end) {
            io.run_for(std::chrono::milliseconds(5));
            if (io.stopped()) io.restart();
        }
    };
    runUntil([&] { return clients[0]->Removals() >= 20; }, std::chrono::seconds(60));
    add("晚到", watcher, "李四");  // comes while the game runs: a snapshot with boards
    runUntil([&] { return clients[0]->GamesEnded() >= 1; }, std::chrono::seconds(120));
    if (clients[0]->GamesEnded() < 1) std::cerr << "warning: the recorded game did not end\n";
    for (auto& c : clients) c->Stop();
    runUntil([&] { return room.ConnectionCount() == 0; }, std::chrono::seconds(5));
    room.Stop();
    io.poll();
    return rec;
}

void WriteClientSeeds(const Recording& rec) {
    for (const auto& [name, messages] : rec.received) {
        const std::string tag = name == "tester" ? "player"
                                : name == "看客" ? "watcher"
                                : name == "晚到" ? "late"
                                                 : "other";
        if (tag == "other") continue;
        // Whole sessions, cut to the size a target takes.
        const std::size_t n = std::min<std::size_t>(messages.size(), 350);
        const std::vector<Bytes> session(messages.begin(), messages.begin() + static_cast<std::ptrdiff_t>(n));
        Write("game_msg", tag + "_session", fuzzinput::JoinMessages(session));

        // The session up to the game start (for a spectator who came late: up to the
        // snapshot of the running game), then one message of every kind that followed.
        std::size_t i = 0;
        while (i < messages.size() && messages[i][0] != modGameMsgDefine::GAMEMSG_START) ++i;
        if (i == messages.size())
            for (i = messages.size(); i-- > 0;)
                if (messages[i][0] == ROOMMSG_TABLESTATE) break;
        const std::vector<Bytes> prelude(
            messages.begin(), messages.begin() + static_cast<std::ptrdiff_t>(std::min(i + 1, messages.size())));
        std::set<std::pair<int, int>> seen;
        for (++i; i < messages.size(); ++i) {
            const Bytes& m = messages[i];
            if (!seen.insert({m[0], m.size() > 1 ? m[1] : -1}).second) continue;
            std::vector<Bytes> one = prelude;
            one.push_back(m);
            Write("game_msg", tag + "_" + std::to_string(m[0]) + "_" + std::to_string(m.size() > 1 ? m[1] : 0),
                  fuzzinput::JoinMessages(one));
        }

        // The room messages alone.
        std::vector<Bytes> room;
        for (const Bytes& m : messages)
            if (!IsGame(m)) room.push_back(m);
        Write("room_msg", tag + "_session", fuzzinput::JoinMessages(room));
        std::set<std::pair<int, int>> kinds;
        for (const Bytes& m : room)
            if (kinds.insert({m[0], m.size() > 1 ? m[1] : -1}).second)
                Write("room_msg", tag + "_" + std::to_string(m[0]) + "_" + std::to_string(m.size() > 1 ? m[1] : 0),
                      fuzzinput::JoinMessages({m}));

        // Snapshots, with the mode byte of the snapshot target: seat, spectator, settings known.
        int k = 0;
        for (const Bytes& m : messages) {
            if (m[0] != ROOMMSG_TABLESTATE) continue;
            Bytes seed{static_cast<std::uint8_t>(16 | (tag == "player" ? 0 : 8))};
            seed.insert(seed.end(), m.begin(), m.end());
            Write("snapshot", tag + "_" + std::to_string(k++), seed);
        }

        // The framed stream, read whole and in reads of 3, 17 and 200 bytes.
        Bytes frames;
        for (std::size_t j = 0; j < std::min<std::size_t>(messages.size(), 60); ++j) {
            const Bytes f = Framing::EncodeFrame(messages[j]);
            frames.insert(frames.end(), f.begin(), f.end());
        }
        Bytes whole{0};
        whole.insert(whole.end(), frames.begin(), frames.end());
        Write("frames", tag + "_whole", whole);
        Bytes cut{3, 2, 16, 199};
        cut.insert(cut.end(), frames.begin(), frames.end());
        Write("frames", tag + "_cut", cut);
    }
    Bytes hello{0};
    const Bytes h = Framing::EncodeHello(fuzzserver::TicketFor("tester"));
    hello.insert(hello.end(), h.begin(), h.end());
    Write("frames", "hello", hello);
}

// A connection that plays the dealt board against the fuzz target's session.
struct ServerScript {
    std::vector<Bytes> sent;
    fuzzserver::Session session;
    void Send(const Bytes& m) {
        sent.push_back(m);
        session.Step(m);
    }
    // Bytes written as they are (a hello is a whole frame already).
    void SendRaw(const Bytes& bytes) {
        Bytes m{fuzzserver::kRaw};
        m.insert(m.end(), bytes.begin(), bytes.end());
        Send(m);
    }
    void Wait(int times = 1) {
        for (int i = 0; i < times; ++i) Send({fuzzserver::kWait});
    }
    const Bytes* Last(std::uint8_t type) const {
        const auto& r = session.Received();
        for (auto it = r.rbegin(); it != r.rend(); ++it)
            if ((*it)[0] == type) return &*it;
        return nullptr;
    }
    // Logs in with a ticket (or as a guest), agrees to the settings and raises its hand.
    std::string Join(const std::string& ticketName) {
        if (!ticketName.empty()) SendRaw(Framing::EncodeHello(fuzzserver::TicketFor(ticketName)));
        Send(RoomMessages::Login(true));
        Wait(3);
        std::string name = ticketName;
        for (const Bytes& m : session.Received())
            if (m[0] == ROOMMSG_TABLE && m.size() > 1 && m[1] == TABLE_IDENTITY) {
                const auto f = RoomMessages::RequestFields(m);
                if (!f.empty()) name = f[0];
            }
        Send(RoomMessages::GameSetAccept(name));
        Send(GameMessages::ReadyRequest(1));
        Wait(4);
        return name;
    }
};

void WriteServerSeeds() {
    {
        // A game played pair after pair.
        ServerScript s;
        const std::string name = s.Join("tester");
        const Bytes* start = s.Last(modGameMsgDefine::GAMEMSG_START);
        GameMessages::StartInfo info;
        if (!start || !GameMessages::ParseStart(*start, info)) {
            std::cerr << "warning: no game started in the server session\n";
        } else {
            TileGridT board = info.board;
            for (int k = 0; k < 24; ++k) {
                LinkPath path;
                if (!modLinkSearch::FindLinkPair(board, path)) break;
                s.Send(GameMessages::RemoveRequest(info.recipientSeat, path));
                s.Wait();
                board[path.First().row][path.First().col] = 0;
                board[path.Last().row][path.Last().col] = 0;
            }
            GameMessages::ItemRequest item;
            item.seat = info.recipientSeat;
            for (int i : {0, 1, 2, 4, 7, 8}) {
                item.item = i;
                item.target = 0;
                s.Send(GameMessages::ItemRequestMsg(item));
            }
            s.Send(GameMessages::TimeOutRequest(info.recipientSeat));
            s.Wait(2);
        }
        s.Send(GameMessages::Chat(ChatLine::ToEveryone(name, "再来一局")));
        s.Send(RoomMessages::LeaveRequest(name));
        s.Wait();
        Write("server", "game", fuzzinput::JoinMessages(s.sent));
    }
    {
        // Between games: settings, chat, the watching flag, a group change, leaving.
        ServerScript s;
        const std::string name = s.Join("");
        s.Send(RoomMessages::GameSetConfirm(name, GameSettings{}));
        s.Send(RoomMessages::WatchChange(name, false));
        GameMessages::ItemRequest group;
        group.item = GameMessages::kGroupChange;
        group.value = 2;
        s.Send(GameMessages::ItemRequestMsg(group));
        s.Send(GameMessages::Chat(ChatLine::ToEveryone(name, "大家好")));
        s.Wait();
        s.Send(RoomMessages::LeaveRequest(name));
        Write("server", "guest_between_games", fuzzinput::JoinMessages(s.sent));
    }
    {
        // A spectator's hello, and a frame left half written.
        ServerScript s;
        s.SendRaw(Framing::EncodeHello(fuzzserver::TicketFor("看客", 1, "tester")));
        s.Send(RoomMessages::Login(true));
        s.Wait(2);
        s.SendRaw({0, 0, 1, 0, 19, 0});
        s.Wait();
        Write("server", "watcher_half_frame", fuzzinput::JoinMessages(s.sent));
    }
}

// A lobby's session: registering, logging in, the lists, chat, a seat, watching, a table
// with computer players, ignoring, moderation refused, logging out. Its requests are one
// seed, the server's events it received another.
void WriteLobbySeeds() {
    namespace LM = LobbyMessages;
    ServerScript s;
    s.session.Step(LM::Hello());
    // Password hashes take their time: waits until the answer is there.
    auto answered = [&](std::size_t count) {
        auto answers = [&] {
            std::size_t n = 0;
            for (const Bytes& m : s.session.Received()) n += !m.empty() && m[0] == LM::kAnswer;
            return n;
        };
        for (int i = 0; i < 100 && answers() < count; ++i) s.Wait();
    };
    s.Send(LM::Register("tester2", "a password"));
    answered(1);
    s.Send(LM::LogIn("tester2", "a password"));
    answered(2);
    s.Send(LM::Chat("大家好"));
    s.Send(LM::Sit(0));
    s.Send(LM::Watch("tester"));
    s.Send(LM::OpenTable(3, "easy"));
    s.Send(LM::Ignore("tester", true));
    s.Send(LM::Moderate("mute", "tester", 10, "刷屏"));
    s.Send(LM::Plain(LM::kListBans));
    s.Wait(5);
    s.Send(LM::Plain(LM::kLogOut));
    s.Send(LM::Plain(LM::kGuest));
    s.Wait();
    s.Send(LM::Plain(LM::kLeave));
    Write("lobby", "session", fuzzinput::JoinMessages(s.sent));
    Write("lobby", "events", fuzzinput::JoinMessages(s.session.Received()));
    // The live rooms of a shared database, as a lobby reads them, and an empty list.
    Write("lobby", "rooms",
          fuzzinput::JoinMessages({LM::Rooms({{"east", "东厅", "127.0.0.1:47800", true, 2, 7},
                                              {"west", "西厅", "10.0.0.2:47800", false, 0, 0}}),
                                   LM::Rooms({})}));
}

void WriteFileSeeds(const fs::path& res) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(res / "Map", ec)) {
        std::ifstream in(e.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string file = e.path().filename().string();
        if (file == "MapTitle.txt") Write("map_titles", "generated", bytes);
        else if (file.rfind("Map00", 0) == 0) Write("map_file", file, bytes);
    }
    Write("map_titles", "quoted", Text("\"第一, 张\",第二\r\n  三  ,\"引号\"\"里\"\r\n\r\n"));

    const fs::path tmp = fs::temp_directory_path() / "tl_seed_userset.ini";
    for (const UserSetFile::Settings& s : {UserSetFile::kDefaults, UserSetFile::Settings{0, 1, 0, 1, 0}}) {
        UserSetFile::Save(tmp.string(), s);
        std::ifstream in(tmp, std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Write("settings_file", "values_" + std::to_string(s[0]) + std::to_string(s[2]), bytes);
    }
    fs::remove(tmp, ec);
    Write("settings_file", "damaged", Text("1\r\n0\r\n300\r\nx\r\n"));

    Write("ticket", "signed", Text(fuzzserver::TicketFor("tester", 3)));
    Write("ticket", "watcher", Text(fuzzserver::TicketFor("看客", 1, "玩家甲")));
    Ticket::SeatTicket t;
    t.name = "guest";
    t.expiry = 1'700'000'000;
    Write("ticket", "unsigned_expired", Text(Ticket::Make(t, nullptr)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: tilelink-fuzz-seeds OUTDIR RESDIR\n";
        return 2;
    }
    g_out = argv[1];
    const Recording rec = RecordTable();
    WriteClientSeeds(rec);
    WriteServerSeeds();
    WriteLobbySeeds();
    WriteFileSeeds(argv[2]);
    return 0;
}
