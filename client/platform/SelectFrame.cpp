#include "client/platform/SelectFrame.h"

#include <QPainter>

SelectFrame::SelectFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void SelectFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = BorderWidth;
    p.fillRect(0, 0, width(), w, BorderColor);
    p.fillRect(0, height() - w, width(), w, BorderColor);
    p.fillRect(0, w, w, height() - 2 * w, BorderColor);
    p.fillRect(width() - w, w, w, height() - 2 * w, BorderColor);
}
