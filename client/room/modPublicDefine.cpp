#include "client/room/modPublicDefine.h"

#include "client/TableClient.h"
#include "client/start/modStart.h"
#include "core/LaunchArgs.h"
#include "core/LeadingNumber.h"
#include "core/modPublicTools.h"

modPublicDefine::modPublicDefine(TableClient& client) : client_(client) {}

void modPublicDefine::InitPublicDefine() {
    client_.start->GetAppPath();
    client_.strLobbyPath = LaunchArgs::LobbyPathOf(client_.strAppPath);
    client_.game.bteSeatPosNo.fill(0);
    client_.blnQuitFlag = false;
    client_.game.blnGameSetKnown = false;
    client_.game.blnShowStart = false;
    InitUserTitle(client_.strUserTitleTable);
    strLevelName = {"普通用户", "普通会员", "蓝钻会员", "红钻会员", "绿钻会员"};
}

void modPublicDefine::InitUserTitle(const std::string& strTitleTable) { udtUserTitle = ParseTitleTable(strTitleTable); }

std::vector<modPublicDefine::TitleEntry> modPublicDefine::ParseTitleTable(const std::string& strTitleTable) {
    std::vector<TitleEntry> table;
    for (const auto& field : modPublicTools::SplitFields(strTitleTable)) {
        const auto parts = modPublicTools::SplitFields(field, '_');
        TitleEntry e;
        if (!parts.empty()) e.strTitle = parts[0];
        if (parts.size() > 1) e.lngScore = LeadingNumber::Long(parts[1]);
        table.push_back(e);
    }
    return table;
}

std::string modPublicDefine::GetUserTitle(std::int32_t lngScore) const { return LookUpTitle(udtUserTitle, lngScore); }

std::string modPublicDefine::LookUpTitle(const std::vector<TitleEntry>& table, std::int32_t lngScore) {
    if (table.empty()) return "未知级别";
    if (lngScore <= table.front().lngScore) return table.front().strTitle;
    if (lngScore >= table.back().lngScore) return table.back().strTitle;
    for (std::size_t i = 1; i < table.size(); ++i)
        if (table[i].lngScore > lngScore) return table[i - 1].strTitle;
    return table.back().strTitle;
}

std::string modPublicDefine::GetLevelName(std::int32_t lngIconNo) const {
    const std::int32_t idx = lngIconNo / 1000;
    if (idx < 0 || idx >= static_cast<std::int32_t>(strLevelName.size())) return "未知身份";
    return strLevelName[idx];
}

void modPublicDefine::SetCurSeatInfo() {
    auto& g = client_.game;
    const int s = g.FindSeat(g.strSeatUserName);
    if (s < 0) return;
    g.bteCurUserNo = static_cast<std::uint8_t>(s);
    for (int k = 0; k < 6; ++k) g.bteSeatPosNo[(s + k) % 6] = static_cast<std::uint8_t>(k);
    g.blnIsWatcher = g.strSeatUserName != client_.strCurUserName;
}
