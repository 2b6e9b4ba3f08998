// The pool of item flights, each entry with its own icon picture (frmMain::imgDaoJu of
// the same index), and their starter: the icon flies from the user's seat to the
// target's with a halo and glows there.
#pragma once
#include <array>
#include <cstdint>

#include "client/items/clsAni_DaoJu.h"
#include "client/paint/AniObject.h"

class TableClient;

class modManage_DaoJuObject {
public:
    explicit modManage_DaoJuObject(TableClient& client);
    ~modManage_DaoJuObject();
    void InitDaoJuObject();
    // The lowest idle entry, or a new one with its own icon picture; -1 when the pool is
    // full.
    int GetFreeDaoJuObject();
    void ReleaseDaoJuObject();
    // For an item used on oneself the target is the user.
    void StartDaoJuAni(std::uint8_t bteDaoJuNo, std::uint8_t bteSrcUserNo, std::uint8_t bteDstUserNo);

    struct AniPos {
        std::int32_t x = 0;
        std::int32_t y = 0;
    };
    std::array<AniPos, 6> DaoJuAniPos{};  // the icon's anchor by display position

    AniObjectPool<clsAni_DaoJu> g_DaoJuObj;

    static constexpr int kInterval = 20;

private:
    TableClient& client_;
};
