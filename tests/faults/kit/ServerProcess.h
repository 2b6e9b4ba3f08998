// The real tilelink-server as a child process: started on a free port, its standard
// output read for the listening line and the operator's "status", its standard error
// kept for the failure reports, and optionally a limit on the size of the files it may
// write (SIGXFSZ ignored, so a write past the limit fails instead of killing it).
#pragma once
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Lifts this process's limit of open descriptors to at least `wanted` (at most the hard
// limit), for the many connections of a load; the limit now in force.
unsigned long RaiseOpenFileLimit(unsigned long wanted);

class ServerProcess {
public:
    ServerProcess() = default;
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts the server with `args` behind "--listen 127.0.0.1:0" and waits for it to
    // listen. With `fileSizeLimit` no file it writes may grow beyond that many bytes; with
    // `openFileLimit` it may hold no more descriptors than that (soft and hard limit).
    bool Start(const std::vector<std::string>& args, std::optional<unsigned long long> fileSizeLimit = {},
               std::optional<unsigned long> openFileLimit = {});
    int Port() const { return port_; }
    pid_t Pid() const { return pid_; }
    bool Running();

    // Changes the file size limit of the running server (the hard limit stays).
    bool SetFileSizeLimit(unsigned long long bytes);
    // Lifts the file size limit up to the hard limit.
    bool LiftFileSizeLimit();
    // Changes the running server's limit of open descriptors (the soft one; the hard stays).
    bool SetOpenFileLimit(unsigned long descriptors);
    // The descriptors the server holds open now.
    int OpenDescriptors() const;
    // Processor seconds the server has used so far (user and system).
    double CpuSeconds() const;

    // The operator's "status": the first line's counts and one line per table.
    struct Status {
        int connections = -1, users = -1, tables = -1;
        std::vector<std::string> tableLines;
        bool Ok() const { return connections >= 0; }
    };
    Status QueryStatus(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Everything the server wrote on its standard error so far.
    const std::string& Errors();
    // The resident memory of the server in KiB (0 when it is gone).
    long ResidentKib() const;

    // SIGTERM, then SIGKILL after `grace`; the exit status (128 + signal when killed).
    int Stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

private:
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    void Close();

    pid_t pid_ = -1;
    int in_ = -1, out_ = -1, err_ = -1;
    int port_ = 0;
    bool reaped_ = false;
    int status_ = 0;
    std::string outBuffer_;
    std::string errText_;
};
