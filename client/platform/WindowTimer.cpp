#include "client/platform/WindowTimer.h"

WindowTimer::WindowTimer(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (OnTimer) OnTimer();
    });
}

void WindowTimer::SetEnabled(bool on) {
    if (on == timer_.isActive()) return;
    if (on && interval_ > 0) timer_.start(interval_);
    else timer_.stop();
}

void WindowTimer::SetInterval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    if (timer_.isActive()) {
        if (interval_ > 0) timer_.start(interval_);
        else timer_.stop();
    }
}
