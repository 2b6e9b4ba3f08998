// Room messages and user records as the room server sends them, for the room tests.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "ClientHarness.h"
#include "client/platform/FrmZelListGm.h"
#include "client/platform/ZelChatCtrl.h"
#include "core/GameMessages.h"
#include "core/modPublicTools.h"

namespace roomkit {

// A message: type, sub-code, then the text in GBK.
inline Bytes Msg(std::uint8_t type, std::uint8_t sub, const std::string& text) {
    return GameMessages::TextMessage({type, sub}, text);
}

struct Rec {
    explicit Rec(std::string n) : name(std::move(n)) {}
    std::string name;
    std::string watched;
    std::string chair = "0";
    std::string icon = "0";
    std::string level = "100";
    std::string ready = "0";
    std::string netBreak = "0";
    std::string score = "1500";
    // The 16-field record text.
    std::string Text() const {
        return modPublicTools::JoinFields({name, "ID" + name, score, level, watched, "12", "50", "8", "6", "5", "1",
                                           "0", icon, chair, ready, netBreak});
    }
};

// A started client with a recorder in place of the server.
struct Table {
    harness::Harness h;
    Table() {
        h.Start();
        h.sent.clear();
    }
    TableClient& c() { return *h.client; }
    FrmZelListGm& list() { return *h.Main().lstUser; }
    ZelChatCtrl& chat() { return *h.Main().ZelChat; }
    std::vector<std::string> History() { return chat().HistoryLines(); }
    std::string LastNotice() {
        const auto lines = History();
        return lines.empty() ? std::string() : lines.back();
    }
    void Receive(std::uint8_t type, std::uint8_t sub, const std::string& text) { h.Receive(Msg(type, sub, text)); }
    // Seats players through a whole list, as after the login.
    void LoadList(const std::vector<Rec>& recs) {
        std::string text;
        for (const auto& r : recs) text += r.Text() + "\n";
        Receive(130, 2, text);
    }
};

}  // namespace roomkit
