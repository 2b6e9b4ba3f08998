// The two Debian packages as a player and an operator get them: written by cpack from this
// build, unpacked into a scratch root with dpkg-deb, their programs run from there (the
// table window to its login, the service's command line to a seated game with the packaged
// computer players), and lintian finds no error in either.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "net/ChildProcess.h"
#include "tests/faults/kit/BotTable.h"
#include "tests/faults/kit/ServerProcess.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Runs a shell command to its end; its exit status, with its standard output in `out`.
int Shell(const std::string& command, std::string* out = nullptr) {
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    const int status = ::pclose(p);
    if (out) *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Both packages, as the package_build step left them.
struct Packages {
    fs::path work, root, game, server;
    std::string error;
};

Packages* g_packages = nullptr;

class PackageTest : public ::testing::Test {
protected:
    // The packages are written and unpacked by the package_build step before any case runs.
    static void SetUpTestSuite() {
        g_packages = new Packages;
        Packages& p = *g_packages;
        p.work = TILELINK_PACKAGE_WORK;
        p.root = p.work / "root";
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(p.work / "out", ec)) {
            const std::string name = e.path().filename().string();
            if (name.rfind("tilelink_", 0) == 0 && e.path().extension() == ".deb") p.game = e.path();
            if (name.rfind("tilelink-server_", 0) == 0 && e.path().extension() == ".deb") p.server = e.path();
        }
        if (p.game.empty() || p.server.empty() || !fs::is_directory(p.root))
            p.error = "the package_build step did not write and unpack both packages in " + p.work.string();
    }
    static void TearDownTestSuite() {
        delete g_packages;
        g_packages = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(g_packages->error.empty()) << g_packages->error; }

    const fs::path& Root() const { return g_packages->root; }
    fs::path Unpacked(const std::string& absolute) const { return Root() / fs::path(absolute).relative_path(); }

    std::string Field(const fs::path& deb, const std::string& field) const {
        std::string value;
        Shell("dpkg-deb -f " + Quote(deb) + " " + field, &value);
        return value;
    }
};

// The size a PNG file states in its header, or 0 x 0.
std::pair<int, int> PngSize(const fs::path& file) {
    const std::string b = ReadFile(file);
    if (b.size() < 24 || b.compare(1, 3, "PNG") != 0) return {0, 0};
    auto be = [&](std::size_t at) {
        return (int(std::uint8_t(b[at])) << 24) | (int(std::uint8_t(b[at + 1])) << 16) |
               (int(std::uint8_t(b[at + 2])) << 8) | int(std::uint8_t(b[at + 3]));
    };
    return {be(16), be(20)};
}

// A frame of the wire: 4-byte big-endian length, then the message.
std::optional<std::string> ReadFrame(int fd, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto readExactly = [&](std::size_t n) -> std::optional<std::string> {
        std::string out;
        while (out.size() < n) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
            char buf[4096];
            const ssize_t got = ::read(fd, buf, std::min(sizeof buf, n - out.size()));
            if (got <= 0) return std::nullopt;
            out.append(buf, static_cast<std::size_t>(got));
        }
        return out;
    };
    const auto head = readExactly(4);
    if (!head) return std::nullopt;
    const std::size_t n = (std::size_t(std::uint8_t((*head)[0])) << 24) |
                          (std::size_t(std::uint8_t((*head)[1])) << 16) | (std::size_t(std::uint8_t((*head)[2])) << 8) |
                          std::size_t(std::uint8_t((*head)[3]));
    if (n < 1 || n > 65536) return std::nullopt;
    return readExactly(n);
}

// The words of a systemd ExecStart line with the variables of an EnvironmentFile put in:
// ${NAME} is one word, $NAME splits at blanks (and vanishes when empty).
std::vector<std::string> ExpandExecStart(const std::string& line, const std::map<std::string, std::string>& env) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        if (word.size() > 3 && word.rfind("${", 0) == 0 && word.back() == '}') {
            const auto it = env.find(word.substr(2, word.size() - 3));
            words.push_back(it == env.end() ? "" : it->second);
        } else if (word.size() > 1 && word[0] == '$') {
            const auto it = env.find(word.substr(1));
            std::istringstream split(it == env.end() ? "" : it->second);
            for (std::string w; split >> w;) words.push_back(w);
        } else {
            words.push_back(word);
        }
    }
    return words;
}

std::map<std::string, std::string> ReadEnvironmentFile(const fs::path& file) {
    std::map<std::string, std::string> env;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        env[line.substr(0, eq)] = value;
    }
    return env;
}

}  // namespace

