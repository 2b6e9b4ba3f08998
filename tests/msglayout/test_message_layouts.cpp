// Every program builds and reads the table's messages through core: this suite scans
// every C++ file outside core/ for messages put together or taken apart by hand.
// Forges raw messages: the scanner's own samples of hand-built messages.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "MessageScan.h"

namespace fs = std::filesystem;

namespace {

// The folders whose sources are scanned: everything but core/ and the build trees.
const char* const kScanned[] = {"bot", "client", "server", "lobby", "tools", "bench", "tests"};

struct Source {
    std::string path;  // relative to the source tree
    std::string text;
};

std::vector<Source> Sources() {
    std::vector<Source> out;
    const fs::path root(TILELINK_SOURCE_DIR);
    for (const char* dir : kScanned) {
        if (!fs::exists(root / dir)) continue;
        for (const auto& e : fs::recursive_directory_iterator(root / dir)) {
            const auto ext = e.path().extension();
            if (!e.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            out.push_back({fs::relative(e.path(), root).generic_string(), text.str()});
        }
    }
    return out;
}

bool Under(const std::string& path, const char* folder) { return path.rfind(folder, 0) == 0; }

// Folders left out of the scan, each with its reason.
const char* const kUnscanned[][2] = {
    {"tests/core/", "core's own tests: they check its text codec, numbers and frames byte by byte"},
    {"tests/rules/", "core's own tests: they write item records and snapshots of every size for its readers"},
    {"tests/fuzz/", "fuzz targets and their seeds: broken bytes are their input"},
};

bool Unscanned(const std::string& path) {
    for (const auto& u : kUnscanned)
        if (Under(path, u[0])) return true;
    return false;
}

}  // namespace

TEST(MessageScan, CatchesHandBuiltMessagesAndPassesCoreCalls) {
    // Hand-built or hand-read messages, as they stood in the client, the bots and the tests.
    for (const char* bad : {
             "Bytes request{modGameMsgDefine::GAMEMSG_REMOVE, 0, seat, n};",
             "client_.SendMessage({GAMEMSG_TIMEOUT, 0, seat, 0});",
             "    m[0] = modGameMsgDefine::GAMEMSG_START;",
             "t.Receive({18, 1});",
             "f.ZelSckClient_OnDataArrival(Bytes{133, 2, 0, 1, 0, 3});",
             "Bytes ask{112, 1};",
             "EXPECT_EQ(f.Apply(Bytes{19, 0, 1, 0, 0, 0}).kind, Event::None);",
             "modPublicTools::ConvertStrToBytes(name, out, {110, 0});",
             "const auto text = modPublicTools::ConvertBytesToStr(msg, 2);",
             "modPublicTools::GetLongFromBytes(score, msg, pos + 2);",
         })
        EXPECT_FALSE(msgscan::Scan(bad).empty()) << bad;
    // Calls of core, type tests on received messages, frames and comments pass.
    for (const char* good : {
             "client_.SendMessage(GameMessages::RemoveRequest(g.bteCurUserNo, path));",
             "if (!m.empty() && m[0] == GAMEMSG_REMOVE) ++n;",
             "Send(RoomMessages::GameSetAccept(name_));",
             "Bytes out;",
             "// the request 19, 0, seat, {GAMEMSG_REMOVE, 0} travels as one frame",
             "if (BroadcastParsers::ParseReady(msg, seat)) {}",
             "EXPECT_EQ(GameMessages::TimeOut(4, 6), (Bytes{20, 0, 4, 6}));  // a pinned layout",
         })
        EXPECT_TRUE(msgscan::Scan(good).empty()) << good;
    // The line number of a hit counts from 1.
    const auto hits = msgscan::Scan("int a;\nBytes b{19, 0};\n");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0].line, 2);
}

TEST(MessageLayouts, NoFileOutsideCoreBuildsOrReadsAMessageByHand) {
    const auto sources = Sources();
    ASSERT_GT(sources.size(), 100u) << "the source tree was not found at " << TILELINK_SOURCE_DIR;
    for (const auto& s : sources) {
        if (Unscanned(s.path) || !msgscan::ForgeReason(s.text).empty()) continue;  // marks are checked below
        for (const auto& h : msgscan::Scan(s.text))
            ADD_FAILURE() << s.path << ":" << h.line << ": " << h.rule << " (build or read it through core)\n"
                          << "    " << h.text;
    }
}

TEST(MessageLayouts, OnlyTestsForgeMessagesAndEveryMarkIsNeeded) {
    int marked = 0;
    for (const auto& s : Sources()) {
        const std::string reason = msgscan::ForgeReason(s.text);
        if (reason.empty()) continue;
        ++marked;
        EXPECT_TRUE(Under(s.path, "tests/")) << s.path << ": only tests may forge raw messages";
        EXPECT_NE(reason, "-") << s.path << ": the forge mark gives no reason";
        EXPECT_FALSE(msgscan::Scan(s.text).empty()) << s.path << ": marked as forging but builds nothing by hand";
    }
    // The marked files are the exceptions, not the rule.
    EXPECT_LE(marked, 25);
}
