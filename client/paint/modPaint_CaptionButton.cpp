// Caption buttons are not drawn yet. (placeholder until the module is written)
#include "client/paint/modPaint_CaptionButton.h"

#include "client/TableClient.h"

modPaint_CaptionButton::modPaint_CaptionButton(TableClient& client) : client_(client) {}
void modPaint_CaptionButton::InitCaptionButton() {}
void modPaint_CaptionButton::LayoutCaptionButton() {}
void modPaint_CaptionButton::PaintHelpButton([[maybe_unused]] int index) {}
void modPaint_CaptionButton::PaintSystemButton([[maybe_unused]] int index) {}
