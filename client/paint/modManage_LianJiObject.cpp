#include "client/paint/modManage_LianJiObject.h"

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/platform/PictureBox.h"

namespace {
void PrepareComposition(PictureBox& pic) {
    pic.AutoRedraw = true;
    pic.hide();
    pic.Place(0, 0, clsAni_LianJi::kWidth, clsAni_LianJi::kHeight);
    pic.Cls();
}
}  // namespace

modManage_LianJiObject::modManage_LianJiObject(TableClient& client)
    : g_LianJiObj(client), paintNumber(client), client_(client) {}

modManage_LianJiObject::~modManage_LianJiObject() = default;

void modManage_LianJiObject::InitLianJiObject() {
    udtLianJiPos[0] = {46, 500};
    for (int p = 1; p < 6; ++p) udtLianJiPos[static_cast<std::size_t>(p)] = {18 + 119 * (p - 1), 55};
    EnsureControls(0);
    if (client_.Canvas()) {
        PrepareComposition(*client_.Canvas()->picLianJi[0]);
        client_.Canvas()->imgLianJi[0] = QImage();
    }
    g_LianJiObj.Init();
}

void modManage_LianJiObject::EnsureControls(int index) {
    if (!client_.Canvas() || index < 0) return;
    TableCanvas& f = *client_.Canvas();
    while (f.picLianJi.size() <= static_cast<std::size_t>(index)) {
        auto* pic = new PictureBox(f.Owner());
        PrepareComposition(*pic);
        f.picLianJi.push_back(pic);
    }
    if (f.imgLianJi.size() <= static_cast<std::size_t>(index)) f.imgLianJi.resize(static_cast<std::size_t>(index) + 1);
}

int modManage_LianJiObject::GetFreeLianJiObject() {
    const int index = g_LianJiObj.GetFree();
    EnsureControls(index);
    return index;
}

void modManage_LianJiObject::ReleaseLianJiObject() {
    if (client_.Canvas()) {
        TableCanvas& f = *client_.Canvas();
        while (f.picLianJi.size() > 1) {
            delete f.picLianJi.back();
            f.picLianJi.pop_back();
        }
        if (f.imgLianJi.size() > 1) f.imgLianJi.resize(1);
    }
    g_LianJiObj.Release();
}

void modManage_LianJiObject::StartLianJiAni(int seat, const std::string& text) {
    if (!client_.aniTimer->AniAllowed()) return;
    if (seat < 0 || seat >= GameSize::kSeatCount) return;
    const int position = client_.game.bteSeatPosNo[static_cast<std::size_t>(seat)];
    if (position >= GameSize::kSeatCount) return;  // the seat is shown nowhere
    const int index = GetFreeLianJiObject();
    if (index < 0) return;  // the pool is full: no index left for the task record
    const LianJiPos start = udtLianJiPos[static_cast<std::size_t>(position)];
    g_LianJiObj[index].InitAniInfo(index, kInterval, kStepCount, start.x, start.y, text);
    client_.aniTimer->StartObjectTask(ANITYPE_LIANJI, index, kInterval, g_LianJiObj[index]);
}
