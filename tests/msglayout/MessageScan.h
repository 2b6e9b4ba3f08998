// Finds messages put together or taken apart by hand: a byte list headed by a message
// code, a message code written into byte 0, a numbered byte list sent or received, a
// byte array initialised with numbers, or the text and number codec of the wire called
// directly. Outside core/ every message is built and read by core's builders and parsers
// (GameMessages, RoomMessages, BroadcastParsers, modTableState, modTableModel); a test
// that feeds deliberately broken bytes carries the forge mark with its reason.
#pragma once
#include <regex>
#include <string>
#include <vector>

namespace msgscan {

struct Hit {
    int line = 0;
    std::string rule;
    std::string text;
};

// The mark a test file carries when it forges raw messages on purpose; the reason
// follows the colon on the same line. (Written in two pieces so this file carries none.)
inline constexpr char kForgeMark[] =
    "// Forges raw"
    " messages:";

struct Rule {
    const char* name;
    std::regex pattern;
    bool expectationsToo;  // also a hit inside EXPECT_/ASSERT_ (else the expected bytes pin a layout)
};

inline const std::vector<Rule>& Rules() {
    static const std::vector<Rule> rules = {
        {"byte list headed by a message code",
         std::regex(R"(\{\s*(mod(Game|Room)MsgDefine::)?(GAMEMSG|ROOMMSG)_\w+\s*,)"), false},
        {"message code written into byte 0", std::regex(R"(\[\s*0\s*\]\s*=\s*(mod\w+::)?(GAMEMSG|ROOMMSG)_)"), true},
        {"numbered byte list sent or received",
         std::regex(
             R"(\b(Send\w*|Receive|Apply|ExecGameMsg|ExecRoomMsg|\w*OnDataArrival)\s*\(\s*(Bytes\s*)?\{\s*[0-9]+\s*[,}])"),
         true},
        {"byte array initialised with numbers",
         std::regex(R"(\bBytes\s*(\w+\s*)?(=\s*)?[{(]\s*\{?\s*[0-9]+\s*,\s*[0-9]+)"), false},
        {"wire text or number codec outside core",
         std::regex(R"(\b(ConvertStrToBytes|ConvertBytesToStr|GetLongFromBytes|PutLong)\s*\()"), true},
    };
    return rules;
}

// A source line without its line comment (a string holding "//" is rare enough here).
inline std::string CodeOf(const std::string& line) {
    const auto at = line.find("//");
    return at == std::string::npos ? line : line.substr(0, at);
}

inline std::vector<Hit> Scan(const std::string& source) {
    std::vector<Hit> hits;
    std::size_t start = 0;
    int number = 0;
    while (start <= source.size()) {
        const auto end = source.find('\n', start);
        const std::string line = source.substr(start, end == std::string::npos ? std::string::npos : end - start);
        ++number;
        const std::string code = CodeOf(line);
        const bool expectation = code.find("EXPECT_") != std::string::npos || code.find("ASSERT_") != std::string::npos;
        for (const auto& r : Rules())
            if ((r.expectationsToo || !expectation) && std::regex_search(code, r.pattern))
                hits.push_back({number, r.name, line});
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return hits;
}

// The reason given by the forge mark, or empty when the file carries none.
inline std::string ForgeReason(const std::string& source) {
    const auto at = source.find(kForgeMark);
    if (at == std::string::npos) return {};
    const auto from = at + sizeof kForgeMark - 1;
    const auto end = source.find('\n', from);
    std::string reason = source.substr(from, end == std::string::npos ? std::string::npos : end - from);
    while (!reason.empty() && reason.front() == ' ') reason.erase(reason.begin());
    return reason.empty() ? std::string("-") : reason;
}

}  // namespace msgscan
