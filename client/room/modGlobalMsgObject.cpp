// Message windows are not shown yet. (placeholder until the module is written)
#include "client/room/modGlobalMsgObject.h"

#include "client/TableClient.h"

modGlobalMsgObject::modGlobalMsgObject(TableClient& client) : client_(client) {}
void modGlobalMsgObject::InitMsgObject() {}
bool modGlobalMsgObject::ShowMsgWindow([[maybe_unused]] std::int32_t lngRoomObjectIdx, [[maybe_unused]] QWidget* frmOwner, [[maybe_unused]] std::uint8_t bteMsgType, [[maybe_unused]] const std::string& strNote, [[maybe_unused]] const std::string& strCaption, [[maybe_unused]] std::int32_t lngMaxDelayTime, [[maybe_unused]] const std::string& strYesCmdCaption, [[maybe_unused]] const std::string& strNoCmdCaption, [[maybe_unused]] bool blnYesDefault) { return false; }
void modGlobalMsgObject::CloseMsgWindows([[maybe_unused]] std::int32_t lngRoomObjectIdx) {}
void modGlobalMsgObject::ReleaseSlot([[maybe_unused]] std::int32_t lngMsgObjectIdx, [[maybe_unused]] bool blnAnswer) {}
modGlobalMsgObject::~modGlobalMsgObject() = default;
