// The turn clock bar: a slim bar that empties over the given seconds, green while there
// is time, orange, then red; in its last seconds it raises one warning OnTick a second,
// and OnTimeOut when the time has run out without StopTime.
#pragma once
#include <QColor>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

class ZelTimeBarCtrl : public QWidget {
    Q_OBJECT
public:
    explicit ZelTimeBarCtrl(QWidget* parent = nullptr);

    // Starts counting down lngSeconds; lngWarnSeconds is how long before the end the
    // warning ticks begin (one OnTick a second from then until the end). A count that
    // runs restarts from the new seconds.
    void StartTime(std::int32_t& lngSeconds, std::int32_t lngWarnSeconds);
    void StopTime();
    bool Running() const { return running_; }

    // Lets lngMilliseconds of the count pass: the bar's own timer calls it with the time
    // that really went by; tests call it directly instead of waiting.
    void ElapseTime(std::int32_t lngMilliseconds);
    // The bar's own timer tick.
    void tmrTime_Timer();

    std::int32_t TotalSeconds() const { return lngTotalSeconds_; }
    std::int32_t ElapsedMilliseconds() const { return lngElapsedMs_; }
    // Share of the time still left, 0..1 (0 while the bar does not run).
    double FractionLeft() const;
    // The colour of the filled part for a share of time left.
    static QColor BarColor(double fractionLeft);

    std::function<void()> OnTimeOut;
    std::function<void()> OnTick;

    static constexpr int kTickInterval = 100;  // milliseconds between the bar's own ticks
    static constexpr int kBarHeight = 10;
    static constexpr std::int32_t kMaxSeconds = 2000000;  // longer counts are cut to this

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QTimer timer_;
    QElapsedTimer clock_;
    bool running_ = false;
    std::int32_t lngTotalSeconds_ = 0;
    std::int32_t lngWarnSeconds_ = 0;
    std::int32_t lngElapsedMs_ = 0;
    // Counts starts and stops, so that a handler that restarts or stops the bar from
    // inside OnTick or OnTimeOut ends the running count at once.
    std::uint32_t lngRunSerial_ = 0;
};
