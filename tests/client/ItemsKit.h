// A started table for the item bar, the group buttons and the item windows: small
// button sheets, item icons and sounds of its own in the program folder, the mouse on
// the buttons, and the map dialog answered from inside its modal loop.
#pragma once
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <functional>

#include "GameTable.h"
#include "PaintFixtures.h"
#include "client/game/frmSelectMap.h"
#include "client/items/modPaint_DaoJuButton.h"
#include "client/items/modPaint_FenZuBut.h"
#include "client/platform/PictureBox.h"

namespace itemskit {

// The colour of cell (column, row) of the item sheet and the group sheet.
inline QRgb ItemCellColor(int k, int state) { return qRgb(20 + 20 * k, 40 + 60 * state, 90); }
inline QRgb GroupCellColor(int g, int state) { return qRgb(200, 30 + 50 * g, 40 + 70 * state); }
inline constexpr QRgb kIconColor = 0xFF10E0E0u;

inline void WriteItemArt(const std::string& app) {
    paintfix::WriteBmp(app, "Res\\DaoJu\\DjBut.bmp", 9 * 24, 4 * 24,
                       [](int x, int y) { return ItemCellColor(x / 24, y / 24); });
    paintfix::WriteBmp(app, "Res\\FenZuBut.bmp", 4 * 39, 3 * 36,
                       [](int x, int y) { return GroupCellColor(x / 39, y / 36); });
    for (int k = 0; k < 9; ++k)
        paintfix::WriteIcon(app, "Res\\DaoJu\\DjFlag" + std::to_string(k) + ".ico", 32, kIconColor, 4);
}

class ItemTable : public gametable::Table {
public:
    explicit ItemTable(const std::string& localName = "tester") : Table(localName) { WriteItemArt(h.AppFolder()); }

    modPaint_DaoJuButton& bar() { return *c().paintDaoJuButton; }
    modPaint_FenZuBut& groups() { return *c().paintFenZuBut; }
    PictureBox& item(int k) { return *h.Main().picDaoJuBut[k]; }
    PictureBox& group(int g) { return *h.Main().picFenZuBut[g]; }

    // The mouse over item k, pressed and released there with the given button.
    void Hover(int k) { bar().picDaoJuBut_MouseMove(k, 0, 5, 5); }
    void Leave(int k) { bar().picDaoJuBut_MouseMove(k, 0, 30, 5); }
    void Click(int k, int button = 1) {
        Hover(k);
        bar().picDaoJuBut_MouseDown(k, button, 5, 5);
        bar().picDaoJuBut_MouseUp(k, button, 5, 5);
    }
    void ClickGroup(int g, int button = 1) {
        groups().picFenZuBut_MouseMove(g, 0, 5, 5);
        groups().picFenZuBut_MouseUp(g, button, 5, 5);
    }
    // A press on the small board of a seat.
    void PressSeatBoard(int seat) {
        const auto& pos = c().paintFangKuai->BoardPos[game().bteSeatPosNo[seat]];
        c().selectFk->Form_MouseDown(1, pos.lngLeft + 10, pos.lngTop + 10);
    }
};

// Runs `inside` with the map dialog once its modal loop runs; false when no dialog came.
inline bool WithMapDialog(const std::function<void(frmSelectMap&)>& inside, const std::function<void()>& open) {
    bool seen = false;
    QObject guard;  // a dialog that never came leaves no timer behind
    QTimer::singleShot(0, &guard, [&] {
        auto* d = qobject_cast<frmSelectMap*>(QApplication::activeModalWidget());
        if (!d) return;
        seen = true;
        inside(*d);
        if (d->isVisible()) d->reject();
    });
    open();
    return seen;
}

}  // namespace itemskit
