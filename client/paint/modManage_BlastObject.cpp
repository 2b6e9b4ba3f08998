// Animations do not run yet. (placeholder until the module is written)
#include "client/paint/modManage_BlastObject.h"

#include "client/TableClient.h"

modManage_BlastObject::modManage_BlastObject(TableClient& client) : client_(client) {}
void modManage_BlastObject::InitBlastObject() {}
int modManage_BlastObject::GetFreeBlastObject() { return 0; }
void modManage_BlastObject::ReleaseBlastObject() {}
modManage_BlastObject::~modManage_BlastObject() = default;
