// The item bar's tooltip: a small window on top of the main window's other controls
// holding one label with the name (and the price) of the item under the mouse. It keeps
// its size; only the label's text changes, and it waits off the window while unused.
#pragma once
#include <QWidget>
#include <string>

class QLabel;

class frmDaoJuToolTip : public QWidget {
    Q_OBJECT
public:
    explicit frmDaoJuToolTip(QWidget* mainWindow);

    // Takes the label's size, goes on top of the main window's controls and puts the
    // label at (0, 0).
    void Form_Load();

    void SetNote(const std::string& text);
    std::string Note() const;

    QLabel* labNote = nullptr;

    // The label's designed size in pixels.
    static constexpr int kNoteWidth = 96;
    static constexpr int kNoteHeight = 18;
    // Where the tooltip waits: x -3000, y -2000 in twips (15 a pixel).
    static constexpr int kAwayLeft = -3000 / 15;
    static constexpr int kAwayTop = -2000 / 15;
};
