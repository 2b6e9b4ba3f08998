#include "core/ProgramLog.h"

#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace ProgramLog {

namespace {

spdlog::level::level_enum ToSpd(Level level) {
    switch (level) {
        case Level::Trace:
            return spdlog::level::trace;
        case Level::Debug:
            return spdlog::level::debug;
        case Level::Info:
            return spdlog::level::info;
        case Level::Warn:
            return spdlog::level::warn;
        case Level::Error:
            return spdlog::level::err;
        case Level::Off:
            break;
    }
    return spdlog::level::off;
}

// The logger of one program, made at its first line: standard error, "NAME: text".
std::shared_ptr<spdlog::logger> LoggerOf(const char* program) {
    static std::mutex making;
    const std::lock_guard lock(making);
    if (auto logger = spdlog::get(program)) return logger;
    auto logger = spdlog::stderr_logger_mt(program);
    logger->set_pattern("%n: %v");
    logger->flush_on(spdlog::level::trace);
    return logger;
}

}  // namespace

void SetLevel(Level level) { spdlog::set_level(ToSpd(level)); }

void Write(const char* program, Level level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteV(program, level, format, args);
    va_end(args);
}

void WriteV(const char* program, Level level, const char* format, va_list args) {
    const auto logger = LoggerOf(program);
    if (!logger->should_log(ToSpd(level))) return;
    char text[2048];
    std::vsnprintf(text, sizeof text, format, args);
    // A report is one line, whatever a database or a peer put into its message.
    for (char* c = text; *c; ++c)
        if (*c == '\n' || *c == '\r') *c = ' ';
    logger->log(ToSpd(level), "{}", text);
}

}  // namespace ProgramLog
