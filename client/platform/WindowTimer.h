// A window timer as the client's timers are used: enabled or not, an interval in
// milliseconds, a tag text, and one tick handler; ticks arrive on the window thread.
#pragma once
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

class WindowTimer : public QObject {
    Q_OBJECT
public:
    explicit WindowTimer(QObject* parent = nullptr);

    bool Enabled() const { return timer_.isActive(); }
    void SetEnabled(bool on);
    int Interval() const { return interval_; }
    // Changing the interval of a running timer restarts its count, as window timers do.
    void SetInterval(int ms);

    std::string Tag;
    std::function<void()> OnTimer;

private:
    QTimer timer_;
    int interval_ = 0;
};
