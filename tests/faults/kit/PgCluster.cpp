#include "tests/faults/kit/PgCluster.h"

#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

}  // namespace

std::string PgCluster::BinDir() {
    std::string best;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/lib/postgresql", ec)) {
        const auto bin = e.path() / "bin";
        if (std::filesystem::exists(bin / "initdb") && std::filesystem::exists(bin / "pg_ctl") &&
            (best.empty() || std::stoi(e.path().filename().string()) >
                                 std::stoi(std::filesystem::path(best).parent_path().filename().string())))
            best = bin.string();
    }
    return best;
}

PgCluster::~PgCluster() {
    if (running_) Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -m immediate -w stop >/dev/null 2>&1");
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

bool PgCluster::Run(const std::string& command) const {
    // The server refuses to run as root: a user without rights does it.
    const std::string line = user_.empty() ? command : "runuser -u " + user_ + " -- sh -c \"" + command + "\"";
    return std::system(line.c_str()) == 0;
}

bool PgCluster::Start(std::string& error) {
    bin_ = BinDir();
    if (bin_.empty()) {
        error =
            "the PostgreSQL server (initdb, pg_ctl in /usr/lib/postgresql/*/bin) is not installed: "
            "install the postgresql package (make deps does)";
        return false;
    }
    char pattern[] = "/tmp/tilelink-pg-XXXXXX";
    if (!::mkdtemp(pattern)) {
        error = "cannot make a folder for the cluster";
        return false;
    }
    dir_ = pattern;
    if (::geteuid() == 0) {
        const passwd* pw = ::getpwnam("postgres");
        if (!pw) pw = ::getpwnam("nobody");
        if (!pw) {
            error = "no unprivileged user (postgres or nobody) to run the cluster as";
            return false;
        }
        user_ = pw->pw_name;
        if (::chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
            error = "cannot hand the cluster's folder to " + user_;
            return false;
        }
    }
    if (!Run("'" + bin_ + "/initdb' -D '" + dir_ + "/data' -A trust -U tilelink -E UTF8 --locale=C --no-sync >'" +
             dir_ + "/initdb.log' 2>&1")) {
        error = "initdb failed, see " + dir_ + "/initdb.log";
        return false;
    }
    port_ = FreePort();
    if (!Resume()) {
        error = "the PostgreSQL server did not start, see " + dir_ + "/server.log";
        return false;
    }
    return true;
}

bool PgCluster::Pause() {
    if (!running_) return true;
    running_ = !Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -m fast -w stop >/dev/null 2>&1");
    return !running_;
}

bool PgCluster::Resume() {
    if (running_) return true;
    running_ = Run("'" + bin_ + "/pg_ctl' -D '" + dir_ + "/data' -l '" + dir_ + "/server.log' -w -t 60 -o '-p " +
                   std::to_string(port_) + " -k " + dir_ +
                   " -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=60 -c shared_buffers=16MB' start"
                   " >/dev/null 2>&1");
    return running_;
}

std::string PgCluster::Url(const std::string& database) const {
    return "postgresql://tilelink@127.0.0.1:" + std::to_string(port_) + "/" + database;
}

std::string PgCluster::CreateDatabase(const std::string& name, std::string& error) {
    Query("postgres", "DROP DATABASE IF EXISTS \"" + name + "\"");
    Query("postgres", "CREATE DATABASE \"" + name + "\"", &error);
    return error.empty() ? Url(name) : "";
}

std::vector<std::vector<std::string>> PgCluster::Query(const std::string& database, const std::string& sql,
                                                       std::string* error) const {
    std::vector<std::vector<std::string>> rows;
    PGconn* c = PQconnectdb(Url(database).c_str());
    if (PQstatus(c) != CONNECTION_OK) {
        if (error) *error = PQerrorMessage(c);
        PQfinish(c);
        return rows;
    }
    PQsetNoticeProcessor(
        c, [](void*, const char*) {}, nullptr);
    PGresult* r = PQexec(c, sql.c_str());
    const auto status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        if (error) *error = PQresultErrorMessage(r);
    } else {
        for (int i = 0; i < PQntuples(r); ++i) {
            rows.emplace_back();
            for (int j = 0; j < PQnfields(r); ++j) rows.back().push_back(PQgetvalue(r, i, j));
        }
    }
    PQclear(r);
    PQfinish(c);
    return rows;
}

long long PgCluster::Count(const std::string& database, const std::string& sql) const {
    const auto rows = Query(database, sql);
    return rows.empty() || rows[0].empty() ? -1 : std::atoll(rows[0][0].c_str());
}
