// The pool of item flights and their starter: the icon flies from the user's seat to
// the target's with a halo and glows there.
#pragma once
#include <cstdint>

class TableClient;

class modManage_DaoJuObject {
public:
    explicit modManage_DaoJuObject(TableClient& client);
    ~modManage_DaoJuObject();
    void InitDaoJuObject();
    int GetFreeDaoJuObject();
    void ReleaseDaoJuObject();
    void StartDaoJuAni(std::uint8_t bteDaoJuNo, std::uint8_t bteSrcUserNo, std::uint8_t bteDstUserNo);

private:
    TableClient& client_;
};
