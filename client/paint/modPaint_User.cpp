// Seats are not drawn yet. (placeholder until the module is written)
#include "client/paint/modPaint_User.h"

#include "client/TableClient.h"

modPaint_User::modPaint_User(TableClient& client) : client_(client) {}
void modPaint_User::InitUserPaint() {}
void modPaint_User::PaintUserSeat([[maybe_unused]] int seat) {}
void modPaint_User::PaintUserFenZu([[maybe_unused]] int seat) {}
void modPaint_User::PaintUserFkCount([[maybe_unused]] int seat) {}
void modPaint_User::PaintUserNetBreak([[maybe_unused]] int seat) {}
void modPaint_User::PaintUserHand([[maybe_unused]] int seat) {}
void modPaint_User::PaintUserScore([[maybe_unused]] int seat, [[maybe_unused]] std::uint8_t place, [[maybe_unused]] std::int32_t score) {}
