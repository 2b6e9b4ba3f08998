// The programs themselves: computer players over TLS with the pin, the lobby's trust on
// first use, `serve` making its certificate, and the server refusing a plain network
// address.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/CertFingerprint.h"
#include "tests/tls/TlsKit.h"

using namespace std::chrono_literals;
using tlskit::CertPair;
using tlskit::TempFolder;

namespace {

struct ProgramRun {
    int status = -1;
    std::vector<std::string> lines;  // standard output and error
    bool Has(const std::string& text) const {
        for (const auto& l : lines)
            if (l.find(text) != std::string::npos) return true;
        return false;
    }
};

// Runs a program to its end (stopped after `limit`), reading what it prints on both
// outputs.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      std::chrono::seconds limit = 20s) {
    ChildProcess p;
    ProgramRun r;
    std::vector<std::string> shell = {"-c", "exec \"$0\" \"$@\" 2>&1", program};
    shell.insert(shell.end(), args.begin(), args.end());
    if (!p.Start("/bin/sh", shell, true)) return r;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (auto line = p.ReadLine(200ms)) {
            r.lines.push_back(*line);
        } else if (!p.Running()) {
            break;
        } else if (std::chrono::steady_clock::now() > end) {
            ADD_FAILURE() << program << " still running after " << limit.count() << " s";
            p.Stop();
            break;
        }
    }
    r.status = p.Wait();
    return r;
}

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The lobby's pins of this test, in a config folder of its own.
class ConfigHome {
public:
    explicit ConfigHome(const std::filesystem::path& dir) {
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
        ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    }
    ~ConfigHome() {
        if (old_) ::setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }

private:
    std::optional<std::string> old_;
};

}  // namespace

TEST(TlsPrograms, ComputerPlayersPlayOverTlsOnlyWithTheRightPin) {
    TempFolder dir("bots");
    CertPair pair(dir.path, "room"), other(dir.path, "other");
    ChildProcess server;
    const int port = tlskit::StartServerProgram(
        server, 0,
        {"--tls-cert", pair.cert, "--tls-key", pair.key, "--turn-time", "2", "--start-pause", "0.2", "--seed", "7"});
    ASSERT_GT(port, 0);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const std::string trace = (dir.path / "bots.log").string();

    // A wrong pin: the players never get in, and say so.
    const ProgramRun refused = RunProgram(
        tlskit::kBot, {"--server", address, "--count", "1", "--tls-fingerprint", other.fingerprint, "--trace", trace});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.Has("lost its connection"));
    EXPECT_EQ(ReadAll(trace).find("\tlogin\t"), std::string::npos);

    // Plain TCP against the TLS server gets nowhere either.
    const ProgramRun plain = RunProgram(tlskit::kBot, {"--server", address, "--count", "1", "--trace", trace});
    EXPECT_EQ(plain.status, 1);

    // The right pin, given as the server prints it: two players play a whole game.
    const ProgramRun game =
        RunProgram(tlskit::kBot,
                   {"--server", address, "--count", "2", "--players", "2", "--strategy", "first", "--turn-time", "2",
                    "--games", "1", "--trace", trace, "--tls-fingerprint", CertFingerprint::Show(pair.fingerprint)},
                   60s);
    EXPECT_EQ(game.status, 0);
    const std::string log = ReadAll(trace);
    EXPECT_NE(log.find("\tlogin\t"), std::string::npos);
    EXPECT_NE(log.find("\tend\t"), std::string::npos) << log.substr(0, 2000);
}

