#include "server/ServerLog.h"

#include <cstdarg>

namespace {

constexpr const char* kProgram = "tilelink-server";

}  // namespace

void ServerLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    ProgramLog::WriteV(kProgram, ProgramLog::Level::Info, format, args);
    va_end(args);
}

void ServerLogAt(ProgramLog::Level level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    ProgramLog::WriteV(kProgram, level, format, args);
    va_end(args);
}
