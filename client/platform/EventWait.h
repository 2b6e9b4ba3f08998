// Waiting on the window thread: letting pending window and socket events run, and a
// timed wait that keeps serving them (handlers may run nested inside the waiting one).
#pragma once
#include <cstdint>

class TableClient;

// Processes pending events once; when the main window has unloaded, ends the program
// and returns false.
bool ProcessEventsAndCheckEnd(TableClient& client);

// Waits at least lngTime milliseconds on the tick counter while serving events. Returns
// false when the program ended during the wait; the caller then stops at once.
bool DelayMilliseconds(TableClient& client, std::int32_t lngTime);

// Milliseconds since an arbitrary start, like the system tick counter.
std::uint32_t GetTickCount();
