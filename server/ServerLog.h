// The room server's report lines (standard error, "tilelink-server: " first), all through
// this one function so that a logging library can take them over in one place. Safe from
// any thread.
#pragma once

void ServerLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
