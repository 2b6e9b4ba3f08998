#include "tools/resgen/ResultArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "tools/resgen/ArtStyle.h"

namespace ResultArt {

namespace {

using namespace ArtStyle;

struct MedalColours {
    QColor ribbon;
    QColor light;
    QColor dark;
};

MedalColours MedalOf(int place) {
    switch (place) {
        case 1:
            return {QColor(210, 50, 50), QColor(255, 236, 140), QColor(196, 140, 30)};
        case 2:
            return {QColor(50, 100, 200), QColor(240, 244, 250), QColor(140, 150, 168)};
        case 3:
            return {QColor(40, 150, 90), QColor(240, 190, 140), QColor(156, 90, 40)};
        default:
            return {QColor(110, 110, 150), QColor(150, 196, 250), QColor(44, 84, 160)};
    }
}

void Medal(QPainter& p, const QRectF& cell, int place) {
    const MedalColours c = MedalOf(place);
    const qreal cx = cell.center().x();
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c.ribbon);
    p.drawPolygon(QPolygonF({QPointF(cx - 15, cell.top() + 2), QPointF(cx - 6, cell.top() + 2),
                             QPointF(cx + 4, cell.top() + 22), QPointF(cx - 5, cell.top() + 22)}));
    p.setBrush(c.ribbon.darker(125));
    p.drawPolygon(QPolygonF({QPointF(cx + 15, cell.top() + 2), QPointF(cx + 6, cell.top() + 2),
                             QPointF(cx - 4, cell.top() + 22), QPointF(cx + 5, cell.top() + 22)}));
    const QPointF centre(cx, cell.top() + 31);
    QRadialGradient g(centre - QPointF(5, 5), 22);
    g.setColorAt(0.0, c.light);
    g.setColorAt(1.0, c.dark);
    p.setBrush(g);
    p.drawEllipse(centre, 15.5, 15.5);
    p.setPen(QPen(c.dark.darker(130), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 12, 12);
    OutlinedText(p, QRectF(centre.x() - 12, centre.y() - 12, 24, 24), QString::number(place), Font(20, true),
                 QColor(255, 255, 255), c.dark.darker(170), 1.5);
}

// A hanging pennant on a gold rod with a swallowtail; `cloth` its colour.
void Pennant(QPainter& p, const QColor& cloth) {
    QPainterPath banner(QPointF(22, 16));
    banner.lineTo(172, 16);
    banner.lineTo(172, 222);
    banner.lineTo(97, 186);
    banner.lineTo(22, 222);
    banner.closeSubpath();
    QLinearGradient g(22, 0, 172, 0);
    g.setColorAt(0.0, cloth.darker(130));
    g.setColorAt(0.45, cloth.lighter(110));
    g.setColorAt(1.0, cloth.darker(140));
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(banner);
    QPainterPath trim(QPointF(32, 16));
    trim.lineTo(32, 204);
    trim.lineTo(97, 174);
    trim.lineTo(162, 204);
    trim.lineTo(162, 16);
    p.setPen(QPen(kGold, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trim);
    QLinearGradient rod(0, 6, 0, 18);
    rod.setColorAt(0.0, kGoldLight);
    rod.setColorAt(1.0, kGoldDark);
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(rod);
    p.drawRoundedRect(QRectF(10, 8, 174, 10), 5, 5);
    p.drawEllipse(QPointF(10, 13), 8, 8);
    p.drawEllipse(QPointF(184, 13), 8, 8);
}

void Trophy(QPainter& p) {
    QLinearGradient gold(60, 0, 134, 0);
    gold.setColorAt(0.0, kGoldDark);
    gold.setColorAt(0.4, kGoldLight);
    gold.setColorAt(1.0, kGoldDark);
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGoldDark, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(50, 66, 30, 34), 90 * 16, 180 * 16);
    p.drawArc(QRectF(114, 66, 30, 34), -90 * 16, 180 * 16);
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(gold);
    QPainterPath cup(QPointF(62, 60));
    cup.lineTo(132, 60);
    cup.cubicTo(132, 104, 114, 118, 97, 120);
    cup.cubicTo(80, 118, 62, 104, 62, 60);
    p.drawPath(cup);
    p.drawRect(QRectF(91, 120, 12, 14));
    p.drawRoundedRect(QRectF(74, 134, 46, 10), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(74, 68), QPointF(78, 98));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(255, 246, 200));
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? 12 : 5;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        const QPointF pt(97 + r * std::cos(a), 84 + r * std::sin(a));
        if (i == 0) star.moveTo(pt);
        else star.lineTo(pt);
    }
    star.closeSubpath();
    p.drawPath(star);
}

