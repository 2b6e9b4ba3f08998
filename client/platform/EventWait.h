// Waiting on the window thread: letting pending window and socket events run, and a
// timed wait that keeps serving them (handlers may run nested inside the waiting one).
#pragma once
#include <cstdint>
#include <functional>

// The program's end as the waits see it: asked for (blnQuitFlag), then carried out once
// (EndProgram, after which blnProgramEnded is set). The table client is one.
struct ProgramEnd {
    bool blnQuitFlag = false;
    // Ends the program at once (after the main window has unloaded). The program's own
    // exit by default; tests replace it.
    std::function<void()> EndProgram;
    bool blnProgramEnded = false;
};

// Processes pending events once; when the main window has unloaded, ends the program
// and returns false.
bool ProcessEventsAndCheckEnd(ProgramEnd& client);

// Waits at least lngTime milliseconds on the tick counter while serving events. Returns
// false when the program ended during the wait; the caller then stops at once.
bool DelayMilliseconds(ProgramEnd& client, std::int32_t lngTime);

// Milliseconds since an arbitrary start, like the system tick counter.
std::uint32_t GetTickCount();
