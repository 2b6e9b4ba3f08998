// The command lines of the real programs: --help answers on standard output with status
// 0, and a number that is not one (or out of its range) ends the program with status 2
// and a line naming the option, before it does anything else.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kTable = TILELINK_TABLE_DIR;
const std::string kLobby = std::string(TILELINK_LOBBY_DIR) + "/tilelink-lobby";
const std::string kServer = kTable + "/tilelink-server";
const std::string kBot = kTable + "/tilelink-bot";
const std::string kClient = kTable + "/tilelink-table";

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs a command line (words without blanks) to its end, its two outputs kept apart.
Outcome RunProgram(const std::string& program, const std::string& args) {
    const fs::path dir = fs::temp_directory_path() / ("tilelink-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string command = "QT_QPA_PLATFORM=offscreen timeout 20 " + program + " " + args + " >" +
                                (dir / "out").string() + " 2>" + (dir / "err").string() + " </dev/null";
    const int raw = std::system(command.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = Slurp(dir / "out");
    o.err = Slurp(dir / "err");
    fs::remove_all(dir);
    return o;
}

}  // namespace

TEST(CommandLines, HelpAnswersOnStandardOutputInEveryProgram) {
    const std::vector<std::pair<std::string, std::string>> runs = {
        {kLobby, "--help"},  {kLobby, "args --help"}, {kLobby, "serve --help"},
        {kServer, "--help"}, {kBot, "--help"},        {kClient, "--help"},
    };
    for (const auto& [program, args] : runs) {
        SCOPED_TRACE(program + " " + args);
        const Outcome o = RunProgram(program, args);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_NE(o.out.find("--help"), std::string::npos) << o.out;
        EXPECT_EQ(o.err.find("tilelink"), std::string::npos) << o.err;  // no fault of its own (Qt may talk)
    }
    // Each shows its own options, the shared ones spelled alike.
    EXPECT_NE(RunProgram(kLobby, "args --help").out.find("--table"), std::string::npos);
    EXPECT_NE(RunProgram(kServer, "--help").out.find("--secret-file"), std::string::npos);
    EXPECT_NE(RunProgram(kBot, "--help").out.find("--secret-file"), std::string::npos);
    for (const std::string& program : {kLobby, kServer, kBot})
        EXPECT_NE(RunProgram(program, "--help").out.find("--log-level"), std::string::npos) << program;
}

TEST(CommandLines, ABadNumberEndsTheProgramNamingItsOption) {
    struct Case {
        std::string program, args, option;
    };
    const std::vector<Case> cases = {
        {kLobby, "args --server 127.0.0.1:5 --name a --table 2x", "--table"},
        {kLobby, "args --server 127.0.0.1:5 --name a --table 0", "--table"},
        {kLobby, "join --server 127.0.0.1:5x --name a", "--server"},
        {kLobby, "serve --bots 6", "--bots"},
        {kLobby, "play --bots 1.5", "--bots"},
        {kLobby, "play --log-level loud", "--log-level"},
        {kBot, "--server 127.0.0.1:5 --count 3x", "--count"},
        {kBot, "--server 127.0.0.1:5 --table 2x", "--table"},
        {kBot, "--server 127.0.0.1:5 --turn-time soon", "--turn-time"},
        {kServer, "--listen 127.0.0.1:0 --max-waiting 5x", "--max-waiting"},
        {kServer, "--listen 127.0.0.1:0 --turn-time 1s", "--turn-time"},
        {kServer, "--listen 127.0.0.1:0 --seed 7x", "--seed"},
        {kServer, "--listen 127.0.0.1:0 --log-level 3", "--log-level"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program + " " + c.args);
        const Outcome o = RunProgram(c.program, c.args);
        EXPECT_EQ(o.status, 2) << o.err;
        EXPECT_NE(o.err.find(c.option), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");  // no launch arguments, no listening line
    }
    // The same number written properly is taken.
    const Outcome good = RunProgram(kLobby, "args --server 127.0.0.1:5 --name a --table 2");
    EXPECT_EQ(good.status, 0) << good.err;
}
