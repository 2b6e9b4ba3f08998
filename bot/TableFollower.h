// A computer player's copy of its table: the users and six seats, the boards, counters,
// groups and item counts of every player, the table settings and the game flags, kept
// from the room server's messages the way the table client's room and game handlers keep
// them, only without a window. Every message gives one happening the player answers.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/Bytes.h"
#include "core/GameMessages.h"
#include "core/RoomMessages.h"
#include "core/modGameDefine.h"
#include "core/modLinkSearch.h"

class TableFollower {
public:
    enum class Event {
        None,            // ignored, or nothing to answer
        Reset,           // 130/1: the table view starts again
        Identity,        // 130/3: the local name is confirmed
        SeatsLoaded,     // 130/2: the whole user list, own seat known (if seated)
        SeatsChanged,    // someone came, left, dropped or came back
        SettingsMaster,  // 111 to the master: choose and confirm the settings
        SettingsShown,   // the master's settings to agree to (settings empty: malformed)
        SettingsWait,    // 111: the master has not decided yet
        StartButton,     // the start button is armed (blnShowStart)
        Ready,           // a player raised the hand (18, or agreement 112)
        Snapshot,        // 109 applied (running tells whether a game runs)
        GameStart,       // 17 applied
        Removal,         // 19 applied
        ItemUsed,        // 133 item confirmation applied
        GroupChanged,    // 133/255 applied
        TimeOut,         // 20 applied: a player is out
        GameEnd,         // 22
        PlayerQuit,      // 5: a player cannot go on
        Chat,            // 1: a relayed chat line
        Notice,          // 21 or 105
    };

    struct Happening {
        Event kind = Event::None;
        int seat = -1;    // the mover, user, player or seat concerned
        int target = -1;  // the target of an item
        int item = -1;
        int place = 0;
        bool running = false;
        LinkPath path;
        std::uint8_t comboA = 0, comboB = 0;
        std::optional<GameSettings> settings;
        std::string text;
        std::vector<std::string> fields;
        std::vector<GameMessages::EndRecord> results;
    };

    TableFollower();

    // Applies one message from the server and tells what happened.
    Happening Apply(const Bytes& msg);

    const modGameDefine& Game() const { return game_; }
    const std::string& CurUserName() const { return strCurUserName_; }
    // The local seat (the watched seat for a spectator), or -1 while unknown.
    int OwnSeat() const { return seatKnown_ ? game_.bteCurUserNo : -1; }
    bool IsWatcher() const { return game_.blnIsWatcher; }
    bool GameRunning() const { return !game_.blnGameStopped; }
    // A game runs and the local player takes part in it and is not out.
    bool Playing() const;
    bool ShowStart() const { return game_.blnShowStart; }
    bool GameSetKnown() const { return game_.blnGameSetKnown; }
    int GamesStarted() const { return gamesStarted_; }

    // The press on the start button: the ready request once the settings are known,
    // otherwise the agreement; the button is hidden. Empty for a watcher.
    Bytes PressStart();
    // The length of the next turn: shortened turns left from alarm clocks give
    // two thirds of a full turn (20 of 30 seconds) and are counted down.
    double NextTurnSeconds(double fullTurnSeconds);
    int ShortenedTurnsLeft() const { return lngNaoZhongTurns_; }

private:
    Happening ExecRoomMsg(const Bytes& msg);
    Happening ExecGameMsg(const Bytes& msg);
    Happening OnSettingsAsk(const Bytes& msg);
    Happening OnSettingsAgree(const Bytes& msg);
    Happening OnTableState(const Bytes& msg);
    Happening OnStart(const Bytes& msg);
    Happening OnRemove(const Bytes& msg);
    Happening OnItem(const Bytes& msg);
    Happening OnEnd(const Bytes& msg);

    void ResetTable();
    void LoadList(const std::string& listText);
    // Seats the player of a user record (a spectator's record seats nobody).
    void SeatFromRecord(const std::vector<std::string>& fields, bool withFlags);
    void SetCurSeatInfo();
    bool SeatNamed(int seat) const;
    bool SeatInPlay(int seat) const;

    modGameDefine game_;
    std::map<std::string, std::vector<std::string>> users_;  // the user list: name -> record fields
    std::string strCurUserName_;
    bool seatKnown_ = false;
    int lngNaoZhongTurns_ = 0;
    int gamesStarted_ = 0;
};
