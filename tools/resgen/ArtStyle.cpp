#include "tools/resgen/ArtStyle.h"

#include <QLinearGradient>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/modGameDefine.h"

namespace ArtStyle {

QFont Font(int pixelSize, bool bold) {
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

namespace {

int GroupIndex(int group) { return std::clamp(group, 0, 3); }

}  // namespace

QString GroupName(int group) {
    static const auto names = [] {
        modGameDefine define;
        define.InitGameDefine();
        return define.strFenZuName;
    }();
    return QString::fromStdString(names[static_cast<std::size_t>(GroupIndex(group))]);
}

QColor GroupTint(int group) {
    // Free players silver-blue, team A gold, B green, C rose.
    static const std::array<QColor, 4> tints{
        {QColor(206, 220, 242), QColor(250, 224, 146), QColor(186, 232, 186), QColor(246, 196, 200)}};
    return tints[static_cast<std::size_t>(GroupIndex(group))];
}

QColor GroupColour(int group) {
    static const std::array<QColor, 4> colours{
        {QColor(150, 176, 220), QColor(236, 196, 90), QColor(112, 196, 120), QColor(226, 128, 136)}};
    return colours[static_cast<std::size_t>(GroupIndex(group))];
}

QImage NewCanvas(int width, int height) { return NewCanvas(width, height, Qt::transparent); }

QImage NewCanvas(int width, int height, const QColor& fill) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void BeginPaint(QPainter& p, QImage& image) {
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void UseUnitBox(QPainter& p, const QRectF& box) {
    const qreal side = std::min(box.width(), box.height());
    p.translate(box.center().x() - side / 2, box.center().y() - side / 2);
    p.scale(side / 100.0, side / 100.0);
}

namespace {

QRgb AvoidKey(QRgb px, QRgb key) {
    if ((px | 0xFF000000) != (key | 0xFF000000)) return px | 0xFF000000;
    const int g = qGreen(px);
    return qRgb(qRed(px), g < 255 ? g + 1 : g - 1, qBlue(px));
}

}  // namespace

QImage FlattenOnKey(const QImage& argb, QRgb key) {
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            line[x] = qAlpha(in[x]) < 128 ? (key | 0xFF000000) : AvoidKey(in[x], key);
        }
    }
    return out;
}

QImage FlattenOnMatte(const QImage& argb, QRgb key, const QColor& matte, int minAlpha) {
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (a < minAlpha) {
                line[x] = key | 0xFF000000;
                continue;
            }
            auto blend = [a](int c, int m) { return (c * a + m * (255 - a) + 127) / 255; };
            const QRgb px = qRgb(blend(qRed(in[x]), matte.red()), blend(qGreen(in[x]), matte.green()),
                                 blend(qBlue(in[x]), matte.blue()));
            line[x] = AvoidKey(px, key);
        }
    }
    return out;
}

QImage Opaque(const QImage& argb, const QColor& background) {
    QImage out(argb.size(), QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.drawImage(0, 0, argb);
    p.end();
    return out;
}

QImage Greyed(const QImage& image, double contrast, int lift) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = line[x];
            const double lum = 0.299 * qRed(px) + 0.587 * qGreen(px) + 0.114 * qBlue(px);
            const int g = std::clamp(static_cast<int>(std::lround((lum - 128.0) * contrast + 128.0)) + lift, 0, 255);
            line[x] = qRgba(g, g, g, qAlpha(px));
        }
    }
    return out;
}

QPainterPath TextPath(const QString& text, const QFont& font, const QRectF& box) {
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    path.translate(box.center() - bounds.center());
    return path;
}

void OutlinedText(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& fill,
                  const QColor& outline, qreal outlineWidth) {
    const QPainterPath path = TextPath(text, font, box);
    p.save();
    if (outlineWidth > 0) {
        p.setPen(QPen(outline, outlineWidth * 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(outline);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

void Plate(QPainter& p, const QRectF& r, const QColor& base, qreal radius) {
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, base.lighter(135));
    g.setColorAt(0.5, base);
    g.setColorAt(1.0, base.darker(130));
    p.setPen(QPen(base.darker(170), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), std::max<qreal>(radius - 1, 0), std::max<qreal>(radius - 1, 0));
    p.restore();
}

void Well(QPainter& p, const QRectF& r, const QColor& base, qreal radius) {
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, base.darker(140));
    g.setColorAt(1.0, base);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.drawLine(QPointF(r.left() + radius, r.top() + 0.5), QPointF(r.right() - radius, r.top() + 0.5));
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.drawLine(QPointF(r.left() + radius, r.bottom() - 0.5), QPointF(r.right() - radius, r.bottom() - 0.5));
    p.restore();
}

void GoldFrame(QPainter& p, const QRectF& r, qreal radius) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGoldDark, 1));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.setPen(QPen(kGold, 1));
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), std::max<qreal>(radius - 1, 0), std::max<qreal>(radius - 1, 0));
    p.restore();
}

QColor Hsv(double hueDegrees, double saturation, double value) {
    double h = std::fmod(hueDegrees, 360.0);
    if (h < 0) h += 360.0;
    return QColor::fromHsvF(static_cast<float>(h / 360.0), static_cast<float>(saturation), static_cast<float>(value));
}

QColor Mix(const QColor& a, const QColor& b, double t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()), m(a.alpha(), b.alpha()));
}

}  // namespace ArtStyle
