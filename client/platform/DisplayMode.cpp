#include "client/platform/DisplayMode.h"

#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

// The full-screen view that shows the scene scaled to the screen.
class DisplayModeHost : public QGraphicsView {
public:
    DisplayModeHost(QGraphicsScene* graphics, QWidget& scene, QRectF area)
        : QGraphicsView(graphics), scene_(scene), area_(area) {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setBackgroundBrush(Qt::black);
        setRenderHint(QPainter::SmoothPixmapTransform);
        setWindowTitle(scene.windowTitle());
        setWindowIcon(scene.windowIcon());
    }

protected:
    // The scene as large as the screen allows with its aspect kept, centred.
    void resizeEvent(QResizeEvent* e) override {
        QGraphicsView::resizeEvent(e);
        const QSize room = viewport()->size();
        const double scale = std::min(room.width() / area_.width(), room.height() / area_.height());
        if (scale <= 0) return;
        setTransform(QTransform::fromScale(scale, scale));
        centerOn(area_.center());
    }
    // Closing the full-screen view closes the scene's window, once this event is over.
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        QWidget* scene = &scene_;
        QTimer::singleShot(0, scene, [scene] { scene->close(); });
    }

private:
    QWidget& scene_;
    QRectF area_;
};

DisplayMode::DisplayMode(QWidget& scene, int sceneWidth, int sceneHeight)
    : scene_(scene), sceneWidth_(sceneWidth), sceneHeight_(sceneHeight) {}

DisplayMode::~DisplayMode() {
    // The window is going away with the program: it only leaves the view.
    if (proxy_) proxy_->setWidget(nullptr);
    delete host_;
}

DisplayMode::Mode DisplayMode::Desktop() const {
    if (desktopGiven_) return desktop_;
    const QScreen* screen = scene_.screen() ? scene_.screen() : QGuiApplication::primaryScreen();
    if (!screen) return {sceneWidth_, sceneHeight_, 32};
    return {screen->geometry().width(), screen->geometry().height(), screen->depth()};
}

QRect DisplayMode::DesktopArea() const {
    if (desktopGiven_) return QRect(0, 0, desktop_.width, desktop_.height);
    const QScreen* screen = scene_.screen() ? scene_.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, sceneWidth_, sceneHeight_);
}

void DisplayMode::SetDesktop(Mode desktop) {
    desktop_ = desktop;
    desktopGiven_ = true;
}

DisplayMode::Mode DisplayMode::Current() const {
    if (host_) return {sceneWidth_, sceneHeight_, switchedBits_ ? switchedBits_ : Desktop().bits};
    return Desktop();
}

bool DisplayMode::Change(std::int32_t width, std::int32_t height, std::int32_t bits) {
    const Mode desktop = Desktop();
    if (width == desktop.width && height == desktop.height) {
        if (host_) Leave();
        return true;
    }
    if (width == sceneWidth_ && height == sceneHeight_) {
        switchedBits_ = bits;
        if (!host_) Enter();
        return true;
    }
    return false;
}

QWidget* DisplayMode::Host() const { return host_; }

void DisplayMode::Enter() {
    const QRectF area(0, 0, sceneWidth_, sceneHeight_);
    QScreen* screen = scene_.screen();
    sceneFlags_ = scene_.windowFlags();
    auto* graphics = new QGraphicsScene(area);
    graphics->setBackgroundBrush(Qt::black);
    host_ = new DisplayModeHost(graphics, scene_, area);
    graphics->setParent(host_);
    proxy_ = graphics->addWidget(&scene_);
    proxy_->setPos(0, 0);
    if (screen) host_->setScreen(screen);
    // The whole screen also where no window manager honours the full-screen request.
    host_->setGeometry(DesktopArea());
    host_->showFullScreen();
    host_->activateWindow();
}

void DisplayMode::Leave() {
    // The window becomes a top-level window of its own again. The view may be the one
    // delivering the click that asked for this, so it goes once that event is over.
    proxy_->setWidget(nullptr);
    proxy_ = nullptr;
    host_->hide();
    host_->deleteLater();
    host_ = nullptr;
    scene_.hide();
    scene_.setAttribute(Qt::WA_DontShowOnScreen, false);
    scene_.setWindowFlags(sceneFlags_);
    scene_.show();
}
