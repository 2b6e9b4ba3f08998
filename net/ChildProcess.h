// A program started and later stopped by another: the lobby's room server, computer
// players and table windows, the computer players a room starts for its tables, the
// programs the tests and drivers run. Its standard output can be read line by line.
#pragma once
#include <sys/types.h>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    // Starts program with args; with captureOutput its standard output is a pipe read
    // here, otherwise it shares the starter's. False when it could not be started.
    bool Start(const std::string& program, const std::vector<std::string>& args, bool captureOutput);

    // The next line of output, waiting at most `timeout`; empty when none came or the
    // program closed its output.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);

    bool Running();
    // Waits for the program to end; its exit status.
    int Wait();
    // Asks the program to stop (SIGTERM), then kills it after `grace`.
    void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(3000));

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = 0;
    bool reaped_ = false;
    std::string buffer_;
};