void RainCloud(QPainter& p) {
    QPainterPath cloud;
    cloud.addEllipse(QPointF(78, 92), 22, 18);
    cloud.addEllipse(QPointF(104, 80), 26, 24);
    cloud.addEllipse(QPointF(126, 96), 18, 15);
    cloud.addRoundedRect(QRectF(58, 92, 86, 20), 10, 10);
    p.setPen(QPen(kInk, 2));
    QLinearGradient g(0, 56, 0, 112);
    g.setColorAt(0.0, QColor(236, 240, 248));
    g.setColorAt(1.0, QColor(160, 172, 196));
    p.setBrush(g);
    cloud.setFillRule(Qt::WindingFill);
    p.drawPath(cloud.simplified());
    p.setPen(QPen(QColor(120, 170, 240), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const qreal x = 74 + i * 16;
        p.drawLine(QPointF(x, 122), QPointF(x - 5, 138));
    }
}

QImage Flag(bool win) {
    QImage image = NewCanvas(194, 234);
    QPainter p;
    BeginPaint(p, image);
    Pennant(p, win ? QColor(196, 40, 44) : QColor(80, 96, 128));
    if (win) Trophy(p);
    else RainCloud(p);
    OutlinedText(p, QRectF(22, 144, 150, 40), QString::fromUtf8(win ? "胜利" : "失败"), Font(36, true),
                 win ? kGoldLight : QColor(226, 232, 244), kInk, 2.5);
    p.end();
    return FlattenOnKey(image, kKeyWhite);
}

}  // namespace

QImage ScoreSort() {
    QImage image = NewCanvas(41 * 6, 48);
    QPainter p;
    BeginPaint(p, image);
    for (int place = 1; place <= 6; ++place) Medal(p, QRectF((place - 1) * 41, 0, 41, 48), place);
    p.end();
    return FlattenOnKey(image, kKeyBlack);
}

QImage ScorePalard() {
    QImage image = NewCanvas(101, 42);
    QPainter p;
    BeginPaint(p, image);
    const QRectF plate(2.5, 2.5, 96, 37);
    Plate(p, plate, kNavyMid, 8);
    p.setPen(QPen(kGold, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(plate, 8, 8);
    p.setPen(QPen(kGoldDark, 1));
    p.drawRoundedRect(plate.adjusted(3, 3, -3, -3), 5, 5);
    Well(p, QRectF(56, 9, 38, 24), kNavyDeep, 4);
    OutlinedText(p, QRectF(6, 6, 48, 30), QStringLiteral("得分"), Font(16, true), kGoldLight, kNavyDeep, 1);
    p.end();
    return FlattenOnKey(image, kKeyPlacard);
}

QImage WinFlag() { return Flag(true); }

QImage FailFlag() { return Flag(false); }

QImage TimeEnd() {
    QImage image = NewCanvas(190, 55);
    QPainter p;
    BeginPaint(p, image);
    QPainterPath ribbon(QPointF(2, 14));
    ribbon.lineTo(22, 14);
    ribbon.lineTo(22, 50);
    ribbon.lineTo(2, 50);
    ribbon.lineTo(10, 32);
    ribbon.closeSubpath();
    ribbon.moveTo(188, 14);
    ribbon.lineTo(168, 14);
    ribbon.lineTo(168, 50);
    ribbon.lineTo(188, 50);
    ribbon.lineTo(180, 32);
    ribbon.closeSubpath();
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(170, 50, 30));
    p.drawPath(ribbon);
    QLinearGradient g(0, 4, 0, 46);
    g.setColorAt(0.0, QColor(255, 150, 70));
    g.setColorAt(1.0, QColor(210, 70, 40));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(14, 4, 162, 42), 8, 8);
    p.setPen(QPen(kGoldLight, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(18, 8, 154, 34), 6, 6);
    // A small clock at the left of the words.
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kIvory);
    p.drawEllipse(QPointF(38, 25), 12, 12);
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(38, 25), QPointF(38, 17));
    p.drawLine(QPointF(38, 25), QPointF(44, 28));
    OutlinedText(p, QRectF(52, 4, 116, 42), QString::fromUtf8("时间到！"), Font(26, true), QColor(255, 250, 230), kInk,
                 2);
    p.end();
    return FlattenOnKey(image, kKeyMagenta);
}

}  // namespace ResultArt
