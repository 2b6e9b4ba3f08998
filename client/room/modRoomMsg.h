// The room message handler: users entering, watching, dropping and leaving, the user
// list's events, the user card and its menu, room broadcasts, the table settings
// messages and their dialog, the table reset and the table-state snapshot.
#pragma once
#include <QPointer>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Bytes.h"

class TableClient;
class frmGameSet;
class frmUserMenu;

class modRoomMsg {
public:
    explicit modRoomMsg(TableClient& client);
    ~modRoomMsg();

    void ExecRoomMsg(const Bytes& msg);

    // User list events.
    void lstUser_OnListLoaded(const std::string& strNames);
    void lstUser_OnUserClicked(bool blnContext, const std::string& strName, const std::string& strRecord);
    // Fills the user menu from a 16-field record; false (menu untouched) for any other text.
    bool ShowUserCard(const std::string& strUserInfo);
    void ExecUserMenu(int lngUserMenuItemIdx);

    // Chat panel event: sends game message 1 with the ten fields.
    void ZelChat_OnSendChat(const std::array<std::string, 10>& fields);

    // Opens the settings dialog; when the settings text cannot be shown the player
    // leaves the table (110, 0) and the result is false.
    bool OpenGameSet(bool blnDeskMaster, const std::string& strAllGameSetInfo);

    frmGameSet* GameSetWindow() const;
    frmUserMenu* UserMenu() const { return userMenu_.get(); }

private:
    void ExecTableMsg(const Bytes& msg);
    void ExecUserStateMsg(std::uint8_t bteSub, const std::string& strText);
    void ExecUserLeave(const std::string& strName);
    void ExecGameSetAsk(const Bytes& msg);
    void ExecGameSetAgree(const Bytes& msg);
    void ExecTableState(const Bytes& msg);
    void ResetTable();
    // Seats the player of a record (watched-player field blank); the seat, or -1.
    int SeatPlayer(const std::vector<std::string>& record);
    void ShowNotice(const std::string& text);

    TableClient& client_;
    QPointer<frmGameSet> frmGameSetWnd_;
    std::unique_ptr<frmUserMenu> userMenu_;
};
