#include "client/paint/modManage_BlastObject.h"

#include "client/TableClient.h"
#include "client/platform/PictureFile.h"

modManage_BlastObject::modManage_BlastObject(TableClient& client) : g_BlastObj(client), client_(client) {}

modManage_BlastObject::~modManage_BlastObject() = default;

void modManage_BlastObject::InitBlastObject() {
    frames_.clear();
    g_BlastObj.Init();
}

int modManage_BlastObject::GetFreeBlastObject() { return g_BlastObj.GetFree(); }

void modManage_BlastObject::ReleaseBlastObject() {
    g_BlastObj.Release();
    frames_.clear();
}

const QImage& modManage_BlastObject::BlastFrame(const std::string& path) {
    auto found = frames_.find(path);
    if (found == frames_.end()) found = frames_.emplace(path, PictureFile::LoadPicture(path)).first;
    return found->second;
}
