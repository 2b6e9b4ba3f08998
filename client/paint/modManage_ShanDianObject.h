// The pool of link lightning animations and their starter.
#pragma once
#include "core/modLinkSearch.h"

class TableClient;

class modManage_ShanDianObject {
public:
    explicit modManage_ShanDianObject(TableClient& client);
    ~modManage_ShanDianObject();
    void InitShanDianObject();
    int GetFreeShanDianObject();
    void ReleaseShanDianObject();
    void StartShanDianAni(const LinkPath& path);

private:
    TableClient& client_;
};
