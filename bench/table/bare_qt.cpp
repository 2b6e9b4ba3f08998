// The baseline of the start-up measurement: the smallest Qt window program that shows a
// line of text, an 800 x 600 window with one label, marked like the table client.
#include <QApplication>
#include <QLabel>

#include "client/platform/FirstFrameMark.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("tilelink"));
    window.resize(800, 600);
    FirstFrameMark::Arm(window);
    window.show();
    return app.exec();
}
