// The room server's report lines (standard error, "tilelink-server: " first), all through
// these functions: ServerLog at the info level, ServerLogAt at any other. Safe from any
// thread. Never put a password, a secret or a ticket's signature into a report.
#pragma once
#include "core/ProgramLog.h"

void ServerLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ServerLogAt(ProgramLog::Level level, const char* format, ...) __attribute__((format(printf, 2, 3)));
