// The turn clock bar: empties over the given seconds, warns in its last seconds
// (OnTick) and raises OnTimeOut when the time has run out without StopTime.
#pragma once
#include <QWidget>
#include <functional>

class ZelTimeBarCtrl : public QWidget {
    Q_OBJECT
public:
    explicit ZelTimeBarCtrl(QWidget* parent = nullptr);

    // Starts counting down lngSeconds; lngWarnSeconds is how long before the end the
    // warning ticks begin.
    void StartTime(std::int32_t& lngSeconds, std::int32_t lngWarnSeconds);
    void StopTime();
    bool Running() const { return running_; }

    std::function<void()> OnTimeOut;
    std::function<void()> OnTick;

private:
    bool running_ = false;
};
