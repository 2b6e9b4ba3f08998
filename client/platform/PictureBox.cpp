#include "client/platform/PictureBox.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "client/platform/Gdi.h"

int MouseButtonCode(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    Image = QImage(1, 1, QImage::Format_RGB32);
    Image.fill(BackColor);
}

void PictureBox::Place(int left, int top, int width, int height) {
    setGeometry(left, top, width, height);
    if (Image.width() != width || Image.height() != height) {
        QImage next(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
        next.fill(BackColor);
        QPainter p(&next);
        p.drawImage(0, 0, Image);
        Image = next;
    }
}

void PictureBox::PlacePicture(int left, int top, int width, int height, const QImage& picture) {
    if (picture.format() == QImage::Format_RGB32 && width > 0 && height > 0 && picture.width() >= width &&
        picture.height() >= height) {
        // The view holds a reference to the picture's pixels until the last image made
        // from it is gone.
        auto* keep = new QImage(picture);
        Image = QImage(
            keep->constBits(), width, height, keep->bytesPerLine(), keep->format(),
            [](void* held) { delete static_cast<QImage*>(held); }, keep);
        setGeometry(left, top, width, height);
        return;
    }
    Place(left, top, width, height);
    Cls();
    if (!picture.isNull()) Gdi::BitBlt(Image, 0, 0, width, height, picture, 0, 0, Gdi::SRCCOPY);
}

void PictureBox::resizeEvent(QResizeEvent*) {
    if (Image.width() != width() || Image.height() != height()) Place(x(), y(), width(), height());
}

void PictureBox::Cls() { Image.fill(BackColor); }

void PictureBox::Refresh() {
    if (!painting_) update();
}

void PictureBox::SetCapture() {
    if (captured_) return;
    captured_ = true;
    ungrabPending_ = false;
    grabMouse();
}

void PictureBox::ReleaseCapture() {
    if (!captured_) return;
    captured_ = false;
    // Giving the pointer back while a mouse button is down would also end the window
    // system's hold of that press: its release, outside the window, would reach no one
    // and the toolkit would go on sending every move to this control. The pointer goes
    // back with the release instead; until then the control takes the moves as outside.
    if (QGuiApplication::mouseButtons() != Qt::NoButton) {
        ungrabPending_ = true;
        return;
    }
    releaseMouse();
}

void PictureBox::FinishPendingUngrab() {
    if (!ungrabPending_ || captured_) return;
    ungrabPending_ = false;
    releaseMouse();
}

void PictureBox::paintEvent(QPaintEvent*) {
    painting_ = true;
    if (OnPaint) OnPaint();  // the handler draws into Image only
    painting_ = false;
    QPainter p(this);
    p.drawImage(0, 0, Image);
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    if (OnMouseDown) OnMouseDown(MouseButtonCode(e->button()), int(e->position().x()), int(e->position().y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* e) {
    if (OnMouseMove) OnMouseMove(MouseButtonCode(e->button()), int(e->position().x()), int(e->position().y()));
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    if (OnMouseUp) OnMouseUp(MouseButtonCode(e->button()), int(e->position().x()), int(e->position().y()));
    if (e->buttons() == Qt::NoButton) FinishPendingUngrab();
}

void PictureBox::hideEvent(QHideEvent*) { FinishPendingUngrab(); }

void PictureBox::leaveEvent(QEvent*) {
    // Where the window system gives no pointer grab, leaving the control while it holds
    // the capture still reads as a move outside it.
    if (captured_ && OnMouseMove) OnMouseMove(0, -1, -1);
}
