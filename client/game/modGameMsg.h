// The game message handler: chat, a player who cannot go on, the start with the dealt
// board, ready marks, removals by every player, time-outs, notices, the end with the
// results, the watched player's setting, and the item and group confirmations.
#pragma once
#include "core/Bytes.h"

class TableClient;

class modGameMsg {
public:
    explicit modGameMsg(TableClient& client);
    void ExecGameMsg(const Bytes& msg);

private:
    TableClient& client_;
};
