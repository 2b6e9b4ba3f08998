// A private PostgreSQL server for one test program: initdb in a temporary folder (as an
// unprivileged user when the tests run as root), a unix socket in that folder and a free
// port on loopback, stopped and removed at the end. It can be stopped and started again
// in between, to show the room servers a database that goes away and comes back.
#pragma once
#include <string>
#include <vector>

class PgCluster {
public:
    PgCluster() = default;
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // The folder of initdb and pg_ctl; empty when the PostgreSQL server is not installed.
    static std::string BinDir();

    // Makes the cluster and starts it; false with the reason.
    bool Start(std::string& error);
    // Stops the server (fast: the sessions end), keeping the cluster.
    bool Pause();
    bool Resume();
    int Port() const { return port_; }

    // A new empty database; its address.
    std::string CreateDatabase(const std::string& name, std::string& error);
    std::string Url(const std::string& database) const;
    // The rows of one statement as text; an empty list and `error` when it failed.
    std::vector<std::vector<std::string>> Query(const std::string& database, const std::string& sql,
                                                std::string* error = nullptr) const;
    long long Count(const std::string& database, const std::string& sql) const;

private:
    // Runs a command line as the cluster's user; true when it exits with 0.
    bool Run(const std::string& command) const;

    std::string dir_, bin_, user_;
    int port_ = 0;
    bool running_ = false;
};
