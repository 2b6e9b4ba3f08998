// What items do on the receiving screen: the freeze sign and the blocked selection, the
// black fog, and the compass's hint marks.
#pragma once
#include <cstdint>

#include "core/modLinkSearch.h"

class TableClient;

class modDaoJuEffect {
public:
    explicit modDaoJuEffect(TableClient& client);

    void InitDaoJuEffect();
    void InitNaoZhong();
    void StartJinShou(std::int32_t lngSecond);
    void StartMengYan(std::int32_t lngSecond);
    void tmrJinShou_Timer();
    void tmrMengYan_Timer();
    void EndJinShou();
    void EndMengYan();
    void PaintJinShou();
    void PaintMengYan();
    void PaintZhiNanZhen(CellPos first, CellPos last);

    std::int32_t lngJinShouSecond = 0;
    std::int32_t lngMengYanSecond = 0;

private:
    TableClient& client_;
};
