// The report lines of the room server, the computer players and the launcher: one line
// on standard error per report, the program's name first ("tilelink-server: ..."),
// written only when its level is at or above the level the program was given.
// Safe from any thread; lines of two threads never interleave.
#pragma once
#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace ProgramLog {

enum class Level { Trace, Debug, Info, Warn, Error, Off };

// "trace|debug|info|warn|error|off"
const char* LevelNames();
std::optional<Level> ParseLevel(std::string_view name);

// The level of every program logger of this process (info until set).
void SetLevel(Level level);

// One report line of `program` at `level`, the text formatted like printf.
void Write(const char* program, Level level, const char* format, ...) __attribute__((format(printf, 3, 4)));
void WriteV(const char* program, Level level, const char* format, va_list args);

}  // namespace ProgramLog
