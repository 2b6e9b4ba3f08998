#include "client/items/modManage_DaoJuObject.h"

#include "client/TableClient.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/start/frmMain.h"
#include "core/modDaoJuDefine.h"

modManage_DaoJuObject::modManage_DaoJuObject(TableClient& client) : g_DaoJuObj(client), client_(client) {}

modManage_DaoJuObject::~modManage_DaoJuObject() = default;

void modManage_DaoJuObject::InitDaoJuObject() {
    DaoJuAniPos[0] = {300, 300};
    for (int p = 1; p < 6; ++p) DaoJuAniPos[static_cast<std::size_t>(p)] = {55 + 119 * (p - 1), 80};
    if (client_.mainForm) client_.mainForm->imgDaoJu.assign(1, QImage());
    g_DaoJuObj.Init();
}

int modManage_DaoJuObject::GetFreeDaoJuObject() {
    const int index = g_DaoJuObj.GetFree();
    if (index >= 0 && client_.mainForm && client_.mainForm->imgDaoJu.size() <= static_cast<std::size_t>(index))
        client_.mainForm->imgDaoJu.resize(static_cast<std::size_t>(index) + 1);
    return index;
}

void modManage_DaoJuObject::ReleaseDaoJuObject() {
    if (client_.mainForm && client_.mainForm->imgDaoJu.size() > 1) client_.mainForm->imgDaoJu.resize(1);
    g_DaoJuObj.Release();
}

void modManage_DaoJuObject::StartDaoJuAni(std::uint8_t bteDaoJuNo, std::uint8_t bteSrcUserNo,
                                          std::uint8_t bteDstUserNo) {
    if (!client_.aniTimer->AniAllowed()) return;
    if (bteDaoJuNo >= modDaoJuDefine::kItemCount) return;
    if (bteSrcUserNo >= GameSize::kSeatCount || bteDstUserNo >= GameSize::kSeatCount) return;
    const int from = client_.game.bteSeatPosNo[bteSrcUserNo];
    const int to = client_.game.bteSeatPosNo[bteDstUserNo];
    if (from >= GameSize::kSeatCount || to >= GameSize::kSeatCount) return;  // a seat shown nowhere
    const int index = GetFreeDaoJuObject();
    if (index < 0) return;  // the pool is full: no index left for the task record
    const AniPos start = DaoJuAniPos[static_cast<std::size_t>(from)];
    const AniPos end = DaoJuAniPos[static_cast<std::size_t>(to)];
    g_DaoJuObj[index].InitAniInfo(index, kInterval, bteDaoJuNo, bteSrcUserNo, bteDstUserNo, start.x, start.y, end.x,
                                  end.y);
    client_.aniTimer->StartObjectTask(ANITYPE_DAOJU, index, kInterval, g_DaoJuObj[index]);
}
