// Item effects are not shown yet. (placeholder until the module is written)
#include "client/items/modDaoJuEffect.h"

#include "client/TableClient.h"

modDaoJuEffect::modDaoJuEffect(TableClient& client) : client_(client) {}
void modDaoJuEffect::InitDaoJuEffect() {}
void modDaoJuEffect::InitNaoZhong() {}
void modDaoJuEffect::StartJinShou([[maybe_unused]] std::int32_t lngSecond) {}
void modDaoJuEffect::StartMengYan([[maybe_unused]] std::int32_t lngSecond) {}
void modDaoJuEffect::tmrJinShou_Timer() {}
void modDaoJuEffect::tmrMengYan_Timer() {}
void modDaoJuEffect::EndJinShou() {}
void modDaoJuEffect::EndMengYan() {}
void modDaoJuEffect::PaintJinShou() {}
void modDaoJuEffect::PaintMengYan() {}
void modDaoJuEffect::PaintZhiNanZhen([[maybe_unused]] CellPos first, [[maybe_unused]] CellPos last) {}
