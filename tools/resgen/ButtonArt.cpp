#include "tools/resgen/ButtonArt.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

#include "tools/resgen/ArtStyle.h"
#include "tools/resgen/TableLayout.h"

namespace ButtonArt {

namespace {

using namespace ArtStyle;
namespace L = TableLayout;

void SystemGlyph(QPainter& p, const QRectF& c, int picture, const QColor& ink) {
    p.save();
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const qreal l = c.left() + 6, t = c.top() + 6, r = c.right() - 6, b = c.bottom() - 6;
    switch (picture) {
        case 0:  // minimise
            p.drawLine(QPointF(l, b - 0.5), QPointF(r, b - 0.5));
            break;
        case 1:  // full screen: four corners pointing outwards
            p.drawPolyline(QPolygonF({QPointF(l, t + 3.5), QPointF(l, t), QPointF(l + 3.5, t)}));
            p.drawPolyline(QPolygonF({QPointF(r - 3.5, t), QPointF(r, t), QPointF(r, t + 3.5)}));
            p.drawPolyline(QPolygonF({QPointF(l, b - 3.5), QPointF(l, b), QPointF(l + 3.5, b)}));
            p.drawPolyline(QPolygonF({QPointF(r - 3.5, b), QPointF(r, b), QPointF(r, b - 3.5)}));
            break;
        case 2:  // back to window: two overlapping windows
            p.drawRect(QRectF(l, t + 3, 6, 6));
            p.drawPolyline(QPolygonF(
                {QPointF(l + 3, t + 3), QPointF(l + 3, t), QPointF(r, t), QPointF(r, t + 6), QPointF(l + 6, t + 6)}));
            break;
        default:  // close
            p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(l, t), QPointF(r, b));
            p.drawLine(QPointF(r, t), QPointF(l, b));
            break;
    }
    p.restore();
}

}  // namespace

QImage HelpBut(const QImage& gameBack) {
    QImage sheet = NewCanvas(59 * 4, 23);
    QPainter p;
    BeginPaint(p, sheet);
    const char* labels[2] = {"道具说明", "游戏设置"};
    for (int i = 0; i < 2; ++i) {
        const QImage under = gameBack.copy(L::kHelpButton[i]);
        for (int s = 0; s < 2; ++s) {
            const QRectF cell((2 * i + s) * 59, 0, 59, 23);
            p.drawImage(cell.topLeft(), under);
            const QRectF plate = cell.adjusted(1, 1, -1, -1);
            Plate(p, plate, s == 0 ? kNavyMid : kGold, 5);
            p.setPen(QPen(s == 0 ? kGold : kGoldLight, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(plate, 5, 5);
            p.setFont(Font(12, true));
            p.setPen(s == 0 ? kGoldLight : kNavyDeep);
            p.drawText(cell, Qt::AlignCenter, QString::fromUtf8(labels[i]));
        }
    }
    p.end();
    return sheet.convertToFormat(QImage::Format_RGB32);
}

QImage SystemBut(const QImage& gameBack) {
    QImage sheet = NewCanvas(21 * 8, 21);
    QPainter p;
    BeginPaint(p, sheet);
    const QImage under = gameBack.copy(L::kSystemButton[0]);
    for (int picture = 0; picture < 4; ++picture) {
        for (int s = 0; s < 2; ++s) {
            const QRectF cell((2 * picture + s) * 21, 0, 21, 21);
            p.drawImage(cell.topLeft(), under);
            QColor base = s == 0 ? kNavyMid : kNavyLight.lighter(120);
            if (picture == 3 && s == 1) base = QColor(210, 60, 56);
            const QRectF plate = cell.adjusted(0.5, 0.5, -0.5, -0.5);
            Plate(p, plate, base, 4);
            p.setPen(QPen(s == 0 ? kGoldDark : kGoldLight, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(plate, 4, 4);
            SystemGlyph(p, cell, picture, s == 0 ? kCaptionText : QColor(255, 255, 255));
        }
    }
    p.end();
    return sheet.convertToFormat(QImage::Format_RGB32);
}

QImage FenZuBut(const QImage& gameBack) {
    QImage sheet = NewCanvas(39 * 4, 36 * 3);
    QPainter p;
    BeginPaint(p, sheet);
    for (int g = 0; g < 4; ++g) {
        const QImage under = gameBack.copy(L::kGroupButton[g].x(), L::kGroupButton[g].y(), 39, 36);
        for (int s = 0; s < 3; ++s) {
            const QRectF cell(39 * g, 36 * s, 39, 36);
            p.drawImage(cell.topLeft(), under);
            const QColor colour = GroupColour(g);
            const QRectF plate = cell.adjusted(1.5, 1.5, -1.5, -1.5);
            if (s == 2) {
                // Selected: pressed in, with a thick gold ring and a tick in the corner.
                Well(p, plate, colour.darker(150), 6);
                p.setPen(QPen(kGoldLight, 2.2));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(plate, 6, 6);
            } else {
                Plate(p, plate, s == 1 ? colour.lighter(118) : colour, 6);
                p.setPen(QPen(s == 1 ? kGoldLight : kGoldDark, s == 1 ? 1.6 : 1.0));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(plate, 6, 6);
            }
            const QRectF textBox = s == 2 ? cell.translated(1, 1) : cell;
            const QColor fill = s == 2 ? QColor(255, 255, 255) : kNavyDeep;
            const QColor ring = s == 2 ? colour.darker(260) : colour.lighter(130);
            OutlinedText(p, textBox.adjusted(0, 0, 0, -2), GroupName(g), Font(g == 0 ? 11 : 15, true), fill, ring, 1.0);
            if (s == 2) {
                p.setPen(QPen(kGoldLight, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.drawPolyline(QPolygonF({QPointF(cell.right() - 12, cell.bottom() - 9),
                                          QPointF(cell.right() - 9, cell.bottom() - 6),
                                          QPointF(cell.right() - 4.5, cell.bottom() - 12)}));
            }
        }
    }
    p.end();
    return sheet.convertToFormat(QImage::Format_RGB32);
}

}  // namespace ButtonArt
