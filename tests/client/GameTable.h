// A started table client with four named seats (0 "tester", 1 "李四", 2 "王五", 3 "赵六";
// seats 4 and 5 free), the boards laid out where the window draws them, and recorders for
// the message windows and chat lines; plus builders for the server's game messages.
#pragma once
// Forges raw messages: starts with boards of any size and removals with any count list or path.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "ClientHarness.h"
#include "client/board/modPaint_FangKuai.h"
#include "client/board/modSelectFk.h"
#include "client/game/modGameClock.h"
#include "client/game/modGameMsg.h"
#include "client/platform/SelectFrame.h"
#include "client/platform/ZelTimeBarCtrl.h"
#include "client/room/modPublicDefine.h"
#include "core/modGameMsgDefine.h"

namespace gametable {

inline const char* const kNames[6] = {"tester", "李四", "王五", "赵六", "", ""};

struct Node {
    int row, col;
};

// A board from rows of codes; cells not given are empty.
inline TileGridT Board(std::initializer_list<std::pair<Node, int>> tiles) {
    TileGridT g{};
    for (const auto& [n, code] : tiles) g[n.row][n.col] = static_cast<std::uint8_t>(code);
    return g;
}

// Game start: rows x cols of the board, groups of the six seats, item records.
inline Bytes StartMsg(const TileGridT& board, int rows = 10, int cols = 18,
                      const std::vector<std::array<std::uint8_t, 8>>& items = {},
                      std::array<std::uint8_t, 6> groups = {}) {
    Bytes m(20, 0);
    m[0] = modGameMsgDefine::GAMEMSG_START;
    for (int s = 0; s < 6; ++s) m[12 + s] = groups[s];
    m[18] = static_cast<std::uint8_t>(rows);
    m[19] = static_cast<std::uint8_t>(cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) m.push_back(r < 10 && c < 18 ? board[r][c] : 7);
    m.push_back(static_cast<std::uint8_t>(items.size()));
    for (const auto& rec : items) m.insert(m.end(), rec.begin(), rec.end());
    return m;
}

// A removal broadcast: seat, combo a/b, the seat's item counts, the path.
inline Bytes RemoveMsg(int seat, const std::vector<Node>& path, int a = 0, int b = 0,
                       const std::vector<std::uint8_t>& counts = {}) {
    Bytes m{modGameMsgDefine::GAMEMSG_REMOVE, 0,
            static_cast<std::uint8_t>(seat),  static_cast<std::uint8_t>(a),
            static_cast<std::uint8_t>(b),     static_cast<std::uint8_t>(counts.size())};
    for (std::uint8_t n : counts) m.push_back(n);
    m.push_back(static_cast<std::uint8_t>(path.size()));
    for (const Node& n : path) {
        m.push_back(static_cast<std::uint8_t>(n.row));
        m.push_back(static_cast<std::uint8_t>(n.col));
    }
    return m;
}

inline Bytes GridBytes(const TileGridT& g) {
    Bytes b;
    for (const auto& row : g) b.insert(b.end(), row.begin(), row.end());
    return b;
}

class Table {
public:
    // localName: the player shown as the own board ("tester" plays; another name: the
    // local user watches that player).
    explicit Table(const std::string& localName = "tester") {
        EXPECT_TRUE(h.Start());
        h.sent.clear();
        auto& g = game();
        for (int s = 0; s < 6; ++s) g.SeatUser[s].strUserName = kNames[s];
        g.strSeatUserName = localName;
        c().publicDefine->SetCurSeatInfo();
        // The board layout of the window.
        auto& pos = c().paintFangKuai->BoardPos;
        pos[0] = {26, 200, 31, 35};
        for (int p = 1; p < 6; ++p) pos[p] = {23 + 119 * (p - 1), 61, 5, 7};
        SelectFrame* f = h.Main().shpSelectFlag;
        f->resize(31 + 2 * f->BorderWidth, 35 + 2 * f->BorderWidth);
        c().gameMsg->ShowGameMsgWindow = [this](const std::string& note, const std::string& caption) {
            windows.emplace_back(note, caption);
        };
        c().gameMsg->ShowChatNotice = [this](const std::string& line) { chat.push_back(line); };
        c().gameMsg->ShowChatRecord = [this](const std::array<std::string, 8>& r) { records.push_back(r); };
        c().gameMsg->lngEndDelayTime = 0;
    }

    TableClient& c() { return *h.client; }
    modGameDefine& game() { return h.client->game; }
    SeatUserDef& seat(int s) { return game().SeatUser[s]; }
    ZelTimeBarCtrl& bar() { return *h.Main().ZelTimeBar; }
    void Receive(const Bytes& m) { h.Receive(m); }
    // Deals a board to everybody and clears what the start sent.
    void Deal(const TileGridT& board) {
        Receive(StartMsg(board));
        h.sent.clear();
    }
    // A press on the own board's cell.
    void Press(int row, int col) { c().selectFk->Form_MouseDown(1, 26 + col * 31 + 15, 200 + row * 35 + 17); }

    harness::Harness h;
    std::vector<std::pair<std::string, std::string>> windows;  // note, caption
    std::vector<std::string> chat;
    std::vector<std::array<std::string, 8>> records;
};

}  // namespace gametable
