#include "client/platform/EventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {
QElapsedTimer& TickClock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock;
}
}  // namespace

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(TickClock().elapsed()); }

bool ProcessEventsAndCheckEnd(ProgramEnd& client) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (client.blnQuitFlag) {
        if (!client.blnProgramEnded) {
            client.blnProgramEnded = true;
            if (client.EndProgram) client.EndProgram();
        }
        return false;
    }
    return true;
}

bool DelayMilliseconds(ProgramEnd& client, std::int32_t lngTime) {
    const std::uint32_t start = GetTickCount();
    while (static_cast<std::int32_t>(GetTickCount() - start) < lngTime) {
        if (!ProcessEventsAndCheckEnd(client)) return false;
        QThread::msleep(5);
    }
    return ProcessEventsAndCheckEnd(client);
}
