#include "client/platform/ZelTimeBarCtrl.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

ZelTimeBarCtrl::ZelTimeBarCtrl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(kBarHeight);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickInterval);
    connect(&timer_, &QTimer::timeout, this, [this] { tmrTime_Timer(); });
}

void ZelTimeBarCtrl::StartTime(std::int32_t& lngSeconds, std::int32_t lngWarnSeconds) {
    ++lngRunSerial_;
    running_ = true;
    lngTotalSeconds_ = std::clamp<std::int32_t>(lngSeconds, 0, kMaxSeconds);
    lngWarnSeconds_ = std::max<std::int32_t>(lngWarnSeconds, 0);
    lngElapsedMs_ = 0;
    clock_.start();
    timer_.start();
    update();
}

void ZelTimeBarCtrl::StopTime() {
    ++lngRunSerial_;
    running_ = false;
    timer_.stop();
    update();
}

void ZelTimeBarCtrl::tmrTime_Timer() {
    if (!running_) return;
    const qint64 passed = clock_.restart();
    ElapseTime(static_cast<std::int32_t>(std::clamp<qint64>(passed, 0, 3600 * 1000)));
}

void ZelTimeBarCtrl::ElapseTime(std::int32_t lngMilliseconds) {
    if (!running_ || lngMilliseconds < 0) return;
    const std::uint32_t serial = lngRunSerial_;
    const std::int32_t totalMs = lngTotalSeconds_ * 1000;
    const std::int32_t before = lngElapsedMs_;
    lngElapsedMs_ = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t(before) + lngMilliseconds, totalMs));
    update();

    // One warning a second from lngWarnSeconds before the end; every whole second that
    // passed in this step is answered, in order.
    const std::int32_t firstWarn = lngTotalSeconds_ - lngWarnSeconds_;
    for (std::int32_t s = before / 1000 + 1; s <= lngElapsedMs_ / 1000 && s < lngTotalSeconds_; ++s) {
        if (s < firstWarn) continue;
        if (OnTick) OnTick();
        if (serial != lngRunSerial_) return;  // the handler restarted or stopped the bar
    }
    if (lngElapsedMs_ >= totalMs) {
        running_ = false;
        timer_.stop();
        ++lngRunSerial_;
        update();
        if (OnTimeOut) OnTimeOut();
    }
}

double ZelTimeBarCtrl::FractionLeft() const {
    if (!running_ || lngTotalSeconds_ <= 0) return 0.0;
    return 1.0 - double(lngElapsedMs_) / (double(lngTotalSeconds_) * 1000.0);
}

QColor ZelTimeBarCtrl::BarColor(double fractionLeft) {
    const QColor green(40, 200, 60), orange(255, 160, 0), red(230, 30, 30);
    auto mix = [](const QColor& a, const QColor& b, double t) {
        t = std::clamp(t, 0.0, 1.0);
        return QColor(int(std::lround(a.red() + (b.red() - a.red()) * t)),
                      int(std::lround(a.green() + (b.green() - a.green()) * t)),
                      int(std::lround(a.blue() + (b.blue() - a.blue()) * t)));
    };
    if (fractionLeft >= 0.5) return mix(orange, green, (fractionLeft - 0.5) * 2.0);
    return mix(red, orange, fractionLeft * 2.0);
}

void ZelTimeBarCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect();
    p.fillRect(all, QColor(24, 36, 64));
    p.setPen(QColor(90, 110, 150));
    p.drawRect(all.adjusted(0, 0, -1, -1));
    const double left = FractionLeft();
    const int inner = all.width() - 2;
    const int filled = int(std::lround(inner * left));
    if (filled > 0) p.fillRect(1, 1, filled, all.height() - 2, BarColor(left));
}
