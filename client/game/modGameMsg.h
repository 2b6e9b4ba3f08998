// The game message handler: chat, a player who cannot go on, the start with the dealt
// board, ready marks, removals by every player, time-outs, notices, the end with the
// results, the watched player's setting, and the item and group confirmations.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/BroadcastParsers.h"
#include "core/Bytes.h"
#include "core/modLinkSearch.h"

class TableClient;

class modGameMsg {
public:
    explicit modGameMsg(TableClient& client);
    void ExecGameMsg(const Bytes& msg);

    // Tests the own board after a change the server announced (not for a watcher): when
    // it has no linkable pair left, and with blnNeedFiveTiles only while 5 or more tiles
    // remain, the notice strNote is shown. True when it was shown.
    bool CheckNoSolution(const std::string& strNote, bool blnNeedFiveTiles);

    // Where the handler's words go: the table's one-button message window (title, "确定",
    // ten seconds), a line of the chat panel, a relayed chat record. A test puts its own
    // recorder here instead of waiting on modal windows.
    std::function<void(const std::string& strNote, const std::string& strCaption)> ShowGameMsgWindow;
    std::function<void(const std::string& strLine)> ShowChatNotice;
    std::function<void(const std::array<std::string, 8>& fields)> ShowChatRecord;

    // The combo banner text of the last removal broadcast ("a/b", empty for no combo).
    std::string strLianJiText;
    // How long the results stay on the boards after a game end, in milliseconds.
    std::int32_t lngEndDelayTime = 3000;

    static constexpr char kNoSolutionHurry[] = "现在你的方块阵列无解，请尽快使用“重列”道具！";
    static constexpr char kNoSolutionAgain[] = "现在你的方块阵列无解，请再次使用“重列”道具！";
    static constexpr char kBoardSizeWrong[] = "服务器发送的方块阵列数据无法处理！尺寸不符！";

private:
    void ExecChat(const Bytes& msg);
    void ExecPlayerQuit(const Bytes& msg);
    void ExecGameStart(const Bytes& msg);
    void ExecReady(const Bytes& msg);
    void ExecRemove(const Bytes& msg);
    void ExecTimeOut(const Bytes& msg);
    // A player cleared the board (23, -, seat, place): out of the game with the place,
    // shown at once on every client, spectators' too.
    void ExecFinish(const Bytes& msg);
    void ExecNotice(const Bytes& msg);
    // A named seat still in play goes out with its place: marked, its result drawn, and
    // for the local seat the clock stopped and the selection gone. False when it was not
    // in play.
    bool PutSeatOut(int seat, std::uint8_t place);
    void ExecGameEnd(const Bytes& msg);
    void ExecWatch(const Bytes& msg);
    void ExecItemMsg(const Bytes& msg);
    void ExecDaoJu(const BroadcastParsers::ItemConfirm& c);
    void ExecDaoJuEffect(const BroadcastParsers::ItemConfirm& c);
    void ExecFenZu(const BroadcastParsers::ItemConfirm& c);

    // The compass's answer on the own board: the hint, or the notice that none exists.
    void ShowHint();
    void ShowGameNotice(const std::string& strNote);
    bool IsLocalSeat(int seat) const;

    TableClient& client_;
};
