#include "tools/resgen/EffectArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdint>

#include "tools/resgen/ArtStyle.h"

namespace EffectArt {

namespace {

using namespace ArtStyle;

// A small fixed-seed generator, so every run draws the same bolts and sparks.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : state_(seed) {}
    // A whole number from lo to hi inclusive.
    int Roll(int lo, int hi) {
        state_ = state_ * 1664525u + 1013904223u;
        return lo + static_cast<int>((state_ >> 8) % static_cast<std::uint32_t>(hi - lo + 1));
    }

private:
    std::uint32_t state_;
};

// One bolt across a piece from (0, mid) to (length, mid), zig-zagging up to `swing`.
QPainterPath Bolt(Dice& dice, int length, int mid, int swing) {
    QPainterPath path(QPointF(0, mid));
    const int steps = 4;
    for (int i = 1; i < steps; ++i) {
        path.lineTo(length * i / static_cast<qreal>(steps) + dice.Roll(-2, 2), mid + dice.Roll(-swing, swing));
    }
    path.lineTo(length, mid);
    return path;
}

void PaintBolt(QPainter& p, const QPainterPath& bolt, const QPainterPath& branch) {
    const struct {
        qreal width;
        QColor colour;
    } layers[] = {{9, QColor(90, 170, 255, 45)}, {5, QColor(140, 210, 255, 120)}, {2.4, QColor(235, 248, 255)}};
    for (const auto& layer : layers) {
        p.setPen(QPen(layer.colour, layer.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(bolt);
        p.setPen(QPen(layer.colour, layer.width * 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(branch);
    }
}

// `count` pieces of length x thickness, laid out along the strip's length; `vertical`
// turns each piece a quarter.
QImage Strip(int count, int length, int thickness, bool vertical, std::uint32_t seed) {
    Dice dice(seed);
    QImage strip = vertical ? NewCanvas(thickness, length * count, kFelt) : NewCanvas(length * count, thickness, kFelt);
    QPainter p;
    BeginPaint(p, strip);
    for (int i = 0; i < count; ++i) {
        const int mid = 12;  // the line runs through the cell's centre: 12 from the piece's edge
        const QPainterPath bolt = Bolt(dice, length, mid, 5);
        QPainterPath branch;
        if (dice.Roll(0, 2) == 0) {
            const qreal x = dice.Roll(length / 4, length * 3 / 4);
            branch.moveTo(x, mid);
            branch.lineTo(x + dice.Roll(3, 7), mid + (dice.Roll(0, 1) ? 1 : -1) * dice.Roll(4, 6));
        }
        p.save();
        if (vertical) {
            p.setClipRect(QRect(0, i * length, thickness, length));
            p.translate(thickness, i * length);
            p.rotate(90);
        } else {
            p.setClipRect(QRect(i * length, 0, length, thickness));
            p.translate(i * length, 0);
        }
        PaintBolt(p, bolt, branch);
        p.restore();
    }
    p.end();
    return strip.convertToFormat(QImage::Format_RGB32);
}

QPainterPath Burst(QPointF c, qreal outer, qreal inner, int points, qreal turnDeg) {
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = (turnDeg * M_PI / 180.0) + i * M_PI / points;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

void Sparks(QPainter& p, Dice& dice, QPointF c, int count, qreal rMin, qreal rMax, qreal size) {
    for (int i = 0; i < count; ++i) {
        const qreal a = (i + dice.Roll(0, 40) / 100.0) * 2 * M_PI / count;
        const qreal r = dice.Roll(static_cast<int>(rMin), static_cast<int>(rMax));
        const QPointF at(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        const QColor colour =
            i % 3 == 0 ? QColor(255, 250, 210) : (i % 3 == 1 ? QColor(255, 200, 70) : QColor(255, 130, 50));
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPath(Burst(at, size, size * 0.35, 4, a * 180.0 / M_PI));
    }
}

}  // namespace

QImage HzFlash() { return Strip(14, 31, 24, false, 0x5eed0001u); }

QImage VsFlash() { return Strip(12, 35, 23, true, 0x5eed0002u); }

QImage BlastFrame(int n) {
    const QPointF c(45, 46);
    QImage image = NewCanvas(88, 80);
    QPainter p;
    BeginPaint(p, image);
    Dice dice(0xb1a50000u + static_cast<std::uint32_t>(n));
    if (n <= 1) {
        QRadialGradient glow(c, 18);
        glow.setColorAt(0.0, QColor(255, 255, 255, 255));
        glow.setColorAt(0.5, QColor(255, 236, 140, 230));
        glow.setColorAt(1.0, QColor(255, 160, 40, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, 18, 18);
        p.setBrush(QColor(255, 250, 220));
        p.drawPath(Burst(c, 16, 5, 4, 45));
    } else if (n == 2) {
        QRadialGradient fire(c, 28);
        fire.setColorAt(0.0, QColor(255, 255, 230));
        fire.setColorAt(0.35, QColor(255, 220, 90));
        fire.setColorAt(0.8, QColor(250, 120, 40));
        fire.setColorAt(1.0, QColor(220, 60, 30));
        p.setPen(QPen(QColor(200, 70, 30, 200), 1));
        p.setBrush(fire);
        p.drawPath(Burst(c, 28, 13, 10, -90));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 240));
        p.drawEllipse(c, 7, 7);
        Sparks(p, dice, c, 8, 26, 30, 4);
    } else {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 210, 110, 200), 3));
        p.drawEllipse(c, 29, 29);
        p.setPen(QPen(QColor(255, 250, 220, 230), 1.5));
        p.drawEllipse(c, 25, 25);
        Sparks(p, dice, c, 12, 27, 32, 5);
    }
    p.end();
    return FlattenOnMatte(image, kKeyMagenta, kFelt, 64);
}

QImage LianJiBk() {
    QImage image = NewCanvas(110, 24);
    QPainter p;
    BeginPaint(p, image);
    QLinearGradient g(0, 2, 0, 22);
    g.setColorAt(0.0, QColor(255, 200, 80));
    g.setColorAt(1.0, QColor(220, 96, 30));
    p.setPen(QPen(QColor(110, 40, 10), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 2.5, 45, 19), 7, 7);
    OutlinedText(p, QRectF(1.5, 1.5, 45, 20), QString::fromUtf8("连击"), Font(14, true), QColor(255, 252, 236),
                 QColor(120, 40, 10), 1.5);
    // A tapered golden stroke under the digits.
    QPainterPath under(QPointF(48, 21));
    under.lineTo(104, 20.5);
    under.lineTo(104, 21.5);
    under.lineTo(48, 23);
    under.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kGold);
    p.drawPath(under);
    p.end();
    return FlattenOnKey(image, kKeyBlack);
}

QImage Number() {
    QImage image = NewCanvas(110, 15);
    QPainter p;
    BeginPaint(p, image);
    const QString glyphs = QStringLiteral("0123456789/");
    for (int i = 0; i < glyphs.size(); ++i) {
        OutlinedText(p, QRectF(i * 10, 0, 10, 15), glyphs.mid(i, 1), Font(13, true), QColor(255, 224, 96),
                     QColor(90, 40, 6), 1.2);
    }
    p.end();
    return FlattenOnKey(image, kKeyBlack);
}

}  // namespace EffectArt
