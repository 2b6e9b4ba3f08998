// A table client that a test drives step by step against the server process: it sends
// exactly what it is told (whole frames, pieces of a frame, floods), keeps every message
// that comes back in its log, follows its own board from the server's confirmations and
// plays it pair by pair when asked. It can stop reading, or lose its connection at any
// point. Every wait has a limit.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Framing.h"
#include "core/modGameDefine.h"

class FaultClient {
public:
    using Ms = std::chrono::milliseconds;
    static constexpr Ms kWait{5000};

    // Connects to the server on this machine; `receiveBuffer` > 0 makes the socket's
    // receive buffer that small (a slow reader fills it sooner).
    explicit FaultClient(int port, int receiveBuffer = 0);
    ~FaultClient();
    FaultClient(const FaultClient&) = delete;
    FaultClient& operator=(const FaultClient&) = delete;

    bool Connected() const { return fd_ >= 0 && !closed_; }

    // ---- sending ----
    void SendHello(const std::string& ticket);
    void SendLogin(bool allowWatch = true);
    void Send(const Bytes& message);
    void SendBytes(const Bytes& raw);
    // The hello with `ticket` and the login, then the newcomer's messages up to the
    // snapshot (109) and, for a player, the settings question (111): the last of them,
    // none when they did not come.
    std::optional<Bytes> Enter(const std::string& ticket, bool player = true);
    // As master: the settings for `players` players; otherwise: agreeing to them.
    void ConfirmSettings(int players);
    void Agree();
    void Say(const std::string& text);  // one chat line to the whole table
    // Ends the connection at once, as a lost network does.
    void Cut();

    // ---- receiving ----
    // The first message not yet taken by a wait that `match` accepts, reading more until
    // it comes. Each message satisfies one wait only; the others stay for later waits.
    std::optional<Bytes> Await(const std::function<bool(const Bytes&)>& match, Ms limit = kWait);
    std::optional<Bytes> Await(std::uint8_t type, int sub = -1, Ms limit = kWait);
    // A room message whose text from byte 2 is `text` (110/0 name, 108/3 name, ...).
    std::optional<Bytes> AwaitText(std::uint8_t type, std::uint8_t sub, const std::string& text, Ms limit = kWait);
    // Reads until the server closes the connection; false when it is still open at the limit.
    bool AwaitClosed(Ms limit = kWait);
    // Reads whatever has arrived (waiting at most `limit` for the first bytes).
    void Drain(Ms limit = Ms(0));

    const std::vector<Bytes>& Log() const { return log_; }
    int Count(std::uint8_t type, int sub = -1) const;
    std::size_t BytesReceived() const { return bytesIn_; }
    // The text of a room message behind its two header bytes, GBK read as UTF-8.
    static std::string TextOf(const Bytes& m);

    // ---- the game, as the server tells it ----
    const std::string& Name() const { return name_; }
    int Seat() const { return seat_; }
    const TileGridT& Board() const { return board_; }
    int TilesLeft() const { return modGameDefine::CountTiles(board_); }
    // The table as the last snapshot (109) showed it.
    const modGameDefine& Snapshot() const { return snapshot_; }
    // Waits for the start of a game (17).
    bool AwaitStart(Ms limit = kWait);
    // Plays the first linkable pair of the own board (a rearrange when there is none)
    // until `pairs` removals are confirmed; the number confirmed.
    int PlayPairs(int pairs, Ms limit = Ms(20000));
    // Plays until the own board is empty; false when it is not within the limit.
    bool PlayOut(Ms limit = Ms(20000));

private:
    bool ReadSome(Ms limit);
    void Take(const Bytes& m);  // follows the own board and seat

    int fd_ = -1;
    bool closed_ = false;
    Framing::FrameDecoder decoder_;
    std::vector<Bytes> log_;
    std::vector<bool> taken_;  // by a wait, per message of the log
    std::size_t bytesIn_ = 0;
    std::string name_;
    int seat_ = -1;
    TileGridT board_{};
    modGameDefine snapshot_;
};
