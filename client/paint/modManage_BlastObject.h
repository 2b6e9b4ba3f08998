// The pool of tile blast animations, with the blast frames kept once they are read.
#pragma once
#include <QImage>
#include <map>
#include <string>

#include "client/paint/AniObject.h"
#include "client/paint/clsAni_Blast.h"

class TableClient;

class modManage_BlastObject {
public:
    explicit modManage_BlastObject(TableClient& client);
    ~modManage_BlastObject();
    void InitBlastObject();
    // The lowest idle entry, or a new one; -1 when the pool is full.
    int GetFreeBlastObject();
    void ReleaseBlastObject();

    // The picture of a frame file, read on first use; empty when the file is missing.
    const QImage& BlastFrame(const std::string& path);

    AniObjectPool<clsAni_Blast> g_BlastObj;

    static constexpr int kInterval = 50;

private:
    TableClient& client_;
    std::map<std::string, QImage> frames_;
};
