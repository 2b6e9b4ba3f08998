// Game messages are not handled yet. (placeholder until the module is written)
#include "client/game/modGameMsg.h"

#include "client/TableClient.h"

modGameMsg::modGameMsg(TableClient& client) : client_(client) {}
void modGameMsg::ExecGameMsg([[maybe_unused]] const Bytes& msg) {}
