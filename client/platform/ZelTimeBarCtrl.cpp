// The time bar does not count yet (placeholder until the bar is written).
#include "client/platform/ZelTimeBarCtrl.h"

ZelTimeBarCtrl::ZelTimeBarCtrl(QWidget* parent) : QWidget(parent) {}
void ZelTimeBarCtrl::StartTime(std::int32_t&, std::int32_t) { running_ = true; }
void ZelTimeBarCtrl::StopTime() { running_ = false; }
