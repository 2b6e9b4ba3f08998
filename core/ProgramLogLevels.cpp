// The level names of the program logs, apart from the writing: a program that only reads
// a level from its command line does not load the logging library.
#include <array>

#include "core/ProgramLog.h"

namespace ProgramLog {

namespace {
constexpr std::array<std::string_view, 6> kNames = {"trace", "debug", "info", "warn", "error", "off"};
}  // namespace

const char* LevelNames() { return "trace|debug|info|warn|error|off"; }

std::optional<Level> ParseLevel(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i)
        if (kNames[i] == name) return static_cast<Level>(i);
    return std::nullopt;
}

}  // namespace ProgramLog
