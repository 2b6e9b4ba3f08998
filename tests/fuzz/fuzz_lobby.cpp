// The lobby protocol from both ends. Every message of the input goes through the lobby's
// reading of the server's events and the server's reading of requests: whatever reads
// builds back to the same bytes. Then the input is one lobby connection's traffic against
// a fresh room server (the lobby hello said first): any traffic ends in answers or a
// closed connection, and the server keeps nothing of it afterwards.
#include "FuzzInput.h"
#include "FuzzServerSession.h"
#include "core/LobbyMessages.h"

namespace LM = LobbyMessages;

namespace {

[[noreturn]] void Mismatch(const char* what) {
    std::fprintf(stderr, "lobby message read back differently: %s\n", what);
    std::abort();
}

void CheckReadBack(const Bytes& m) {
    if (const auto e = LM::ParseEvent(m)) {
        if (e->type == LM::kTable && LM::TableChanged(e->tables.at(0)) != m) Mismatch("table");
        if (e->type == LM::kChatLine && LM::ChatLine(e->name, e->text) != m) Mismatch("chat line");
        if (e->type == LM::kRooms && LM::Rooms(e->rooms) != m) Mismatch("rooms");
    }
    if (const auto r = LM::ParseRequest(m)) {
        if (r->type == LM::kLogIn && LM::LogIn(r->name, r->password) != m) Mismatch("log in");
        if (r->type == LM::kModerate && LM::Moderate(r->action, r->name, r->minutes, r->reason) != m)
            Mismatch("moderate");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<Bytes> messages = fuzzinput::SplitMessages(data, size);
    std::size_t waits = 0, hashes = 0;
    for (const Bytes& m : messages) {
        CheckReadBack(m);
        waits += m.size() == 1 && m[0] == fuzzserver::kWait;
        hashes += !m.empty() && (m[0] == LM::kRegister || m[0] == LM::kLogIn);
    }
    // Keeps one input within about a second: password hashes are slow on purpose.
    if (messages.size() > 300 || waits > 24 || hashes > 3) return 0;
    fuzzserver::Session session;
    session.Step(LM::Hello());
    for (const Bytes& m : messages) session.Step(m);
    session.Settle();
    return 0;
}
