// The background copy is not filled yet. (placeholder until the module is written)
#include "client/paint/modPaint_GameBack.h"

#include "client/TableClient.h"

modPaint_GameBack::modPaint_GameBack(TableClient& client) : client_(client) {}
void modPaint_GameBack::InitGameBack() {}
