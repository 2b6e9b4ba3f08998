// What the drawing modules draw on and read: the main window's persistent image, the
// picture controls and scratch buffers they paint through, the animation timers and the
// few states of the window a drawing asks about. The main window is one (it owns every
// control named here); the drawing modules see only this, never the window itself.
#pragma once
#include <QImage>
#include <array>
#include <cstdint>
#include <vector>

class PictureBox;
class QWidget;
class WindowTimer;

class TableCanvas {
public:
    virtual ~TableCanvas() = default;

    // The window's persistent image: everything the drawing modules paint on the window.
    // The drawing calls note the rectangles they change; drawing by other means must call
    // Gdi::Changed for what it changed.
    QImage Image;
    // Shows what changed in the persistent image since the last refresh.
    virtual void Refresh() = 0;
    // The window has unloaded, or is shown as an icon: animations stop drawing.
    virtual bool Unloaded() const = 0;
    virtual bool IsMinimized() const = 0;
    // The window owning the picture controls and timers the drawing modules add.
    virtual QWidget* Owner() = 0;

    // Picture controls and pictures.
    std::array<PictureBox*, 3> picSystemBut{};
    std::array<PictureBox*, 2> picHelpBut{};
    PictureBox* picGameBack = nullptr;
    PictureBox* picTmpBuf = nullptr;
    PictureBox* picScoreTmpBuf = nullptr;
    std::array<PictureBox*, 2> picShanDian{};
    std::vector<PictureBox*> picLianJi;
    QImage imgTmpBuf;
    QImage imgNetBreak;
    std::vector<QImage> imgLianJi;
    // The animation timers; entry 0 drives every running animation.
    std::vector<WindowTimer*> tmrAni;

    std::uint8_t bteWindowMode = 0;  // 0 window mode, 2 full-screen mode
};
