// The group buttons are not drawn yet. (placeholder until the module is written)
#include "client/items/modPaint_FenZuBut.h"

#include "client/TableClient.h"

modPaint_FenZuBut::modPaint_FenZuBut(TableClient& client) : client_(client) {}
void modPaint_FenZuBut::InitFenZuBut() {}
void modPaint_FenZuBut::ArrangeFenZuBut() {}
void modPaint_FenZuBut::PaintFenZuBut([[maybe_unused]] int group) {}
void modPaint_FenZuBut::ShowFenZuBut([[maybe_unused]] bool blnShow) {}
void modPaint_FenZuBut::RefreshFenZuBut() {}
void modPaint_FenZuBut::picFenZuBut_MouseMove([[maybe_unused]] int group, [[maybe_unused]] int button, [[maybe_unused]] int x, [[maybe_unused]] int y) {}
void modPaint_FenZuBut::picFenZuBut_MouseUp([[maybe_unused]] int group, [[maybe_unused]] int button, [[maybe_unused]] int x, [[maybe_unused]] int y) {}
