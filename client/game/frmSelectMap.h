// The map choice of the map item: a list of the map titles, a preview of where the
// chosen map lays its tiles (entry 0, the server's free choice, shows a full board with
// a big question mark), and OK / cancel. Shown modally; intSelMapIdx is its answer.
#pragma once
#include <QDialog>
#include <QImage>
#include <array>
#include <cstdint>
#include <string>

#include "core/modGameDefine.h"

class QComboBox;
class QPushButton;
class TableClient;

class frmSelectMap : public QDialog {
    Q_OBJECT
public:
    frmSelectMap(TableClient& client, QWidget* owner);

    // The buttons' captions and the title list from Res\Map\MapTitle.txt; the first
    // entry is chosen and previewed.
    void Form_Load();
    // Chooses list entry `index` and shows its preview; an index outside the list
    // changes nothing.
    void SelectMap(int index);
    // Draws the preview onto the dialog's surface (its inner area).
    void Form_Paint(QImage& surface) const;
    // The dialog as it is drawn now.
    QImage Render() const;

    // The list entry `index` was chosen.
    void cboMapIdx_Click(int index);
    // Reads a map file into the preview and repaints; a faulty file empties it.
    void OpenMapFile(const std::string& strMapFileName);
    // 0 OK: the chosen entry (-1 with none); 1 cancel: -1. Both close the dialog.
    void cmdUser_Click(int index);

    // A preview cell's side: (span / count + 0.5) to the nearest whole pixel, halves to
    // the even one.
    static int CellSize(int span, int count);

    QComboBox* cboMapIdx = nullptr;
    std::array<QPushButton*, 2> cmdUser{};
    TileGridT bytMapData{};          // the preview, non-zero where a tile lies
    bool blnShowQuestion = false;    // entry 0: the question mark over the full board
    std::int16_t intSelMapIdx = -1;  // the answer, -1 when cancelled

    static constexpr int kInnerWidth = 320;
    static constexpr int kListTop = 215;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TableClient& client_;
};
