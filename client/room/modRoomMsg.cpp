// Room messages are not handled yet. (placeholder until the module is written)
#include "client/room/modRoomMsg.h"

#include "client/TableClient.h"

modRoomMsg::modRoomMsg(TableClient& client) : client_(client) {}
void modRoomMsg::ExecRoomMsg([[maybe_unused]] const Bytes& msg) {}
void modRoomMsg::lstUser_OnListLoaded([[maybe_unused]] const std::string& strNames) {}
void modRoomMsg::lstUser_OnUserClicked([[maybe_unused]] bool blnContext, [[maybe_unused]] const std::string& strName, [[maybe_unused]] const std::string& strRecord) {}
void modRoomMsg::ShowUserCard([[maybe_unused]] const std::string& strUserInfo) {}
void modRoomMsg::ExecUserMenu([[maybe_unused]] int lngUserMenuItemIdx) {}
void modRoomMsg::ZelChat_OnSendChat([[maybe_unused]] const std::array<std::string, 10>& fields) {}
