// Shared definitions: the program and lobby folders, the title table and its look-up,
// the membership level names, and which seat is shown as the own board.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TableClient;

class modPublicDefine {
public:
    explicit modPublicDefine(TableClient& client);

    void InitPublicDefine();
    void InitUserTitle(const std::string& strTitleTable);
    std::string GetUserTitle(std::int32_t lngScore) const;
    // The membership level name of an icon number (number \ 1000), or "未知身份".
    std::string GetLevelName(std::int32_t lngIconNo) const;
    void SetCurSeatInfo();

    struct TitleEntry {
        std::string strTitle;
        std::int32_t lngScore = 0;
    };
    std::vector<TitleEntry> udtUserTitle;
    std::vector<std::string> strLevelName;

private:
    TableClient& client_;
};
