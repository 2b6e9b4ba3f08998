// tilelink-animshots OUTDIR: a table of six players with the generated art, one dealt
// board for all; the own player removes a pair with a combo, then another player throws
// a freeze at the own board. The window's picture is written to OUTDIR at chosen ticks
// (window_*.png), and when the program runs on a real display also the screen around it
// (screen_*.png). The animation ticks are driven here, one after another.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "client/TableClient.h"
#include "client/game/modGameMsg.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/platform/WindowTimer.h"
#include "client/room/modPublicDefine.h"
#include "client/start/frmMain.h"
#include "client/start/modStart.h"
#include "core/CommandLine.h"
#include "core/GameMessages.h"
#include "core/LaunchArgs.h"
#include "core/LaunchMarker.h"
#include "core/modGameMsgDefine.h"
#include "core/modLinkSearch.h"

namespace {

// A dealt board: the 39 kinds, twelve of them six times, the rest four times.
TileGridT Deal() {
    std::vector<std::uint8_t> tiles;
    for (int k = 1; k <= 39; ++k)
        for (int n = 0; n < (k <= 12 ? 6 : 4); ++n) tiles.push_back(static_cast<std::uint8_t>(k));
    std::mt19937 rng(7);
    std::shuffle(tiles.begin(), tiles.end(), rng);
    TileGridT g{};
    for (int i = 0; i < 180; ++i) g[i / 18][i % 18] = tiles[i];
    return g;
}

// Empties a few cells so that a pair with a longer path appears, and returns that path.
bool PairWithCorners(TileGridT& g, LinkPath& path) {
    for (int c = 0; c < 18; ++c) g[0][c] = 0;  // the top row goes: paths may bend through it
    for (int r = 1; r < 10; ++r)
        for (int c = 0; c < 18; ++c)
            for (int c2 = c + 3; c2 < 18; ++c2)
                if (g[r][c] != 0 && g[r][c] == g[r][c2] && modLinkSearch::CheckLink(g, {r, c}, {r, c2}, path) &&
                    path.lngNodeCount == 4)
                    return true;
    return false;
}

class Shots {
public:
    Shots(TableClient& client, std::string dir) : client_(client), dir_(std::move(dir)) {}

    // One tick of every running animation timer, in index order.
    void Tick() {
        auto& timers = client_.mainForm->tmrAni;
        for (int i = 0; i < int(timers.size()); ++i)
            if (timers[static_cast<std::size_t>(i)]->Enabled()) client_.aniTimer->ExecAniTimer(i);
    }
    // The real timers stay enabled (that is how a task shows it runs) but never fire here.
    void HoldTimers() {
        for (WindowTimer* t : client_.mainForm->tmrAni)
            if (t->Enabled()) t->SetInterval(1 << 30);
    }
    void Save(const std::string& name) {
        frmMain& f = *client_.mainForm;
        const std::string file = dir_ + "/window_" + name + ".png";
        f.Image.save(QString::fromStdString(file));
        std::printf("%s\n", file.c_str());
        if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
        f.repaint();
        QCoreApplication::processEvents();
        if (QScreen* screen = f.screen()) {
            const std::string shot = dir_ + "/screen_" + name + ".png";
            screen->grabWindow(0).save(QString::fromStdString(shot));
            std::printf("%s\n", shot.c_str());
        }
    }

private:
    TableClient& client_;
    std::string dir_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::string dir;
    CLI::App cli(
        "tilelink-animshots: a removal with a combo and a thrown item on a dealt table, the window's "
        "picture between animation ticks written into PNG files.",
        "tilelink-animshots");
    cli.add_option("OUTDIR", dir, "the folder of the pictures")->required();
    if (const auto end = CommandLine::ReadOrEnd(cli, argc, argv)) return *end;
    QDir().mkpath(QString::fromStdString(dir));

    TableClient client;
    client.EndProgram = [] {};
    client.RecordSends = [](const Bytes&) {};
    const std::string args = std::string(LaunchMarker::kText) + " 127.0.0.1 6000 tilelink 长工_100`短工_200 0 0 我 1";
    if (!client.start->Main(LaunchArgs::GetCommandLineArgs(args), std::string(TILELINK_TABLE_DIR) + "/tilelink-table"))
        return 1;
    frmMain& f = *client.mainForm;
    client.gameMsg->ShowChatNotice = [](const std::string&) {};

    // Six players, one board for all, a game running.
    auto& g = client.game;
    const char* names[6] = {"我", "李四", "王五", "赵六", "孙七", "周八"};
    for (int s = 0; s < 6; ++s) {
        g.SeatUser[s].strUserName = names[s];
        g.SeatUser[s].strUserTitle = "长工";
        g.SeatUser[s].bteFenZu = static_cast<std::uint8_t>(s % 4);
    }
    g.strSeatUserName = names[0];
    client.publicDefine->SetCurSeatInfo();
    TileGridT board = Deal();
    LinkPath path;
    if (!PairWithCorners(board, path)) {
        std::fprintf(stderr, "no pair with two corners on the dealt board\n");
        return 1;
    }
    for (auto& seat : g.SeatUser) {
        seat.TileGrid = board;
        seat.bteLeftFkCount = static_cast<std::uint8_t>(modGameDefine::CountTiles(board));
        seat.blnGameOut = false;
    }
    g.blnGameStopped = false;
    g.blnCanSelect = true;
    f.RedrawAllSeats();
    QCoreApplication::processEvents();

    Shots shots(client, dir);
    shots.Save("dealt");

    // The own removal along a path with two corners, with a combo of 3 out of 5.
    GameMessages::RemoveInfo remove;
    remove.comboA = 3;
    remove.comboB = 5;
    remove.counts = g.SeatUser[0].bteDaoJuCount;  // the item bar stays as it is
    remove.path = path;
    f.ZelSckClient_OnDataArrival(GameMessages::RemoveBroadcast(remove));
    shots.HoldTimers();
    shots.Tick();
    shots.Tick();
    shots.Save("removal_tick2");
    for (int t = 3; t <= 9; ++t) shots.Tick();
    shots.Save("combo_tick9");
    for (int t = 10; t <= 13; ++t) shots.Tick();
    shots.Save("removal_done");

    // 李四 throws a freeze at the own board: the sign, and the icon flying there.
    f.ZelSckClient_OnDataArrival(GameMessages::TargetDone(modDaoJuDefine::DJ_JINSHOU, 1, 0, 3));
    shots.HoldTimers();
    for (int t = 1; t <= 6; ++t) shots.Tick();
    shots.Save("flight_tick6");
    for (int t = 7; t <= 20; ++t) shots.Tick();
    shots.Save("flight_glow");
    for (int t = 21; t <= 40; ++t) shots.Tick();
    shots.Save("flight_done");
    f.Unload();
    return 0;
}
