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
    // The title table of a text "title_score`title_score..." (ascending by score), and
    // the title of a score in such a table; the user list shows titles the same way.
    static std::vector<TitleEntry> ParseTitleTable(const std::string& strTitleTable);
    static std::string LookUpTitle(const std::vector<TitleEntry>& table, std::int32_t lngScore);
    std::vector<TitleEntry> udtUserTitle;
    std::vector<std::string> strLevelName;

private:
    TableClient& client_;
};
