// The room message handler: users entering, watching, dropping and leaving, the user
// list's events, the user card and its menu, chat relayed as room broadcasts, the table
// settings messages, the table reset and the table-state snapshot.
#pragma once
#include <array>
#include <string>

#include "core/Bytes.h"

class TableClient;

class modRoomMsg {
public:
    explicit modRoomMsg(TableClient& client);

    void ExecRoomMsg(const Bytes& msg);

    // User list events.
    void lstUser_OnListLoaded(const std::string& strNames);
    void lstUser_OnUserClicked(bool blnContext, const std::string& strName, const std::string& strRecord);
    void ShowUserCard(const std::string& strUserInfo);
    void ExecUserMenu(int lngUserMenuItemIdx);

    // Chat panel event: sends game message 1 with the ten fields.
    void ZelChat_OnSendChat(const std::array<std::string, 10>& fields);

private:
    TableClient& client_;
};
