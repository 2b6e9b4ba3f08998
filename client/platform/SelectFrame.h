// A rectangle frame drawn over the main window (the tile selection mark). It lets mouse
// presses through to the window below.
#pragma once
#include <QColor>
#include <QWidget>

class SelectFrame : public QWidget {
    Q_OBJECT
public:
    explicit SelectFrame(QWidget* parent = nullptr);
    int BorderWidth = 3;
    QColor BorderColor = QColor(255, 40, 40);

protected:
    void paintEvent(QPaintEvent*) override;
};