TEST_F(PackageTest, EachPackageHoldsItsFilesWithLinksThatStayInsideAndDependsOnWhatItLinks) {
    // The art the generator writes, read by the programs through their folders' links.
    std::ifstream list(TILELINK_RESGEN_FILES);
    int files = 0;
    for (std::string f; std::getline(list, f);) {
        if (f.empty()) continue;
        ++files;
        EXPECT_TRUE(fs::is_regular_file(Unpacked("/usr/lib/tilelink") / f)) << f;
        EXPECT_TRUE(fs::is_regular_file(Unpacked("/usr/share/tilelink") / f)) << f;
    }
    EXPECT_GT(files, 60);
    for (const char* program :
         {"/usr/lib/tilelink/tilelink-lobby", "/usr/lib/tilelink/table/tilelink-table",
          "/usr/lib/tilelink/table/tilelink-server", "/usr/lib/tilelink/table/tilelink-bot", "/usr/games/tilelink",
          "/usr/games/tilelink-lobby", "/usr/games/tilelink-bot", "/usr/sbin/tilelink-server"})
        EXPECT_EQ(::access(Unpacked(program).c_str(), X_OK), 0) << program;
    // The sound card library the table opens beside itself.
    EXPECT_TRUE(fs::is_regular_file(Unpacked("/usr/lib/tilelink/table/tilelink-sound.so")));
    EXPECT_TRUE(fs::is_regular_file(Unpacked("/usr/lib/tilelink/table/tilelink-net.so")));
    int maps = 0;
    for (const auto& e : fs::directory_iterator(Unpacked("/usr/lib/tilelink-server/Res/Map")))
        maps += e.path().extension() == ".map";
    EXPECT_EQ(maps, 16);

    // Every link is relative and ends inside the package tree.
    const fs::path root = fs::canonical(Root());
    for (const auto& e : fs::recursive_directory_iterator(Root())) {
        if (!e.is_symlink()) continue;
        const fs::path target = fs::read_symlink(e.path());
        EXPECT_TRUE(target.is_relative()) << e.path() << " -> " << target;
        std::error_code ec;
        const fs::path real = fs::canonical(e.path(), ec);
        EXPECT_FALSE(ec) << e.path() << " -> " << target << " is dangling";
        EXPECT_EQ(real.string().rfind(root.string() + "/", 0), 0u) << e.path() << " leaves the package";
    }

    // The desktop entry, the icons at every size, the metainfo, the man pages.
    const std::string desktop = ReadFile(Unpacked("/usr/share/applications/tilelink.desktop"));
    EXPECT_NE(desktop.find("\nExec=tilelink\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nCategories=Game;BoardGame;\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nName[zh_CN]="), std::string::npos);
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const auto size = PngSize(Unpacked("/usr/share/icons/hicolor/" + std::to_string(side) + "x" +
                                           std::to_string(side) + "/apps/tilelink.png"));
        EXPECT_EQ(size, std::make_pair(side, side)) << side;
    }
    EXPECT_NE(ReadFile(Unpacked("/usr/share/metainfo/tilelink.metainfo.xml")).find("tilelink.desktop"),
              std::string::npos);
    for (const char* page :
         {"man6/tilelink.6.gz", "man6/tilelink-lobby.6.gz", "man6/tilelink-bot.6.gz", "man8/tilelink-server.8.gz"})
        EXPECT_TRUE(fs::is_regular_file(Unpacked("/usr/share/man") / page)) << page;

    // Dependencies come from the libraries each program links: Qt for the game only.
    const std::string gameDepends = Field(g_packages->game, "Depends");
    const std::string serverDepends = Field(g_packages->server, "Depends");
    for (const char* dep : {"libc6", "libqt6widgets6", "libqt6multimedia6", "libsqlite3-0", "fonts-wqy-microhei"})
        EXPECT_NE(gameDepends.find(dep), std::string::npos) << dep << " in " << gameDepends;
    for (const char* dep : {"libc6", "libsqlite3-0", "libssl3", "adduser"})
        EXPECT_NE(serverDepends.find(dep), std::string::npos) << dep << " in " << serverDepends;
    EXPECT_EQ(serverDepends.find("qt6"), std::string::npos) << serverDepends;

    // The service's configuration is a conffile and its scripts can run.
    std::string control;
    Shell("dpkg-deb --ctrl-tarfile " + Quote(g_packages->server) + " | tar -t", &control);
    for (const char* file : {"./conffiles", "./postinst", "./prerm", "./postrm"})
        EXPECT_NE(control.find(file), std::string::npos) << file;
    std::string conffiles;
    Shell("dpkg-deb -I " + Quote(g_packages->server) + " conffiles", &conffiles);
    EXPECT_EQ(conffiles, "/etc/tilelink/tilelink-server.conf\n");
}

