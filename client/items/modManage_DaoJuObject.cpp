// Animations do not run yet. (placeholder until the module is written)
#include "client/items/modManage_DaoJuObject.h"

#include "client/TableClient.h"

modManage_DaoJuObject::modManage_DaoJuObject(TableClient& client) : client_(client) {}
void modManage_DaoJuObject::InitDaoJuObject() {}
int modManage_DaoJuObject::GetFreeDaoJuObject() { return 0; }
void modManage_DaoJuObject::ReleaseDaoJuObject() {}
void modManage_DaoJuObject::StartDaoJuAni([[maybe_unused]] std::uint8_t bteDaoJuNo, [[maybe_unused]] std::uint8_t bteSrcUserNo, [[maybe_unused]] std::uint8_t bteDstUserNo) {}
modManage_DaoJuObject::~modManage_DaoJuObject() = default;
