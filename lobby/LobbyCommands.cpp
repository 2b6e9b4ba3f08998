#include "lobby/LobbyCommands.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "core/CommandLine.h"
#include "lobby/CertPin.h"
#include "lobby/LobbyClient.h"

namespace LobbyCommands {

namespace {

int Fail(const std::string& line, int status = 1) {
    std::fprintf(stderr, "tilelink-lobby: %s\n", line.c_str());
    return status;
}

// Connects to the room's lobby over the pinned route; the exit status when it cannot.
std::optional<int> Open(const std::string& server, LobbyClient& client, std::string* host = nullptr,
                        int* port = nullptr, std::string* fingerprint = nullptr) {
    std::string h;
    int p = 0;
    if (!CommandLine::ParseHostPort(server, h, p)) return Fail("--server wants HOST:PORT, not \"" + server + "\"", 2);
    CertPins pins(CertPins::DefaultFile());
    const ServerRoute route = RouteToServer(h, p, pins);
    if (!route.ok) return Fail(route.error);
    if (!route.note.empty()) std::fprintf(stderr, "tilelink-lobby: %s\n", route.note.c_str());
    std::string error;
    if (!client.Connect(h, p, route.fingerprint, error)) return Fail(error);
    if (host) *host = h;
    if (port) *port = p;
    if (fingerprint) *fingerprint = route.fingerprint;
    return std::nullopt;
}

// The answer's line when it refuses (or none came); empty when it was done.
std::string Refusal(const std::optional<LobbyMessages::Event>& answer, const LobbyClient& client) {
    if (!answer) return client.LastNotice().empty() ? "no answer from the room server" : client.LastNotice();
    if (answer->type == LobbyMessages::kAnswer && answer->code != 0) return answer->text;
    return {};
}

std::optional<int> LogIn(const Options& o, LobbyClient& client) {
    const auto password = ReadPasswordFile(o.passwordFile);
    if (!password) return Fail("cannot read the password file " + o.passwordFile);
    const auto answer = client.Ask(LobbyMessages::LogIn(o.name, *password));
    if (const auto why = Refusal(answer, client); !why.empty()) return Fail("cannot log in as " + o.name + ": " + why);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadPasswordFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text.size() > LobbyMessages::kMaxPassword) return std::nullopt;
    return text;
}

std::string TableLines(const LobbyClient& client) {
    std::string out;
    for (const auto& [number, t] : client.Tables()) {
        if (t.Empty()) continue;
        out += std::to_string(number);
        for (const auto& s : t.seats) out += " " + (s.name.empty() ? std::string("-") : s.name);
        out += " " + std::to_string(t.spectators.size()) + "\n";
    }
    return out;
}

int Tables(const Options& o) {
    LobbyClient client;
    if (const auto status = Open(o.server, client)) return *status;
    std::fputs(TableLines(client).c_str(), stdout);
    return 0;
}

std::string RoomLines(const LobbyClient& client) {
    std::string out;
    for (const auto& r : client.Rooms())
        out += r.id + " " + r.name + " " + r.address + " " + std::to_string(r.tables) + " " +
               std::to_string(r.players) + (r.here ? " *\n" : " -\n");
    return out;
}

int Rooms(const Options& o) {
    LobbyClient client;
    if (const auto status = Open(o.server, client)) return *status;
    // The room sends its list as soon as its database answers.
    if (!client.AwaitRooms(std::chrono::seconds(10)))
        return Fail("the room server at " + o.server + " sent no room list (an older server, or its database is away)");
    std::fputs(RoomLines(client).c_str(), stdout);
    return 0;
}

int Register(const Options& o) {
    if (o.name.empty()) return Fail("register wants --name NAME", 2);
    const auto password = ReadPasswordFile(o.passwordFile);
    if (!password) return Fail("cannot read the password file " + o.passwordFile + " (or it is empty)");
    LobbyClient client;
    if (const auto status = Open(o.server, client)) return *status;
    const auto answer = client.Ask(LobbyMessages::Register(o.name, *password));
    if (const auto why = Refusal(answer, client); !why.empty()) return Fail("cannot register " + o.name + ": " + why);
    std::printf("registered %s\n", o.name.c_str());
    return 0;
}

std::optional<LaunchPlan::Request> SeatRequest(const Options& o, int& status) {
    LobbyClient client;
    LaunchPlan::Request r;
    if (const auto failed = Open(o.server, client, &r.host, &r.port, &r.fingerprint)) {
        status = *failed;
        return std::nullopt;
    }
    if (const auto failed = LogIn(o, client)) {
        status = *failed;
        return std::nullopt;
    }
    const auto seat = client.Ask(o.watch.empty() ? LobbyMessages::Sit(o.table) : LobbyMessages::Watch(o.watch));
    if (const auto why = Refusal(seat, client); !why.empty()) {
        status = Fail(o.watch.empty() ? "no seat: " + why : "cannot watch " + o.watch + ": " + why);
        return std::nullopt;
    }
    r.name = client.Me();
    r.table = seat->table;
    r.watch = seat->watched;
    r.ticket = seat->ticket;
    client.Send(LobbyMessages::Plain(LobbyMessages::kLeave));
    status = 0;
    return r;
}

}  // namespace LobbyCommands
