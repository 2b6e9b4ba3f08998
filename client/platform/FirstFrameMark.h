// Start-up measurement: when the environment variable TILELINK_FIRST_FRAME is set, a
// program writes the line "first-frame" on its standard output once its window has been
// painted and handed to the window system for the first time, so that whoever started it
// can time the start-up from the outside. Header only, so that a bare Qt program can use
// it without linking anything else of the client.
#pragma once
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

class FirstFrameMark : public QObject {
public:
    // Watches the window when the environment asks for the mark; nothing otherwise.
    static void Arm(QWidget& window) {
        if (!std::getenv("TILELINK_FIRST_FRAME")) return;
        window.installEventFilter(new FirstFrameMark(&window));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && !marked_) {
            marked_ = true;
            // The paint runs after this filter and the window system gets the frame right
            // after the paint: the mark goes out once that event is over.
            QTimer::singleShot(0, this, [this] {
                std::fputs("first-frame\n", stdout);
                std::fflush(stdout);
                parent()->removeEventFilter(this);
            });
        }
        return QObject::eventFilter(watched, e);
    }

private:
    explicit FirstFrameMark(QObject* parent) : QObject(parent) {}
    bool marked_ = false;
};
