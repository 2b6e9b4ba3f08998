// Animations do not run yet. (placeholder until the module is written)
#include "client/paint/modManage_LianJiObject.h"

#include "client/TableClient.h"

modManage_LianJiObject::modManage_LianJiObject(TableClient& client) : client_(client) {}
void modManage_LianJiObject::InitLianJiObject() {}
int modManage_LianJiObject::GetFreeLianJiObject() { return 0; }
void modManage_LianJiObject::ReleaseLianJiObject() {}
void modManage_LianJiObject::StartLianJiAni([[maybe_unused]] int seat, [[maybe_unused]] const std::string& text) {}
modManage_LianJiObject::~modManage_LianJiObject() = default;
