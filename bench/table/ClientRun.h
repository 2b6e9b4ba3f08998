// The measured side of the table client benchmark: a table client started in this
// process the way the program starts it, connected to the scripted server, measuring
// itself: the process's own CPU time (user + system, every thread) and the pixels every
// widget repainted, over an idle stretch at the table and over a stretch of the game.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct ClientRunPlan {
    int port = 0;
    std::string programFile;  // the installed table client: its folder holds Res/
    // Measured stretches: the idle one from `idleAfter` after the login's answer, the game
    // one from `gameAfter` after the game's start.
    std::chrono::milliseconds idleAfter{2000}, idle{8000};
    std::chrono::milliseconds gameAfter{1000}, game{20000};
};

// What one stretch cost.
struct Stretch {
    double cpuMs = 0, wallMs = 0;
    std::uint64_t pixels = 0, paints = 0, windowPixels = 0, messages = 0;
    double CpuShare() const { return wallMs > 0 ? cpuMs / wallMs : 0; }
    double PerSecond(std::uint64_t n) const { return wallMs > 0 ? n * 1000.0 / wallMs : 0; }
};

struct ClientRunResult {
    Stretch idle, game;
};

// The line the measured process prints and the parent reads back.
std::string FormatRunResult(const ClientRunResult& r);
bool ParseRunResult(const std::string& line, ClientRunResult& r);

// Runs the client until both stretches are measured, prints the result line on standard
// output and returns the exit status (0 when both stretches were measured).
int RunMeasuredClient(int argc, char** argv, const ClientRunPlan& plan);
