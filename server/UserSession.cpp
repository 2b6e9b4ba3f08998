#include "server/UserSession.h"

#include <algorithm>

#include "core/modPublicTools.h"

bool UserSession::TakeChatLine(std::chrono::steady_clock::time_point now, int perMinute) {
    chatTokens = std::min(5.0, chatTokens + std::chrono::duration<double>(now - chatAt).count() * perMinute / 60.0);
    chatAt = now;
    if (chatTokens < 1) return false;
    chatTokens -= 1;
    return true;
}

std::string UserSession::RecordText(int chair) const {
    const UserStats& s = stats;
    return modPublicTools::JoinFields({name, std::to_string(s.id), std::to_string(s.score), std::to_string(s.Level()),
                                       watched, std::to_string(s.games), std::to_string(s.WinRate()),
                                       std::to_string(s.EscapeRate()), std::to_string(s.wins), std::to_string(s.losses),
                                       std::to_string(s.draws), std::to_string(s.character), std::to_string(s.icon),
                                       std::to_string(chair), ready ? "1" : "0", dropped ? "1" : "0"});
}

std::string UserSession::UpdateText() const {
    const UserStats& s = stats;
    return modPublicTools::JoinFields(
        {name, std::to_string(s.score), std::to_string(s.Level()), std::to_string(s.games), std::to_string(s.WinRate()),
         std::to_string(s.EscapeRate()), std::to_string(s.wins), std::to_string(s.losses), std::to_string(s.draws)});
}
