// The operator's commands, one a line on the server's standard input:
//   broadcast TEXT       the room broadcast (105) to every user
//   notice TABLE TEXT    a notice (21) to everybody at one table
//   status               the tables, their players and games
//   kick NAME [REASON]            ends the user's table and lobby sessions
//   ban NAME MINUTES [REASON]     and refuses its logins until then; unban NAME
//   mute NAME MINUTES [REASON]    drops its chat lines (it is told); unmute NAME
//   bans                          the bans and mutes in force
//   admin NAME [yes|no]           lets the account moderate from the lobby
//   quit                 ends the server
#pragma once
#include <string>

class RoomServer;

namespace OperatorCommands {

// Carries out one line; `reply` gets what to print. False for "quit".
bool Run(RoomServer& room, const std::string& line, std::string& reply);

}  // namespace OperatorCommands
