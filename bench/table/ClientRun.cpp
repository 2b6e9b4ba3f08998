#include "bench/table/ClientRun.h"

#include <sys/resource.h>

#include <QApplication>
#include <QPaintEvent>
#include <QTimer>
#include <cstdio>
#include <sstream>

#include "client/TableClient.h"
#include "client/platform/ZelSckClientMain.h"
#include "client/start/frmMain.h"
#include "client/start/modStart.h"
#include "core/LaunchArgs.h"
#include "core/LaunchMarker.h"
#include "core/modGameMsgDefine.h"
#include "core/modRoomMsgDefine.h"

namespace {

double CpuMs() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(use.ru_utime) + ms(use.ru_stime);
}

double WallMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Counts every widget's repaints: events and the pixels of their regions, and apart the
// main window's own.
class PaintMeter : public QObject {
public:
    explicit PaintMeter(const QWidget* const& window) : window_(window) {}
    std::uint64_t pixels = 0, paints = 0, windowPixels = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            std::uint64_t area = 0;
            for (const QRect& r : static_cast<QPaintEvent*>(e)->region()) area += std::uint64_t(r.width()) * r.height();
            pixels += area;
            ++paints;
            if (watched == window_) windowPixels += area;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    const QWidget* const& window_;
};

// The counters at one moment.
struct Mark {
    double cpuMs, wallMs;
    std::uint64_t pixels, paints, windowPixels, messages;
};

Stretch Between(const Mark& a, const Mark& b) {
    return {b.cpuMs - a.cpuMs,
            b.wallMs - a.wallMs,
            b.pixels - a.pixels,
            b.paints - a.paints,
            b.windowPixels - a.windowPixels,
            b.messages - a.messages};
}

}  // namespace

std::string FormatRunResult(const ClientRunResult& r) {
    std::ostringstream out;
    out << "measured";
    for (const Stretch* s : {&r.idle, &r.game})
        out << ' ' << s->cpuMs << ' ' << s->wallMs << ' ' << s->pixels << ' ' << s->paints << ' ' << s->windowPixels
            << ' ' << s->messages;
    return out.str();
}

bool ParseRunResult(const std::string& line, ClientRunResult& r) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word != "measured") return false;
    for (Stretch* s : {&r.idle, &r.game})
        if (!(in >> s->cpuMs >> s->wallMs >> s->pixels >> s->paints >> s->windowPixels >> s->messages)) return false;
    return true;
}

int RunMeasuredClient(int argc, char** argv, const ClientRunPlan& plan) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TableClient client;
    int status = 1;
    client.EndProgram = [] { QCoreApplication::exit(1); };  // the connection went before the end

    const QWidget* window = nullptr;
    PaintMeter meter(window);
    app.installEventFilter(&meter);
    std::uint64_t messages = 0;
    auto mark = [&] { return Mark{CpuMs(), WallMs(), meter.pixels, meter.paints, meter.windowPixels, messages}; };

    const std::string commandLine =
        std::string(LaunchMarker::kText) + " 127.0.0.1 " + std::to_string(plan.port) +
        " tilelink 长工_100`短工_200`佃农_500`贫农_1000`中农_2000`富农_4000`地主_8000`恶霸_12000"
        " 0 0 tester 1";
    if (!client.start->Main(LaunchArgs::GetCommandLineArgs(commandLine), plan.programFile)) return 1;
    window = client.mainForm.get();

    // The stretches begin and end at fixed times after the messages that open them: the
    // login's answer (the identity) and the game's start.
    ClientRunResult result;
    Mark idleStart{}, gameStart{};
    bool seated = false, started = false;
    auto& socket = *client.mainForm->ZelSckClient;
    auto deliver = socket.OnDataArrival;
    socket.OnDataArrival = [&, deliver](const Bytes& m) {
        ++messages;
        if (!seated && m.size() >= 2 && m[0] == modRoomMsgDefine::ROOMMSG_TABLE && m[1] == 3) {
            seated = true;
            QTimer::singleShot(plan.idleAfter, &app, [&] { idleStart = mark(); });
            QTimer::singleShot(plan.idleAfter + plan.idle, &app, [&] { result.idle = Between(idleStart, mark()); });
        }
        if (!started && !m.empty() && m[0] == modGameMsgDefine::GAMEMSG_START) {
            started = true;
            QTimer::singleShot(plan.gameAfter, &app, [&] { gameStart = mark(); });
            QTimer::singleShot(plan.gameAfter + plan.game, &app, [&] {
                result.game = Between(gameStart, mark());
                status = 0;
                QCoreApplication::exit(0);
            });
        }
        deliver(m);
    };
    const int loop = app.exec();
    if (status == 0 && loop == 0) {
        std::printf("%s\n", FormatRunResult(result).c_str());
        std::fflush(stdout);
    }
    client.EndProgram = [] {};
    return status;
}
