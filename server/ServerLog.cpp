#include "server/ServerLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>

void ServerLog(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // One write per line, so that lines of two threads never interleave.
    const std::string line = std::string("tilelink-server: ") + text + "\n";
    std::fputs(line.c_str(), stderr);
}