TEST(TlsPrograms, LobbyPinsOnFirstUseAndRefusesAnotherCertificateAtTheSameAddress) {
    TempFolder dir("pins");
    CertPair first(dir.path, "first"), second(dir.path, "second");
    ConfigHome home(dir.path / "config");
    const std::filesystem::path pinFile = dir.path / "config" / "tilelink" / "known-servers";
    int port = 0;
    {
        ChildProcess server;
        port = tlskit::StartServerProgram(server, 0, {"--tls-cert", first.cert, "--tls-key", first.key});
        ASSERT_GT(port, 0);
        const std::string address = "127.0.0.1:" + std::to_string(port);
        const ProgramRun run = RunProgram(tlskit::kLobby, {"args", "--server", address, "--name", "张三"});
        ASSERT_EQ(run.status, 0);
        EXPECT_TRUE(run.Has("first connection to " + address));
        EXPECT_TRUE(run.Has(CertFingerprint::Show(first.fingerprint)));
        // The table client is told the pin behind the ticket.
        bool pinned = false;
        for (const auto& l : run.lines)
            pinned |=
                l.rfind("127.0.0.1#", 0) == 0 && l.size() > 65 && l.substr(l.size() - 65) == "#" + first.fingerprint;
        EXPECT_TRUE(pinned);
        EXPECT_NE(ReadAll(pinFile).find(address + " " + first.fingerprint), std::string::npos);
        // Again: the same certificate is accepted without asking.
        const ProgramRun again = RunProgram(tlskit::kLobby, {"args", "--server", address, "--name", "张三"});
        EXPECT_EQ(again.status, 0);
        EXPECT_TRUE(again.Has("as pinned"));
    }
    ChildProcess impostor;
    ASSERT_EQ(tlskit::StartServerProgram(impostor, port, {"--tls-cert", second.cert, "--tls-key", second.key}), port);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    for (const char* command : {"args", "join"}) {
        const ProgramRun run = RunProgram(tlskit::kLobby, {command, "--server", address, "--name", "张三"});
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_TRUE(run.Has("CHANGED")) << command;
        EXPECT_FALSE(run.Has("#")) << command;  // no launch arguments, no table window
    }
    // The pin is kept as it was.
    EXPECT_NE(ReadAll(pinFile).find(address + " " + first.fingerprint), std::string::npos);
    EXPECT_EQ(ReadAll(pinFile).find(second.fingerprint), std::string::npos);
}

TEST(TlsPrograms, PlainLoopbackServerStaysPlainAndAPinnedOneMustStayTls) {
    TempFolder dir("plain");
    ConfigHome home(dir.path / "config");
    ChildProcess server;
    const int port = tlskit::StartServerProgram(server, 0, {});
    ASSERT_GT(port, 0);
    const std::string address = "127.0.0.1:" + std::to_string(port);
    const ProgramRun run = RunProgram(tlskit::kLobby, {"args", "--server", address, "--name", "tester"});
    ASSERT_EQ(run.status, 0);
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(std::count(run.lines[1].begin(), run.lines[1].end(), '#'), 1);  // HOST#TICKET, no pin
    EXPECT_FALSE(std::filesystem::exists(dir.path / "config" / "tilelink" / "known-servers"));

    // A server pinned before that now answers without TLS is refused.
    std::filesystem::create_directories(dir.path / "config" / "tilelink");
    std::ofstream(dir.path / "config" / "tilelink" / "known-servers") << address << " " << std::string(64, 'a') << "\n";
    const ProgramRun downgraded = RunProgram(tlskit::kLobby, {"args", "--server", address, "--name", "tester"});
    EXPECT_EQ(downgraded.status, 1);
    EXPECT_TRUE(downgraded.Has("does not answer with TLS"));
}

TEST(TlsPrograms, ServeMakesItsCertificateOnceAndTheServerRefusesAPlainNetworkAddress) {
    TempFolder dir("serve");
    const std::string db = (dir.path / "room.db").string();
    std::string shown;
    for (int start = 0; start < 2; ++start) {
        ChildProcess serve;
        ASSERT_TRUE(serve.Start(tlskit::kLobby, {"serve", "--listen", "127.0.0.1:0", "--bots", "0", "--db", db}, true));
        std::string line;
        while (auto l = serve.ReadLine(10s)) {
            if (l->rfind("Certificate SHA-256 fingerprint: ", 0) == 0) {
                line = l->substr(33);
                break;
            }
        }
        serve.Stop();
        ASSERT_FALSE(line.empty());
        if (start == 0) shown = line;
        EXPECT_EQ(line, shown) << "a second start made a new certificate";
    }
    const auto key = dir.path / "tilelink-server.key";
    struct stat st {};
    ASSERT_EQ(::stat(key.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(CertFingerprint::Show(TlsIdentity::FingerprintOfFile((dir.path / "tilelink-server.crt").string())),
              shown);

    // No traffic goes anywhere: the server refuses before it listens.
    for (const char* listen : {"0.0.0.0:0", "[::]:0", "192.0.2.10:0"}) {
        const ProgramRun run = RunProgram(tlskit::kServer, {"--listen", listen, "--db", ":memory:"});
        EXPECT_EQ(run.status, 2) << listen;
        EXPECT_TRUE(run.Has("needs --tls-cert FILE --tls-key FILE")) << listen;
        EXPECT_FALSE(run.Has("listening on")) << listen;
    }
}
