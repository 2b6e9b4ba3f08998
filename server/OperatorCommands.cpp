#include "server/OperatorCommands.h"

#include "core/LeadingNumber.h"
#include "core/modPublicTools.h"
#include "server/RoomServer.h"

namespace OperatorCommands {

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
    } else if (!cmd.empty()) {
        reply = "commands: broadcast TEXT | notice TABLE TEXT | status | quit\n";
    }
    return true;
}

}  // namespace OperatorCommands
