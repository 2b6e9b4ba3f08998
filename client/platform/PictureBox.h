// A picture area: a child control with a persistent image it shows, a tag text that
// picture buttons keep their state in, mouse events with the button and the position in
// pixels of the control, and mouse capture.
#pragma once
#include <QImage>
#include <QWidget>
#include <functional>
#include <string>

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // The persistent image; drawing goes here and shows at the next refresh.
    QImage Image;
    // When false, drawing into Image is not kept on screen by refreshes of others; the
    // control still shows its image on Refresh.
    bool AutoRedraw = true;
    std::string Tag;

    // Moves and sizes the control; the image is resized to match, keeping its pixels.
    void Place(int left, int top, int width, int height);
    // Moves and sizes the control like Place and shows the top-left width x height of the
    // picture in it, on the background colour where the picture is smaller. An opaque
    // picture covering the whole area is shown from its own pixels: the image becomes a
    // copy of its own only once something draws on it.
    void PlacePicture(int left, int top, int width, int height, const QImage& picture);
    // Clears the image to the background colour.
    void Cls();
    // Shows the current image now (asked during the control's own paint, it is a no-op:
    // the image is being shown already).
    void Refresh();
    QColor BackColor = QColor(0, 0, 0);

    // The control's own area, edges included (0 <= x <= width, 0 <= y <= height).
    bool Contains(int x, int y) const { return x >= 0 && x <= width() && y >= 0 && y <= height(); }

    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const { return captured_; }

    // Mouse events: button (1 left, 2 right, 4 middle), x, y in control pixels.
    std::function<void(int, int, int)> OnMouseDown;
    std::function<void(int, int, int)> OnMouseMove;
    std::function<void(int, int, int)> OnMouseUp;
    // Runs before the control shows its image; it may draw into Image, nothing else.
    std::function<void()> OnPaint;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void leaveEvent(QEvent*) override;
    void hideEvent(QHideEvent*) override;

private:
    // Gives the pointer back now if a capture released during a press kept it.
    void FinishPendingUngrab();

    bool captured_ = false;
    bool ungrabPending_ = false;  // released while a mouse button was down
    bool painting_ = false;
};

// Mouse button code of a Qt button, as the mouse events pass it.
int MouseButtonCode(Qt::MouseButton b);