TEST_F(PackageTest, TheUnpackedLobbyStartsTheUnpackedTableWindowWhichLogsInWithItsSettings) {
    // A listener in place of the room server.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    const int port = ntohs(addr.sin_port);

    // The settings beside the unpacked table window say "no watchers": the login carries it.
    std::ofstream(Unpacked("/usr/lib/tilelink/table/UserSet.ini"), std::ios::binary) << "0\r\n1\r\n1\r\n1\r\n1\r\n";

    ChildProcess lobby;
    ASSERT_TRUE(lobby.Start(Unpacked("/usr/games/tilelink-lobby").string(),
                            {"join", "--server", "127.0.0.1:" + std::to_string(port), "--name", "packer"}, false));
    // The lobby first looks whether the server speaks TLS (a connection that sends
    // nothing); the table window's connection is the one that says hello.
    std::optional<std::string> hello, login;
    for (int tries = 0; tries < 3 && !hello; ++tries) {
        pollfd p{listener, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 30000), 1) << "the table window never connected";
        const int conn = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        ASSERT_GE(conn, 0);
        hello = ReadFrame(conn, 10s);
        if (hello) login = ReadFrame(conn, 10s);
        ::close(conn);
    }
    ::close(listener);
    lobby.Stop(2000ms);

    ASSERT_TRUE(hello && login);
    EXPECT_EQ(hello->rfind("TLHELLO v1.1.", 0), 0u) << *hello;
    ASSERT_GE(login->size(), 3u);
    EXPECT_EQ(std::uint8_t((*login)[0]), 130);
    EXPECT_EQ(std::uint8_t((*login)[1]), 0);
    EXPECT_EQ(login->substr(login->size() - 2), "`0") << "the login did not carry the unpacked settings";
}

TEST_F(PackageTest, TheServiceCommandLineWithItsConfigurationSeatsTheUnpackedComputerPlayers) {
    // ExecStart of the unit with the packaged configuration, as systemd would run it; only
    // the address, the records and the secret move into the scratch folder.
    std::string execStart;
    std::istringstream unit(ReadFile(Unpacked("/lib/systemd/system/tilelink-server.service")));
    for (std::string line; std::getline(unit, line);)
        if (line.rfind("ExecStart=", 0) == 0) execStart = line.substr(10);
    ASSERT_FALSE(execStart.empty());
    auto env = ReadEnvironmentFile(Unpacked("/etc/tilelink/tilelink-server.conf"));
    const fs::path secret = g_packages->work / "secret";
    std::ofstream(secret) << "packaged-secret\n";
    env["LISTEN"] = "127.0.0.1:0";
    env["DATABASE"] = (g_packages->work / "records.db").string();
    env["SECRET_FILE"] = secret.string();
    env["MAPS"] = Unpacked(env["MAPS"]).string();
    EXPECT_TRUE(fs::is_directory(env["MAPS"])) << env["MAPS"];
    std::vector<std::string> args = ExpandExecStart(execStart, env);
    ASSERT_GT(args.size(), 1u);
    EXPECT_EQ(args[0], "/usr/sbin/tilelink-server");
    for (const auto& a : args) EXPECT_FALSE(a.empty()) << "a setting of the unit is missing from the configuration";
    const std::string program = Unpacked(args[0]).string();
    args.erase(args.begin());

    ServerProcess server;
    server.UseProgram(program);
    ASSERT_TRUE(server.Start(args)) << server.Errors();

    BotTable bots;
    BotTable::Config c;
    c.program = Unpacked("/usr/games/tilelink-bot").string();
    c.port = server.Port();
    c.table = 1;
    c.players = 2;
    c.secretFile = secret.string();
    c.tracePath = (g_packages->work / "bots.log").string();
    ASSERT_TRUE(bots.Start(c));
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (bots.Events("start") < c.players && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(200ms);
    EXPECT_EQ(bots.Events("start"), c.players) << "the computer players never started a game";
    const auto status = server.QueryStatus();
    EXPECT_EQ(status.users, c.players);
    bots.Stop();
    EXPECT_EQ(bots.Problems(), "");
    EXPECT_EQ(server.Stop(), 0) << server.Errors();
    EXPECT_TRUE(fs::is_regular_file(env["DATABASE"])) << "the records went elsewhere";
}

TEST_F(PackageTest, LintianFindsNoErrorInEitherPackage) {
    std::string log;
    Shell("lintian --tag-display-limit 0 " + Quote(g_packages->game) + " " + Quote(g_packages->server) +
              " 2>&1; echo \"exit $?\"",
          &log);
    std::istringstream lines(log);
    std::string errors;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("E: ", 0) == 0) errors += line + "\n";
    EXPECT_EQ(errors, "") << log;
    EXPECT_NE(log.find("exit "), std::string::npos) << log;
    // The warnings stay in the test's output for whoever looks.
    std::printf("%s", log.c_str());
}
