// The item bar is not drawn yet. (placeholder until the module is written)
#include "client/items/modPaint_DaoJuButton.h"

#include "client/TableClient.h"

modPaint_DaoJuButton::modPaint_DaoJuButton(TableClient& client) : client_(client) {}
void modPaint_DaoJuButton::InitDaoJuButton() {}
void modPaint_DaoJuButton::ArrangeDaoJuButton() {}
void modPaint_DaoJuButton::PaintDaoJuButton([[maybe_unused]] int index) {}
void modPaint_DaoJuButton::ShowDaoJuButton([[maybe_unused]] bool blnShow) {}
void modPaint_DaoJuButton::RefreshDaoJuButton() {}
void modPaint_DaoJuButton::SetDaoJuButtonState([[maybe_unused]] bool blnGameStopped) {}
void modPaint_DaoJuButton::SendItemToUser([[maybe_unused]] std::uint8_t bteDaoJuNo, [[maybe_unused]] std::uint8_t bteDstUserNo) {}
void modPaint_DaoJuButton::picDaoJuBut_MouseMove([[maybe_unused]] int index, [[maybe_unused]] int button, [[maybe_unused]] int x, [[maybe_unused]] int y) {}
void modPaint_DaoJuButton::picDaoJuBut_MouseDown([[maybe_unused]] int index, [[maybe_unused]] int button, [[maybe_unused]] int x, [[maybe_unused]] int y) {}
void modPaint_DaoJuButton::picDaoJuBut_MouseUp([[maybe_unused]] int index, [[maybe_unused]] int button, [[maybe_unused]] int x, [[maybe_unused]] int y) {}
