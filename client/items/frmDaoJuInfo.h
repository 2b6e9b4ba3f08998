// The item help window: a table of the nine items with icon, name, function and whom
// each is used on, and, when the table has prices, its free uses, price, tiles needed
// and earning rule; below it how items are used. Drawn from the item catalogue at
// every paint, so it always shows the table's current settings.
#pragma once
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "client/platform/Gdi.h"

class TableClient;

class frmDaoJuInfo : public QWidget {
    Q_OBJECT
public:
    frmDaoJuInfo(TableClient& client, QWidget* owner);

    // The colours and columns, the number of columns shown, the window's size and its
    // place in the middle of the screen.
    void Form_Load();
    // Draws the whole window onto its inner area.
    void Form_Paint(QImage& surface) const;
    QImage Render() const;
    // The text of column c (1..7) in item i's row.
    std::string CellText(int c, int item) const;

    std::int32_t lngCaptionHeight = 0;
    Gdi::ColorRef lngColorBack = 0;
    Gdi::ColorRef lngColorOuterFill = 0;
    Gdi::ColorRef lngColorInnerFill = 0;
    Gdi::ColorRef lngColorHead = 0;
    Gdi::ColorRef lngColorOuterLine = 0;
    Gdi::ColorRef lngColorGrid = 0;
    std::array<std::string, 8> strColTitle{};
    std::array<std::int32_t, 8> lngColWidth{};
    std::int32_t lngLastCol = 3;
    // The window's outer size, frame and title bar included.
    std::int32_t lngOuterWidth = 0;
    std::int32_t lngOuterHeight = 0;

    // The fixed frame's border on each side, as the window system draws it.
    static constexpr int kFrameWidth = 3;
    static constexpr int kFontSize = 9;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int ColLeft(int c) const;
    // x of a text of n characters centred in column c, every character taken as h wide.
    int CentredX(int c, int n, int h) const;
    static void Print(QImage& surface, int x, int y, const std::string& text, Gdi::ColorRef color);

    TableClient& client_;
};
