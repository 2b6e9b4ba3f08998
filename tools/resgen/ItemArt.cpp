#include "tools/resgen/ItemArt.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>

#include "tools/resgen/ArtStyle.h"
#include "tools/resgen/TableLayout.h"

namespace ItemArt {

namespace {

using namespace ArtStyle;

const QColor kEdge{30, 26, 40};

QPen EdgePen(qreal width = 5) { return QPen(kEdge, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Compass(QPainter& p) {
    p.setPen(EdgePen());
    QRadialGradient rim(QPointF(40, 36), 60);
    rim.setColorAt(0.0, kGoldLight);
    rim.setColorAt(1.0, kGoldDark);
    p.setBrush(rim);
    p.drawEllipse(QPointF(50, 50), 46, 46);
    p.setBrush(kIvory);
    p.drawEllipse(QPointF(50, 50), 35, 35);
    p.setPen(QPen(QColor(120, 110, 90), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        const qreal r1 = i % 2 == 0 ? 26 : 29;
        p.drawLine(QPointF(50 + r1 * std::cos(a), 50 + r1 * std::sin(a)),
                   QPointF(50 + 33 * std::cos(a), 50 + 33 * std::sin(a)));
    }
    p.setPen(QPen(kEdge, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(226, 50, 50));
    p.drawPolygon(QPolygonF({QPointF(50, 16), QPointF(60, 50), QPointF(40, 50)}));
    p.setBrush(QColor(50, 90, 190));
    p.drawPolygon(QPolygonF({QPointF(50, 84), QPointF(60, 50), QPointF(40, 50)}));
    p.setBrush(kGold);
    p.drawEllipse(QPointF(50, 50), 6, 6);
}

void ArrowArc(QPainter& p, qreal startDeg, qreal spanDeg, const QColor& colour) {
    const QRectF ring(16, 16, 68, 68);
    QPainterPath arc;
    arc.arcMoveTo(ring, startDeg);
    arc.arcTo(ring, startDeg, spanDeg);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kEdge, 24, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    p.setPen(QPen(colour, 16, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(arc);
    // Arrow head at the end of the arc, pointing along it.
    const qreal end = (startDeg + spanDeg) * M_PI / 180.0;
    const QPointF tip(50 + 34 * std::cos(end), 50 - 34 * std::sin(end));
    const QPointF along(std::sin(end), std::cos(end));  // direction of travel (counter-clockwise)
    const QPointF out(std::cos(end), -std::sin(end));
    QPolygonF head({tip + out * 20, tip - out * 20, tip + along * 24});
    p.setPen(QPen(kEdge, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawPolygon(head);
}

void Rearrange(QPainter& p) {
    ArrowArc(p, 200, 130, QColor(70, 200, 110));
    ArrowArc(p, 20, 130, QColor(70, 200, 110));
}

void Freeze(QPainter& p) {
    QPainterPath palm;
    palm.addRoundedRect(QRectF(30, 42, 40, 42), 12, 12);
    const QRectF fingers[] = {{30, 18, 10, 36}, {41, 12, 10, 40}, {52, 14, 10, 38}, {62, 22, 9, 30}};
    for (const QRectF& f : fingers) palm.addRoundedRect(f, 5, 5);
    p.setPen(EdgePen(4));
    p.setBrush(QColor(190, 226, 255));
    palm.setFillRule(Qt::WindingFill);
    p.drawPath(palm.simplified());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kEdge, 14));
    p.drawEllipse(QPointF(50, 50), 41, 41);
    p.drawLine(QPointF(21, 79), QPointF(79, 21));
    p.setPen(QPen(QColor(236, 52, 52), 8));
    p.drawEllipse(QPointF(50, 50), 41, 41);
    p.drawLine(QPointF(21, 79), QPointF(79, 21));
}

void AlarmClock(QPainter& p) {
    p.setPen(EdgePen());
    p.setBrush(kGold);
    p.drawEllipse(QPointF(22, 22), 14, 14);
    p.drawEllipse(QPointF(78, 22), 14, 14);
    p.drawLine(QPointF(30, 86), QPointF(22, 96));
    p.drawLine(QPointF(70, 86), QPointF(78, 96));
    QRadialGradient body(QPointF(40, 46), 50);
    body.setColorAt(0.0, QColor(250, 110, 90));
    body.setColorAt(1.0, QColor(190, 40, 40));
    p.setBrush(body);
    p.drawEllipse(QPointF(50, 56), 38, 38);
    p.setBrush(kIvory);
    p.drawEllipse(QPointF(50, 56), 28, 28);
    p.setPen(QPen(kEdge, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(50, 56), QPointF(50, 36));
    p.drawLine(QPointF(50, 56), QPointF(64, 64));
}

void Bomb(QPainter& p) {
    p.setPen(QPen(QColor(120, 80, 40), 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath fuse(QPointF(62, 30));
    fuse.quadTo(70, 10, 84, 14);
    p.drawPath(fuse);
    p.setPen(EdgePen());
    QRadialGradient ball(QPointF(34, 46), 52);
    ball.setColorAt(0.0, QColor(110, 124, 160));
    ball.setColorAt(1.0, QColor(28, 32, 50));
    p.setBrush(ball);
    p.drawEllipse(QPointF(44, 60), 36, 36);
    p.setBrush(QColor(80, 88, 110));
    p.drawRoundedRect(QRectF(52, 24, 18, 14), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(30, 46), 8, 6);
    QPainterPath spark;
    for (int i = 0; i < 16; ++i) {
        const qreal r = i % 2 == 0 ? 15 : 6;
        const qreal a = i * M_PI / 8;
        const QPointF pt(84 + r * std::cos(a), 14 + r * std::sin(a));
        if (i == 0) spark.moveTo(pt);
        else spark.lineTo(pt);
    }
    spark.closeSubpath();
    p.setPen(QPen(QColor(200, 80, 20), 2));
    p.setBrush(QColor(255, 210, 60));
    p.drawPath(spark);
}

void Blindfold(QPainter& p) {
    QPainterPath eye(QPointF(4, 62));
    eye.quadTo(50, 22, 96, 62);
    eye.quadTo(50, 102, 4, 62);
    p.setPen(EdgePen());
    p.setBrush(QColor(250, 250, 255));
    p.drawPath(eye);
    p.setBrush(QColor(60, 130, 220));
    p.drawEllipse(QPointF(50, 64), 15, 15);
    p.setBrush(kEdge);
    p.drawEllipse(QPointF(50, 64), 6, 6);
    // The black fog rolling over the eye.
    QPainterPath fog = QPainterPath();
    fog.addEllipse(QPointF(28, 40), 22, 18);
    fog.addEllipse(QPointF(54, 30), 26, 24);
    fog.addEllipse(QPointF(78, 42), 20, 17);
    fog.addRoundedRect(QRectF(8, 38, 86, 20), 10, 10);
    fog.setFillRule(Qt::WindingFill);
    QLinearGradient g(0, 6, 0, 60);
    g.setColorAt(0.0, QColor(96, 100, 120));
    g.setColorAt(1.0, QColor(40, 42, 56));
    p.setPen(EdgePen(4));
    p.setBrush(g);
    p.drawPath(fog.simplified());
}

void Mirror(QPainter& p) {
    p.setPen(EdgePen());
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(43, 68, 14, 30), 6, 6);
    p.drawEllipse(QPointF(50, 40), 34, 38);
    QLinearGradient glass(20, 10, 80, 74);
    glass.setColorAt(0.0, QColor(230, 246, 255));
    glass.setColorAt(1.0, QColor(110, 170, 230));
    p.setBrush(glass);
    p.drawEllipse(QPointF(50, 40), 25, 29);
    p.setPen(QPen(QColor(255, 255, 255, 230), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(36, 34), QPointF(50, 18));
    p.drawLine(QPointF(40, 48), QPointF(60, 24));
}

void Obstacle(QPainter& p) {
    const QColor brick(196, 92, 56);
    p.setPen(QPen(QColor(235, 220, 200), 4));
    const qreal h = 20;
    for (int row = 0; row < 4; ++row) {
        const qreal y = 12 + row * h;
        const qreal offset = row % 2 == 0 ? 0 : -15;
        for (qreal x = offset; x < 100; x += 30) {
            QRectF b(std::max<qreal>(x, 4), y, std::min<qreal>(x + 30, 96) - std::max<qreal>(x, 4), h);
            if (b.width() <= 2) continue;
            QLinearGradient g(b.topLeft(), b.bottomLeft());
            g.setColorAt(0.0, brick.lighter(120));
            g.setColorAt(1.0, brick.darker(125));
            p.setBrush(g);
            p.drawRect(b);
        }
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(EdgePen(4));
    p.drawRect(QRectF(4, 12, 92, 80));
}

void MapItem(QPainter& p) {
    const QPolygonF panels[] = {
        QPolygonF({QPointF(6, 20), QPointF(36, 10), QPointF(36, 82), QPointF(6, 92)}),
        QPolygonF({QPointF(36, 10), QPointF(64, 20), QPointF(64, 92), QPointF(36, 82)}),
        QPolygonF({QPointF(64, 20), QPointF(94, 10), QPointF(94, 82), QPointF(64, 92)}),
    };
    const QColor paper[] = {QColor(246, 232, 186), QColor(222, 204, 150), QColor(246, 232, 186)};
    p.setPen(EdgePen(4));
    for (int i = 0; i < 3; ++i) {
        p.setBrush(paper[i]);
        p.drawPolygon(panels[i]);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 180, 90));
    p.drawEllipse(QPointF(24, 44), 12, 16);
    p.drawEllipse(QPointF(76, 62), 12, 10);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(70, 140, 220), 5, Qt::SolidLine, Qt::RoundCap));
    QPainterPath river(QPointF(40, 80));
    river.cubicTo(50, 60, 44, 40, 60, 24);
    p.drawPath(river);
    p.setPen(QPen(QColor(220, 40, 40), 7, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(70, 30), QPointF(84, 44));
    p.drawLine(QPointF(84, 30), QPointF(70, 44));
}

using ItemFn = void (*)(QPainter&);
constexpr ItemFn kItems[kItemCount] = {Compass,   Rearrange, Freeze,   AlarmClock, Bomb,
                                       Blindfold, Mirror,    Obstacle, MapItem};

enum ButtonState { kDisabled, kNormal, kHover, kPressed };

void DrawButton(QPainter& p, const QRectF& cell, int item, ButtonState state) {
    const QRectF plate = cell.adjusted(0.5, 0.5, -0.5, -0.5);
    QColor base = kNavyLight;
    QColor frame = kGold;
    if (state == kDisabled) {
        base = QColor(52, 60, 78);
        frame = QColor(96, 100, 110);
    }
    if (state == kHover) {
        base = QColor(88, 132, 204);
        frame = kGoldLight;
    }
    if (state == kPressed) {
        base = QColor(30, 54, 100);
        frame = kGoldDark;
    }
    Plate(p, plate, base, 4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(frame, state == kHover ? 1.6 : 1.0));
    p.drawRoundedRect(plate, 4, 4);
    const QPointF shift = state == kPressed ? QPointF(1, 1) : QPointF(0, 0);
    const QRectF box = QRectF(cell.left() + 3, cell.top() + 3, 18, 18).translated(shift);
    if (state != kDisabled) {
        DrawItem(p, box, item);
        return;
    }
    QImage icon = NewCanvas(18, 18);
    QPainter ip;
    BeginPaint(ip, icon);
    DrawItem(ip, QRectF(0, 0, 18, 18), item);
    ip.end();
    p.save();
    p.setOpacity(0.55);
    p.drawImage(box.topLeft(), Greyed(icon, 0.7, -10));
    p.restore();
}

}  // namespace

void DrawItem(QPainter& p, const QRectF& box, int item) {
    if (item < 0 || item >= kItemCount) return;
    p.save();
    UseUnitBox(p, box);
    kItems[item](p);
    p.restore();
}

QImage ItemIcon(int item) {
    QImage image = NewCanvas(32, 32);
    QPainter p;
    BeginPaint(p, image);
    DrawItem(p, QRectF(1, 1, 30, 30), item);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage DjBut(const QImage& gameBack) {
    QImage sheet = NewCanvas(24 * kItemCount, 24 * 4);
    QPainter p;
    BeginPaint(p, sheet);
    for (int k = 0; k < kItemCount; ++k) {
        const QPoint place = TableLayout::ItemButton(k);
        const QImage under = gameBack.copy(place.x(), place.y(), 24, 24);
        for (int s = kDisabled; s <= kPressed; ++s) {
            const QRectF cell(24 * k, 24 * s, 24, 24);
            p.drawImage(cell.topLeft(), under);
            DrawButton(p, cell, k, static_cast<ButtonState>(s));
        }
    }
    p.end();
    return sheet.convertToFormat(QImage::Format_RGB32);
}

}  // namespace ItemArt
