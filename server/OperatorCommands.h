// The operator's commands, one a line on the server's standard input:
//   broadcast TEXT       the room broadcast (105) to every user
//   notice TABLE TEXT    a notice (21) to everybody at one table
//   status               the tables, their players and games
//   quit                 ends the server
#pragma once
#include <string>

class RoomServer;

namespace OperatorCommands {

// Carries out one line; `reply` gets what to print. False for "quit".
bool Run(RoomServer& room, const std::string& line, std::string& reply);

}  // namespace OperatorCommands
