#include "server/OperatorCommands.h"

#include <cstdio>
#include <ctime>
#include <vector>

#include "core/LeadingNumber.h"
#include "core/modPublicTools.h"
#include "server/RoomServer.h"

namespace OperatorCommands {

namespace {

// The first `count - 1` blank-separated words and the rest of the line as the last.
std::vector<std::string> Words(const std::string& text, std::size_t count) {
    std::vector<std::string> out;
    std::string rest = modPublicTools::TrimBlanks(text);
    while (!rest.empty() && out.size() + 1 < count) {
        const auto gap = rest.find(' ');
        out.push_back(rest.substr(0, gap));
        rest = gap == std::string::npos ? "" : modPublicTools::TrimBlanks(rest.substr(gap + 1));
    }
    if (!rest.empty()) out.push_back(rest);
    return out;
}

}  // namespace

bool Run(RoomServer& room, const std::string& rawLine, std::string& reply) {
    std::string line = rawLine;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto space = line.find(' ');
    const std::string cmd = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : modPublicTools::TrimBlanks(line.substr(space + 1));
    if (cmd == "quit") return false;
    if (cmd == "broadcast" && !rest.empty()) {
        room.BroadcastText(rest);
        reply = "broadcast sent\n";
    } else if (cmd == "notice" && !rest.empty()) {
        const auto gap = rest.find(' ');
        const int table = LeadingNumber::Long(rest.substr(0, gap));
        const std::string text = gap == std::string::npos ? "" : modPublicTools::TrimBlanks(rest.substr(gap + 1));
        reply = !text.empty() && room.NoticeTable(table, text) ? "notice sent\n" : "no such table or no text\n";
    } else if (cmd == "status") {
        reply = room.Status();
    } else if (cmd == "kick" || cmd == "ban" || cmd == "unban" || cmd == "mute" || cmd == "unmute") {
        // kick NAME [REASON] | ban NAME MINUTES [REASON] | mute NAME MINUTES [REASON] | unban NAME | unmute NAME
        const auto words = Words(rest, cmd == "ban" || cmd == "mute" ? 3 : 2);
        const bool timed = cmd == "ban" || cmd == "mute";
        const int minutes = timed && words.size() > 1 ? LeadingNumber::Long(words[1]) : 0;
        const std::string reason = words.size() > (timed ? 2u : 1u) ? words.back() : "";
        if (words.empty()) reply = "usage: " + cmd + " NAME" + (timed ? " MINUTES" : "") + " [REASON]\n";
        else if (!room.Moderate("operator", cmd, words[0], minutes, reason, reply)) reply += "\n";
    } else if (cmd == "bans") {
        const auto now = static_cast<std::int64_t>(std::time(nullptr));
        for (const auto& m : room.Mod().InForce(now))
            reply += m.action + " " + m.target + " until " + std::to_string(m.until) + " by " + m.actor + ": " +
                     m.reason + "\n";
        if (reply.empty()) reply = "no bans or mutes\n";
    } else if (cmd == "admin" && !rest.empty()) {
        const auto words = Words(rest, 2);
        const bool on = words.size() < 2 || words[1] != "no";
        const std::string& name = words[0];
        room.Records().SetAdmin(name, on, [name, on](bool found) {
            std::printf("%s\n", found ? (name + (on ? " is an admin now" : " is no admin now")).c_str()
                                      : ("no account " + name).c_str());
            std::fflush(stdout);
        });
    } else if (!cmd.empty()) {
        reply =
            "commands: broadcast TEXT | notice TABLE TEXT | status | kick NAME [REASON] | ban NAME MINUTES [REASON] |"
            " unban NAME | mute NAME MINUTES [REASON] | unmute NAME | bans | admin NAME [yes|no] | quit\n";
    }
    return true;
}

}  // namespace OperatorCommands
