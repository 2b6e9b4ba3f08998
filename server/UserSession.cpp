#include "server/UserSession.h"

#include <algorithm>

#include "core/modPublicTools.h"

bool ChatBudget::Take(std::chrono::steady_clock::time_point now, int perMinute) {
    tokens = std::min(5.0, tokens + std::chrono::duration<double>(now - at).count() * perMinute / 60.0);
    at = now;
    if (tokens < 1) return false;
    tokens -= 1;
    return true;
}

bool UserSession::TakeChatLine(std::chrono::steady_clock::time_point now, int perMinute) {
    return chat.Take(now, perMinute);
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
