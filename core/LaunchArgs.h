// The table client's launch arguments: splitting the command line text, the two
// start-up checks, and the program and lobby folders.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace LaunchArgs {

inline constexpr int kArgCount = 9;

// Splits a command line text (without the program name) at blanks and tabs; runs of
// them are one separator and quotation marks mean nothing. Index 0 of the result is
// empty, the arguments follow from index 1; at most lngMaxArgs are collected.
std::vector<std::string> GetCommandLineArgs(std::string_view commandLine, int lngMaxArgs = 10);

// The command line text a process receives: its arguments joined by one blank each.
std::string JoinArgv(int argc, const char* const* argv);

enum class LaunchCheck { Ok, WrongCount, WrongMarker };

// Count first (exactly nine), then the marker, compared exactly.
LaunchCheck CheckLaunchArgs(const std::vector<std::string>& args);

// The folder of a program file, ending in exactly one separator.
std::string AppPathOf(std::string_view programFile);

// The parent folder of an application folder (which ends in a separator), ending in a
// separator; empty when there is none.
std::string LobbyPathOf(std::string_view appPath);

}  // namespace LaunchArgs
