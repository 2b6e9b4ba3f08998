// The display the table window is shown on. The desktop keeps its own resolution; the
// one mode the program switches to, 800 x 600, shows the window's 800 x 600 scene over
// the whole screen instead, scaled up with its aspect kept (black bars where the shapes
// differ), and mouse and keys still reach the scene. Switching back to the desktop's
// own resolution shows the window as a window again. Any other resolution is refused.
#pragma once
#include <QRect>
#include <Qt>
#include <cstdint>

class QWidget;
class QGraphicsProxyWidget;
class DisplayModeHost;

class DisplayMode {
public:
    struct Mode {
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t bits = 0;
    };

    // scene: the top-level window of the given size that full-screen play shows.
    DisplayMode(QWidget& scene, int sceneWidth, int sceneHeight);
    ~DisplayMode();
    DisplayMode(const DisplayMode&) = delete;
    DisplayMode& operator=(const DisplayMode&) = delete;

    // The mode as the program sees it: the scene's size while switched, else the desktop.
    Mode Current() const;
    // Switches to width x height (bits 0: keep the depth). False when refused.
    bool Change(std::int32_t width, std::int32_t height, std::int32_t bits);
    bool Switched() const { return host_ != nullptr; }

    // The desktop's own mode and area: the screen's, unless a desktop was given.
    Mode Desktop() const;
    QRect DesktopArea() const;
    // Works over a desktop of this size instead of the screen's (tests; a multi-screen
    // setup choosing its screen).
    void SetDesktop(Mode desktop);

    // The full-screen view while switched, else nullptr.
    QWidget* Host() const;

private:
    void Enter();
    void Leave();

    QWidget& scene_;
    int sceneWidth_;
    int sceneHeight_;
    bool desktopGiven_ = false;
    Mode desktop_{};
    std::int32_t switchedBits_ = 0;
    Qt::WindowFlags sceneFlags_;
    // The view owns its scene, which owns the proxy that holds the window.
    DisplayModeHost* host_ = nullptr;
    QGraphicsProxyWidget* proxy_ = nullptr;
};
