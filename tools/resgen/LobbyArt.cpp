#include "tools/resgen/LobbyArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/resgen/ArtStyle.h"

namespace LobbyArt {

namespace {

using namespace ArtStyle;

const QColor kFaceEdge{150, 90, 10};
const QColor kFeature{70, 40, 20};

QPen FeaturePen(qreal width = 6) { return QPen(kFeature, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void Eyes(QPainter& p, qreal y = 40, qreal r = 6) {
    p.setPen(Qt::NoPen);
    p.setBrush(kFeature);
    p.drawEllipse(QPointF(35, y), r * 0.8, r);
    p.drawEllipse(QPointF(65, y), r * 0.8, r);
}

void Arc(QPainter& p, QRectF box, int startDeg, int spanDeg, qreal width = 6) {
    p.setPen(FeaturePen(width));
    p.setBrush(Qt::NoBrush);
    p.drawArc(box, startDeg * 16, spanDeg * 16);
}

void Smile(QPainter& p) { Arc(p, QRectF(28, 38, 44, 36), 200, 140); }
void Frown(QPainter& p) { Arc(p, QRectF(30, 62, 40, 30), 20, 140); }

void OpenMouth(QPainter& p, QRectF box) {
    p.setPen(FeaturePen(4));
    p.setBrush(QColor(170, 50, 50));
    p.drawEllipse(box);
}

void Laugh(QPainter& p) {
    QPainterPath mouth(QPointF(26, 58));
    mouth.lineTo(74, 58);
    mouth.cubicTo(72, 84, 28, 84, 26, 58);
    p.setPen(FeaturePen(4));
    p.setBrush(QColor(170, 50, 50));
    p.drawPath(mouth);
}

void Cheeks(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 120, 110, 150));
    p.drawEllipse(QPointF(22, 58), 8, 5);
    p.drawEllipse(QPointF(78, 58), 8, 5);
}

void Tear(QPainter& p, qreal x, qreal y) {
    QPainterPath tear(QPointF(x, y));
    tear.cubicTo(x + 6, y + 10, x + 6, y + 16, x, y + 16);
    tear.cubicTo(x - 6, y + 16, x - 6, y + 10, x, y);
    p.setPen(QPen(QColor(40, 100, 200), 2));
    p.setBrush(QColor(110, 180, 250));
    p.drawPath(tear);
}

void HeartAt(QPainter& p, QPointF c, qreal s, const QColor& colour) {
    QPainterPath h(QPointF(c.x(), c.y() + s));
    h.cubicTo(c.x() - s * 1.4, c.y(), c.x() - s, c.y() - s, c.x(), c.y() - s * 0.4);
    h.cubicTo(c.x() + s, c.y() - s, c.x() + s * 1.4, c.y(), c.x(), c.y() + s);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(h);
}

// Each face: the features drawn on the yellow disc, in the unit square.
void FaceFeatures(QPainter& p, int n) {
    switch (n) {
        case 0:
            Eyes(p);
            Smile(p);
            break;  // smile
        case 1:
            Arc(p, QRectF(26, 34, 18, 14), 20, 140);
            Arc(p, QRectF(56, 34, 18, 14), 20, 140);
            Laugh(p);
            break;  // laugh
        case 2:
            Eyes(p);
            Arc(p, QRectF(56, 38, 18, 6), 180, 180);
            Smile(p);
            break;  // wink
        case 3:
            Eyes(p);
            Frown(p);
            break;  // sad
        case 4:
            Arc(p, QRectF(26, 36, 18, 12), 20, 140);
            Arc(p, QRectF(56, 36, 18, 12), 20, 140);
            Frown(p);
            Tear(p, 30, 48);
            Tear(p, 70, 48);
            break;  // cry
        case 5:     // angry
            p.setPen(FeaturePen(6));
            p.drawLine(QPointF(24, 28), QPointF(44, 36));
            p.drawLine(QPointF(76, 28), QPointF(56, 36));
            Eyes(p, 44, 5);
            Frown(p);
            break;
        case 6:
            Eyes(p, 38, 7);
            OpenMouth(p, QRectF(40, 58, 20, 22));
            break;  // surprised
        case 7:     // cool
            p.setPen(FeaturePen(3));
            p.setBrush(QColor(30, 40, 60));
            p.drawRoundedRect(QRectF(18, 30, 28, 18), 6, 6);
            p.drawRoundedRect(QRectF(54, 30, 28, 18), 6, 6);
            p.drawLine(QPointF(46, 36), QPointF(54, 36));
            Arc(p, QRectF(32, 48, 36, 24), 210, 120);
            break;
        case 8:
            HeartAt(p, QPointF(34, 40), 10, QColor(230, 40, 70));
            HeartAt(p, QPointF(66, 40), 10, QColor(230, 40, 70));
            Smile(p);
            break;  // in love
        case 9:     // sleepy
            Arc(p, QRectF(26, 38, 18, 8), 180, 180);
            Arc(p, QRectF(56, 38, 18, 8), 180, 180);
            OpenMouth(p, QRectF(44, 62, 12, 12));
            p.setPen(QPen(QColor(60, 90, 180), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF({QPointF(70, 12), QPointF(84, 12), QPointF(70, 26), QPointF(84, 26)}));
            break;
        case 10:
            Eyes(p);
            Smile(p);  // tongue out
            p.setPen(FeaturePen(3));
            p.setBrush(QColor(240, 100, 110));
            p.drawRoundedRect(QRectF(46, 64, 16, 18), 8, 8);
            break;
        case 11:
            Arc(p, QRectF(26, 36, 18, 12), 20, 140);
            Arc(p, QRectF(56, 36, 18, 12), 20, 140);  // shy
            Cheeks(p);
            Arc(p, QRectF(40, 56, 20, 12), 200, 140, 5);
            break;
        case 12:
            Eyes(p);
            p.setPen(FeaturePen());
            p.drawLine(QPointF(36, 68), QPointF(64, 64));  // thinking
            p.setPen(QPen(QColor(80, 90, 120), 3));
            p.setBrush(QColor(230, 236, 250));
            p.drawEllipse(QPointF(82, 16), 9, 7);
            p.drawEllipse(QPointF(70, 28), 4, 4);
            break;
        case 13:
            Eyes(p);
            HeartAt(p, QPointF(72, 70), 9, QColor(230, 40, 70));  // kiss
            p.setPen(FeaturePen(5));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(42, 60, 14, 10), -90 * 16, 180 * 16);
            p.drawArc(QRectF(42, 68, 14, 10), -90 * 16, 180 * 16);
            break;
        case 14:
            Eyes(p);  // puzzled
            p.setPen(FeaturePen(5));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(
                QPolygonF({QPointF(30, 68), QPointF(40, 62), QPointF(50, 68), QPointF(60, 62), QPointF(70, 68)}));
            break;
        case 15:
            Eyes(p);
            Arc(p, QRectF(32, 56, 36, 16), 200, 140);  // sweat
            p.setPen(QPen(QColor(40, 100, 200), 2));
            p.setBrush(QColor(140, 200, 255));
            p.drawEllipse(QPointF(82, 30), 6, 9);
            break;
        case 16:
            Eyes(p);  // grin
            p.setPen(FeaturePen(4));
            p.setBrush(QColor(255, 255, 255));
            p.drawRoundedRect(QRectF(26, 56, 48, 20), 8, 8);
            p.drawLine(QPointF(26, 66), QPointF(74, 66));
            break;
        case 17:
            Arc(p, QRectF(26, 36, 18, 10), 180, 180);
            Arc(p, QRectF(56, 36, 18, 10), 180, 180);  // unwell
            p.setPen(FeaturePen(5));
            p.drawPolyline(
                QPolygonF({QPointF(32, 68), QPointF(42, 62), QPointF(50, 70), QPointF(58, 62), QPointF(68, 68)}));
            break;
        case 18:  // mischief
            p.setPen(FeaturePen(5));
            p.drawLine(QPointF(24, 30), QPointF(42, 36));
            p.drawLine(QPointF(76, 30), QPointF(58, 36));
            Eyes(p, 44, 5);
            Arc(p, QRectF(26, 40, 48, 34), 200, 140);
            break;
        default:  // angel
            p.setPen(QPen(QColor(230, 190, 40), 5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(28, 2, 44, 12));
            Arc(p, QRectF(26, 38, 18, 12), 20, 140);
            Arc(p, QRectF(56, 38, 18, 12), 20, 140);
            Smile(p);
            break;
    }
}

}  // namespace

QImage MsgIcon(int type) {
    QImage image = NewCanvas(32, 32);
    QPainter p;
    BeginPaint(p, image);
    UseUnitBox(p, QRectF(0, 0, 32, 32));
    const QColor fill = type == 1 ? QColor(236, 170, 40) : (type == 2 ? QColor(60, 140, 90) : QColor(50, 110, 210));
    QRadialGradient g(QPointF(38, 34), 70);
    g.setColorAt(0.0, fill.lighter(140));
    g.setColorAt(1.0, fill.darker(120));
    p.setPen(QPen(fill.darker(180), 5));
    p.setBrush(g);
    if (type == 1) {
        QPainterPath triangle(QPointF(50, 6));
        triangle.lineTo(96, 90);
        triangle.lineTo(4, 90);
        triangle.closeSubpath();
        p.drawPath(triangle);
    } else {
        p.drawEllipse(QPointF(50, 50), 45, 45);
    }
    const char* mark = type == 1 ? "!" : (type == 2 ? "?" : "i");
    const QRectF markBox = type == 1 ? QRectF(30, 30, 40, 56) : QRectF(25, 20, 50, 60);
    OutlinedText(p, markBox, QString::fromLatin1(mark), Font(62, true), QColor(255, 255, 255), fill.darker(200), 2.5);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage Face(int n) {
    QImage image = NewCanvas(24, 24, QColor(255, 255, 255));
    QPainter p;
    BeginPaint(p, image);
    UseUnitBox(p, QRectF(0, 0, 24, 24));
    QRadialGradient g(QPointF(38, 32), 64);
    g.setColorAt(0.0, QColor(255, 240, 140));
    g.setColorAt(1.0, QColor(250, 184, 40));
    p.setPen(QPen(kFaceEdge, 4));
    p.setBrush(g);
    p.drawEllipse(QPointF(50, 52), 44, 44);
    FaceFeatures(p, n);
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace LobbyArt
