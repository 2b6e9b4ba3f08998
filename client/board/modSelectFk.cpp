// Tile selection does not work yet. (placeholder until the module is written)
#include "client/board/modSelectFk.h"

#include "client/TableClient.h"

modSelectFk::modSelectFk(TableClient& client) : client_(client) {}
void modSelectFk::Form_MouseDown([[maybe_unused]] int button, [[maybe_unused]] int x, [[maybe_unused]] int y) {}
bool modSelectFk::HitTestBoard([[maybe_unused]] int x, [[maybe_unused]] int y, [[maybe_unused]] std::int32_t& row, [[maybe_unused]] std::int32_t& col) const { return false; }
int modSelectFk::HitTestSeatBoard([[maybe_unused]] int x, [[maybe_unused]] int y) const { return 99; }
void modSelectFk::ShowSelectFlag([[maybe_unused]] std::int32_t row, [[maybe_unused]] std::int32_t col) {}
void modSelectFk::ClearSelection() {}
void modSelectFk::StartDelFkAni([[maybe_unused]] const LinkPath& path) {}
