#include "client/paint/modManage_ShanDianObject.h"

#include <cstdlib>

#include "client/TableClient.h"
#include "client/paint/TableCanvas.h"
#include "client/paint/modManage_AniTimer.h"
#include "client/platform/PictureBox.h"
#include "client/platform/PictureFile.h"

modManage_ShanDianObject::modManage_ShanDianObject(TableClient& client) : g_ShanDianObj(client), client_(client) {}

modManage_ShanDianObject::~modManage_ShanDianObject() = default;

void modManage_ShanDianObject::InitShanDianObject() {
    if (client_.Canvas()) {
        struct Strip {
            const char* file;
            int width, height;
        };
        const Strip strips[2] = {{"Res\\hz_flash.bmp", kHzStripWidth, kHzStripHeight},
                                 {"Res\\vs_flash.bmp", kVsStripWidth, kVsStripHeight}};
        for (int i = 0; i < 2; ++i) {
            PictureBox* strip = client_.Canvas()->picShanDian[i];
            if (!strip) continue;
            strip->AutoRedraw = true;
            strip->hide();
            // A missing strip stays blank.
            strip->PlacePicture(-5000, 0, strips[i].width, strips[i].height,
                                PictureFile::LoadPicture(client_.ResPath(strips[i].file)));
        }
    }
    g_ShanDianObj.Init();
}

int modManage_ShanDianObject::GetFreeShanDianObject() { return g_ShanDianObj.GetFree(); }

void modManage_ShanDianObject::ReleaseShanDianObject() { g_ShanDianObj.Release(); }

bool modManage_ShanDianObject::IsNeighbourPair(const LinkPath& path) {
    if (path.lngNodeCount != 2) return false;
    const CellPos a = path.First(), b = path.Last();
    return (a.row == b.row && std::abs(a.col - b.col) == 1) || (a.col == b.col && std::abs(a.row - b.row) == 1);
}

void modManage_ShanDianObject::StartShanDianAni(const LinkPath& path) {
    if (!client_.aniTimer->AniAllowed()) return;
    if (path.lngNodeCount < 2 || path.lngNodeCount > 4 || IsNeighbourPair(path)) return;
    const int index = GetFreeShanDianObject();
    if (index < 0) return;  // the pool is full: no index left for the task record
    g_ShanDianObj[index].InitAniInfo(index, kInterval, kStepCount, path.lngNodeCount,
                                     std::span<const std::int32_t>(path.lngNodePos, 2 * path.lngNodeCount));
    client_.aniTimer->StartObjectTask(ANITYPE_SHANDIAN, index, kInterval, g_ShanDianObj[index]);
}
