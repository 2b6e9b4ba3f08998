// `tilelink-lobby` without a subcommand: the lobby window.
//   --server HOST:PORT  the room to connect to (else the remembered one)
//   --local             a room on this machine: the local room server of `play` if one
//                       runs, else one started here; logged in as a guest at once
//   --level LEVEL       the computer players' level chosen at first
//   --table-program P   the table client to start (default: table/tilelink-table)
// Without --server and without a remembered room, the window plays locally.
#pragma once
#include <filesystem>

namespace LobbyWindowMain {

// True when `first` (the first argument) belongs to the window, not to a subcommand.
bool Takes(const char* first);
int Run(int argc, char** argv, const std::filesystem::path& lobbyDir);

}  // namespace LobbyWindowMain
