// Animations do not run yet. (placeholder until the module is written)
#include "client/paint/modManage_ShanDianObject.h"

#include "client/TableClient.h"

modManage_ShanDianObject::modManage_ShanDianObject(TableClient& client) : client_(client) {}
void modManage_ShanDianObject::InitShanDianObject() {}
int modManage_ShanDianObject::GetFreeShanDianObject() { return 0; }
void modManage_ShanDianObject::ReleaseShanDianObject() {}
void modManage_ShanDianObject::StartShanDianAni([[maybe_unused]] const LinkPath& path) {}
modManage_ShanDianObject::~modManage_ShanDianObject() = default;
