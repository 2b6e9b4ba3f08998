#include "tools/resgen/TileArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <array>
#include <cmath>

#include "tools/resgen/ArtStyle.h"

namespace TileArt {

namespace {

using ArtStyle::Hsv;

// The colours a symbol is drawn in: its body, the outline around the body, and the
// details cut into it (eyes, seeds, facets).
struct Ink {
    QColor body;
    QColor outline;
    QColor detail;
};

using SymbolFn = void (*)(QPainter&, const Ink&);

// Symbols are drawn in the unit square 0..100; one pixel of the tile is about 4 units.
constexpr qreal kOutline = 4.0;

void Body(QPainter& p, const QPainterPath& path, const Ink& ink) {
    p.setPen(QPen(ink.outline, kOutline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(ink.body);
    p.drawPath(path);
}

void Detail(QPainter& p, const QPainterPath& path, const Ink& ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink.detail);
    p.drawPath(path);
}

void DetailLine(QPainter& p, const QPainterPath& path, const Ink& ink, qreal width) {
    p.setPen(QPen(ink.detail, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void BodyLine(QPainter& p, const QPainterPath& path, const Ink& ink, qreal width) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink.outline, width + kOutline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.setPen(QPen(ink.body, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

QPainterPath Circle(qreal cx, qreal cy, qreal r) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

QPainterPath Ellipse(qreal cx, qreal cy, qreal rx, qreal ry, qreal degrees = 0) {
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), rx, ry);
    QTransform t;
    t.translate(cx, cy);
    t.rotate(degrees);
    return t.map(path);
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath Line(QPointF a, QPointF b) {
    QPainterPath path(a);
    path.lineTo(b);
    return path;
}

QPainterPath Star(qreal cx, qreal cy, qreal outer, qreal inner, int points) {
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const qreal r = i % 2 == 0 ? outer : inner;
        const qreal a = -M_PI / 2 + i * M_PI / points;
        const QPointF pt(cx + r * std::cos(a), cy + r * std::sin(a));
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QPainterPath RegularPolygon(qreal cx, qreal cy, qreal r, int sides, qreal startDegrees) {
    QPainterPath path;
    for (int i = 0; i < sides; ++i) {
        const qreal a = (startDegrees + 360.0 * i / sides) * M_PI / 180.0;
        const QPointF pt(cx + r * std::cos(a), cy + r * std::sin(a));
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

QPainterPath HeartPath() {
    QPainterPath path(QPointF(50, 90));
    path.cubicTo(10, 62, 2, 36, 18, 20);
    path.cubicTo(32, 8, 46, 14, 50, 28);
    path.cubicTo(54, 14, 68, 8, 82, 20);
    path.cubicTo(98, 36, 90, 62, 50, 90);
    return path;
}

// ---- fruits and plants ----

void Cherry(QPainter& p, const Ink& k) {
    QPainterPath stems(QPointF(30, 58));
    stems.quadTo(38, 30, 62, 12);
    stems.moveTo(70, 60);
    stems.quadTo(64, 34, 62, 12);
    BodyLine(p, stems, k, 6);
    QPainterPath leaf(QPointF(62, 12));
    leaf.quadTo(80, 0, 94, 14);
    leaf.quadTo(78, 26, 62, 12);
    Body(p, leaf, k);
    Body(p, Circle(29, 72, 19), k);
    Body(p, Circle(71, 74, 19), k);
    Detail(p, Circle(22, 66, 4.5), k);
    Detail(p, Circle(64, 68, 4.5), k);
}

void OrangeSlice(QPainter& p, const Ink& k) {
    Body(p, Circle(50, 52, 42), k);
    DetailLine(p, Circle(50, 52, 33), k, 4);
    QPainterPath spokes;
    for (int i = 0; i < 6; ++i) {
        const qreal a = i * M_PI / 3;
        spokes.moveTo(50, 52);
        spokes.lineTo(50 + 31 * std::cos(a), 52 + 31 * std::sin(a));
    }
    DetailLine(p, spokes, k, 4);
}

void Lemon(QPainter& p, const Ink& k) {
    QPainterPath lemon = Ellipse(50, 54, 38, 27).united(Circle(11, 56, 7)).united(Circle(89, 52, 7));
    QTransform t;
    t.translate(50, 54);
    t.rotate(-24);
    t.translate(-50, -54);
    Body(p, t.map(lemon), k);
    QPainterPath shine(QPointF(34, 44));
    shine.quadTo(46, 34, 62, 36);
    DetailLine(p, t.map(shine), k, 4);
}

void Pear(QPainter& p, const Ink& k) {
    BodyLine(p, Line(QPointF(50, 24), QPointF(58, 6)), k, 6);
    Body(p, Ellipse(68, 14, 12, 6, -25), k);
    QPainterPath pear = Circle(50, 38, 18).united(Circle(50, 68, 28));
    Body(p, pear.simplified(), k);
    Detail(p, Ellipse(38, 68, 5, 10, 15), k);
}

void Apple(QPainter& p, const Ink& k) {
    BodyLine(p, Line(QPointF(50, 30), QPointF(54, 8)), k, 6);
    Body(p, Ellipse(68, 14, 14, 7, -30), k);
    QPainterPath apple(QPointF(50, 30));
    apple.cubicTo(30, 14, 6, 26, 10, 54);
    apple.cubicTo(14, 82, 34, 98, 50, 88);
    apple.cubicTo(66, 98, 86, 82, 90, 54);
    apple.cubicTo(94, 26, 70, 14, 50, 30);
    Body(p, apple, k);
    Detail(p, Ellipse(28, 50, 5, 11, 20), k);
}

void Grapes(QPainter& p, const Ink& k) {
    BodyLine(p, Line(QPointF(50, 30), QPointF(50, 8)), k, 6);
    Body(p, Ellipse(64, 16, 13, 7, -20), k);
    const QPointF berries[] = {{28, 40}, {50, 40}, {72, 40}, {39, 60}, {61, 60}, {50, 80}};
    for (const QPointF& b : berries) Body(p, Circle(b.x(), b.y(), 12), k);
}

void Strawberry(QPainter& p, const Ink& k) {
    QPainterPath berry(QPointF(50, 94));
    berry.cubicTo(18, 78, 6, 40, 26, 32);
    berry.cubicTo(38, 26, 62, 26, 74, 32);
    berry.cubicTo(94, 40, 82, 78, 50, 94);
    Body(p, berry, k);
    Body(p, Star(50, 26, 22, 9, 5), k);
    const QPointF seeds[] = {{34, 46}, {50, 44}, {66, 46}, {42, 60}, {58, 60}, {50, 75}, {30, 62}, {70, 62}};
    for (const QPointF& s : seeds) Detail(p, Ellipse(s.x(), s.y(), 3, 4.5), k);
}

void Watermelon(QPainter& p, const Ink& k) {
    QPainterPath slice(QPointF(6, 34));
    slice.arcTo(QRectF(6, -10, 88, 88), 180, 180);
    slice.closeSubpath();
    Body(p, slice, k);
    QPainterPath rind(QPointF(14, 36));
    rind.arcTo(QRectF(14, -2, 72, 72), 180, 180);
    DetailLine(p, rind, k, 4);
    const QPointF seeds[] = {{36, 46}, {50, 56}, {64, 46}, {50, 40}};
    for (const QPointF& s : seeds) Detail(p, Ellipse(s.x(), s.y(), 3.5, 5.5), k);
}

void Banana(QPainter& p, const Ink& k) {
    QPainterPath banana(QPointF(16, 26));
    banana.cubicTo(18, 82, 72, 96, 94, 66);
    banana.lineTo(90, 58);
    banana.cubicTo(64, 72, 34, 62, 30, 22);
    banana.closeSubpath();
    Body(p, banana, k);
    BodyLine(p, Line(QPointF(23, 24), QPointF(20, 10)), k, 7);
    QPainterPath ridge(QPointF(30, 44));
    ridge.cubicTo(36, 68, 60, 78, 82, 70);
    DetailLine(p, ridge, k, 3.5);
}

void Mushroom(QPainter& p, const Ink& k) {
    QPainterPath stem;
    stem.addRoundedRect(QRectF(36, 50, 28, 42), 10, 10);
    Body(p, stem, k);
    QPainterPath cap(QPointF(6, 58));
    cap.cubicTo(6, 8, 94, 8, 94, 58);
    cap.quadTo(50, 50, 6, 58);
    Body(p, cap, k);
    Detail(p, Circle(30, 40, 7), k);
    Detail(p, Circle(55, 28, 8), k);
    Detail(p, Circle(74, 44, 6), k);
}

// ---- shapes ----

void Bullseye(QPainter& p, const Ink& k) {
    Body(p, Circle(50, 50, 44), k);
    Detail(p, Circle(50, 50, 29), k);
    Body(p, Circle(50, 50, 15), k);
}

void Square(QPainter& p, const Ink& k) {
    QPainterPath sq;
    sq.addRoundedRect(QRectF(12, 12, 76, 76), 10, 10);
    Body(p, sq, k);
    QPainterPath inner;
    inner.addRoundedRect(QRectF(30, 30, 40, 40), 5, 5);
    DetailLine(p, inner, k, 6);
}

void Triangle(QPainter& p, const Ink& k) {
    Body(p, Polygon({{50, 6}, {96, 90}, {4, 90}}), k);
    DetailLine(p, Polygon({{50, 40}, {70, 76}, {30, 76}}), k, 5);
}

void StarShape(QPainter& p, const Ink& k) {
    Body(p, Star(50, 54, 48, 20, 5), k);
    Detail(p, Circle(50, 56, 7), k);
}

void Heart(QPainter& p, const Ink& k) {
    Body(p, HeartPath(), k);
    QPainterPath shine(QPointF(22, 34));
    shine.quadTo(24, 24, 34, 22);
    DetailLine(p, shine, k, 5);
}

void Gem(QPainter& p, const Ink& k) {
    Body(p, Polygon({{28, 12}, {72, 12}, {96, 38}, {50, 94}, {4, 38}}), k);
    QPainterPath facets(QPointF(4, 38));
    facets.lineTo(96, 38);
    facets.moveTo(28, 12);
    facets.lineTo(38, 38);
    facets.lineTo(50, 94);
    facets.lineTo(62, 38);
    facets.lineTo(72, 12);
    facets.moveTo(38, 38);
    facets.lineTo(50, 12);
    facets.lineTo(62, 38);
    DetailLine(p, facets, k, 3.5);
}

void Hexagon(QPainter& p, const Ink& k) {
    Body(p, RegularPolygon(50, 50, 46, 6, -90), k);
    Detail(p, RegularPolygon(50, 50, 20, 6, -90), k);
}

void Crescent(QPainter& p, const Ink& k) {
    const QPainterPath moon = Circle(46, 52, 42).subtracted(Circle(66, 40, 34));
    Body(p, moon, k);
    Body(p, Star(76, 74, 14, 6, 4), k);
}

void Drop(QPainter& p, const Ink& k) {
    QPainterPath drop(QPointF(50, 4));
    drop.cubicTo(58, 24, 84, 44, 84, 64);
    drop.cubicTo(84, 84, 68, 96, 50, 96);
    drop.cubicTo(32, 96, 16, 84, 16, 64);
    drop.cubicTo(16, 44, 42, 24, 50, 4);
    Body(p, drop, k);
    QPainterPath shine(QPointF(30, 62));
    shine.quadTo(30, 78, 44, 84);
    DetailLine(p, shine, k, 5);
}

void Spade(QPainter& p, const Ink& k) {
    QPainterPath spade(QPointF(50, 4));
    spade.cubicTo(86, 32, 100, 52, 86, 68);
    spade.cubicTo(74, 80, 58, 74, 52, 64);
    spade.lineTo(64, 94);
    spade.lineTo(36, 94);
    spade.lineTo(48, 64);
    spade.cubicTo(42, 74, 26, 80, 14, 68);
    spade.cubicTo(0, 52, 14, 32, 50, 4);
    Body(p, spade, k);
}

// ---- animals ----

void Fish(QPainter& p, const Ink& k) {
    QPainterPath fish = Ellipse(42, 50, 34, 24).united(Polygon({{64, 50}, {96, 24}, {92, 50}, {96, 76}}));
    Body(p, fish.simplified(), k);
    Detail(p, Circle(24, 44, 5.5), k);
    QPainterPath gill(QPointF(36, 32));
    gill.quadTo(44, 50, 36, 68);
    DetailLine(p, gill, k, 4);
}

void Bird(QPainter& p, const Ink& k) {
    QPainterPath bird = Circle(44, 60, 28).united(Circle(70, 34, 17)).united(Polygon({{20, 56}, {2, 40}, {8, 72}}));
    Body(p, bird.simplified(), k);
    Body(p, Polygon({{84, 28}, {100, 36}, {84, 42}}), k);
    Detail(p, Circle(73, 31, 4.5), k);
    QPainterPath wing(QPointF(28, 56));
    wing.quadTo(46, 44, 62, 58);
    wing.quadTo(46, 74, 28, 56);
    Detail(p, wing, k);
}

void Cat(QPainter& p, const Ink& k) {
    QPainterPath head = Ellipse(50, 60, 40, 33)
                            .united(Polygon({{12, 48}, {18, 6}, {44, 30}}))
                            .united(Polygon({{88, 48}, {82, 6}, {56, 30}}));
    Body(p, head.simplified(), k);
    Detail(p, Ellipse(35, 56, 5, 8), k);
    Detail(p, Ellipse(65, 56, 5, 8), k);
    Detail(p, Polygon({{44, 68}, {56, 68}, {50, 75}}), k);
    QPainterPath whiskers(QPointF(6, 66));
    whiskers.lineTo(34, 72);
    whiskers.moveTo(8, 80);
    whiskers.lineTo(34, 76);
    whiskers.moveTo(94, 66);
    whiskers.lineTo(66, 72);
    whiskers.moveTo(92, 80);
    whiskers.lineTo(66, 76);
    DetailLine(p, whiskers, k, 3);
}

void Rabbit(QPainter& p, const Ink& k) {
    QPainterPath rabbit = Circle(50, 68, 28).united(Ellipse(36, 28, 10, 26, -10)).united(Ellipse(64, 28, 10, 26, 10));
    Body(p, rabbit.simplified(), k);
    Detail(p, Ellipse(36, 28, 4, 17, -10), k);
    Detail(p, Ellipse(64, 28, 4, 17, 10), k);
    Detail(p, Circle(40, 64, 4.5), k);
    Detail(p, Circle(60, 64, 4.5), k);
    Detail(p, Ellipse(50, 76, 5, 4), k);
}

void Butterfly(QPainter& p, const Ink& k) {
    QPainterPath wings = Ellipse(28, 36, 24, 19, -35)
                             .united(Ellipse(72, 36, 24, 19, 35))
                             .united(Ellipse(32, 70, 17, 15, 20))
                             .united(Ellipse(68, 70, 17, 15, -20));
    Body(p, wings.simplified(), k);
    Detail(p, Circle(27, 36, 8), k);
    Detail(p, Circle(73, 36, 8), k);
    Detail(p, Circle(33, 71, 5), k);
    Detail(p, Circle(67, 71, 5), k);
    QPainterPath body;
    body.addRoundedRect(QRectF(44, 22, 12, 62), 6, 6);
    Body(p, body, k);
    QPainterPath antennae(QPointF(47, 24));
    antennae.quadTo(40, 8, 30, 6);
    antennae.moveTo(53, 24);
    antennae.quadTo(60, 8, 70, 6);
    BodyLine(p, antennae, k, 4);
}

void Snail(QPainter& p, const Ink& k) {
    QPainterPath foot;
    foot.addRoundedRect(QRectF(6, 74, 90, 16), 8, 8);
    foot = foot.united(Ellipse(16, 62, 9, 18));
    Body(p, foot.simplified(), k);
    QPainterPath antennae(QPointF(12, 48));
    antennae.lineTo(6, 30);
    antennae.moveTo(20, 48);
    antennae.lineTo(24, 30);
    BodyLine(p, antennae, k, 4);
    Body(p, Circle(58, 48, 32), k);
    QPainterPath spiral;
    for (int i = 0; i <= 40; ++i) {
        const qreal a = i * 0.32;
        const qreal r = 3 + i * 0.6;
        const QPointF pt(58 + r * std::cos(a), 48 + r * std::sin(a));
        if (i == 0) spiral.moveTo(pt);
        else spiral.lineTo(pt);
    }
    DetailLine(p, spiral, k, 5);
}

void Turtle(QPainter& p, const Ink& k) {
    QPainterPath limbs = Circle(24, 32, 10)
                             .united(Circle(76, 32, 10))
                             .united(Circle(24, 76, 10))
                             .united(Circle(76, 76, 10))
                             .united(Circle(50, 12, 11))
                             .united(Polygon({{44, 84}, {56, 84}, {50, 98}}));
    Body(p, limbs.simplified(), k);
    Body(p, Ellipse(50, 54, 33, 32), k);
    Detail(p, RegularPolygon(50, 54, 13, 6, 0), k);
    QPainterPath plates;
    for (int i = 0; i < 6; ++i) {
        const qreal a = i * M_PI / 3;
        plates.moveTo(50 + 13 * std::cos(a), 54 + 13 * std::sin(a));
        plates.lineTo(50 + 30 * std::cos(a), 54 + 29 * std::sin(a));
    }
    DetailLine(p, plates, k, 4);
}

void Paw(QPainter& p, const Ink& k) {
    QPainterPath pad(QPointF(50, 46));
    pad.cubicTo(76, 46, 88, 76, 76, 88);
    pad.cubicTo(64, 98, 36, 98, 24, 88);
    pad.cubicTo(12, 76, 24, 46, 50, 46);
    Body(p, pad, k);
    Body(p, Ellipse(16, 44, 10, 14, -25), k);
    Body(p, Ellipse(37, 20, 10, 14, -8), k);
    Body(p, Ellipse(63, 20, 10, 14, 8), k);
    Body(p, Ellipse(84, 44, 10, 14, 25), k);
}

void Owl(QPainter& p, const Ink& k) {
    QPainterPath owl = Ellipse(50, 58, 38, 40)
                           .united(Polygon({{14, 36}, {16, 4}, {40, 22}}))
                           .united(Polygon({{86, 36}, {84, 4}, {60, 22}}));
    Body(p, owl.simplified(), k);
    Detail(p, Circle(34, 42, 14), k);
    Detail(p, Circle(66, 42, 14), k);
    p.setPen(Qt::NoPen);
    p.setBrush(k.body);
    p.drawEllipse(QPointF(34, 42), 6, 6);
    p.drawEllipse(QPointF(66, 42), 6, 6);
    Detail(p, Polygon({{44, 56}, {56, 56}, {50, 68}}), k);
    QPainterPath belly(QPointF(36, 76));
    belly.lineTo(42, 82);
    belly.lineTo(48, 76);
    belly.moveTo(52, 76);
    belly.lineTo(58, 82);
    belly.lineTo(64, 76);
    DetailLine(p, belly, k, 3.5);
}

// ---- letters ----

void Letter(QPainter& p, const Ink& k, const char* letter) {
    QFont font = ArtStyle::Font(96, true);
    const QPainterPath path = ArtStyle::TextPath(QString::fromLatin1(letter), font, QRectF(0, 0, 100, 100));
    // Letters differ in width; scale each to the same height so they look alike in weight.
    const QRectF b = path.boundingRect();
    const qreal s = 84.0 / b.height();
    QTransform t;
    t.translate(50, 50);
    t.scale(std::min(s, 88.0 / b.width()), s);
    t.translate(-b.center().x(), -b.center().y());
    Body(p, t.map(path), k);
}

template <char L>
void LetterOf(QPainter& p, const Ink& k) {
    const char text[2] = {L, '\0'};
    Letter(p, k, text);
}

// Colour families: each hue step of 360/13 degrees in three tones. Vivid and deep tiles
// carry a white symbol, light tiles a dark one.
enum class Tone { Vivid, Deep, Light };

struct TileKind {
    const char* name;
    int hueStep;
    Tone tone;
    SymbolFn draw;
};

constexpr std::array<TileKind, kTileCount> kKinds{{
    {"cherry", 0, Tone::Vivid, Cherry},
    {"orange", 1, Tone::Vivid, OrangeSlice},
    {"lemon", 2, Tone::Vivid, Lemon},
    {"pear", 3, Tone::Vivid, Pear},
    {"apple", 4, Tone::Vivid, Apple},
    {"grapes", 10, Tone::Vivid, Grapes},
    {"strawberry", 12, Tone::Vivid, Strawberry},
    {"watermelon", 5, Tone::Vivid, Watermelon},
    {"banana", 2, Tone::Light, Banana},
    {"mushroom", 0, Tone::Light, Mushroom},
    {"target", 6, Tone::Vivid, Bullseye},
    {"square", 7, Tone::Vivid, Square},
    {"triangle", 8, Tone::Vivid, Triangle},
    {"star", 9, Tone::Vivid, StarShape},
    {"heart", 11, Tone::Vivid, Heart},
    {"gem", 0, Tone::Deep, Gem},
    {"hexagon", 1, Tone::Deep, Hexagon},
    {"moon", 2, Tone::Deep, Crescent},
    {"drop", 3, Tone::Deep, Drop},
    {"spade", 4, Tone::Deep, Spade},
    {"fish", 5, Tone::Deep, Fish},
    {"bird", 6, Tone::Deep, Bird},
    {"cat", 7, Tone::Deep, Cat},
    {"rabbit", 8, Tone::Deep, Rabbit},
    {"butterfly", 9, Tone::Deep, Butterfly},
    {"snail", 10, Tone::Deep, Snail},
    {"turtle", 11, Tone::Deep, Turtle},
    {"paw", 12, Tone::Deep, Paw},
    {"owl", 1, Tone::Light, Owl},
    {"A", 3, Tone::Light, LetterOf<'A'>},
    {"B", 4, Tone::Light, LetterOf<'B'>},
    {"E", 5, Tone::Light, LetterOf<'E'>},
    {"G", 6, Tone::Light, LetterOf<'G'>},
    {"K", 7, Tone::Light, LetterOf<'K'>},
    {"M", 8, Tone::Light, LetterOf<'M'>},
    {"R", 9, Tone::Light, LetterOf<'R'>},
    {"S", 10, Tone::Light, LetterOf<'S'>},
    {"W", 11, Tone::Light, LetterOf<'W'>},
    {"Z", 12, Tone::Light, LetterOf<'Z'>},
}};

const TileKind& KindOf(int code) {
    return kKinds[static_cast<std::size_t>((code >= 1 && code <= kTileCount) ? code - 1 : 0)];
}

QColor EnamelOf(const TileKind& kind) {
    const double hue = kind.hueStep * 360.0 / 13.0;
    switch (kind.tone) {
        case Tone::Vivid:
            return Hsv(hue, 0.80, 0.88);
        case Tone::Deep:
            return Hsv(hue, 0.85, 0.52);
        case Tone::Light:
            return Hsv(hue, 0.46, 0.98);
    }
    return Hsv(hue, 0.8, 0.9);
}

Ink InkOf(const TileKind& kind, const QColor& enamel) {
    if (kind.tone == Tone::Light) {
        const QColor dark = Hsv(kind.hueStep * 360.0 / 13.0, 0.75, 0.34);
        return {dark, dark, enamel.lighter(108)};
    }
    return {QColor(255, 255, 255), enamel.darker(175), enamel.darker(kind.tone == Tone::Deep ? 100 : 125)};
}

}  // namespace

QColor TileColour(int code) { return EnamelOf(KindOf(code)); }

QString TileName(int code) { return QString::fromLatin1(KindOf(code).name); }

QImage Tile(int code) {
    const TileKind& kind = KindOf(code);
    const QColor enamel = EnamelOf(kind);
    QImage image = ArtStyle::NewCanvas(kTileWidth, kTileHeight, ArtStyle::kFelt);
    QPainter p;
    ArtStyle::BeginPaint(p, image);
    // The tile's thickness shows at its right and bottom; one pixel of cloth stays free
    // on those sides so neighbouring tiles read as separate pieces.
    p.setPen(Qt::NoPen);
    p.setBrush(enamel.darker(185));
    p.drawRoundedRect(QRectF(0.5, 0.5, 29.5, 33.5), 4, 4);
    QLinearGradient face(0, 0, 0, 32);
    face.setColorAt(0.0, enamel.lighter(122));
    face.setColorAt(0.55, enamel);
    face.setColorAt(1.0, enamel.darker(112));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(0.5, 0.5, 27.5, 31.5), 3.5, 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.drawRoundedRect(QRectF(1.5, 1.5, 25.5, 29.5), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QRectF(4, 1.5, 20, 9));

    p.save();
    ArtStyle::UseUnitBox(p, QRectF(2, 4, 24, 24));
    kind.draw(p, InkOf(kind, enamel));
    p.restore();
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage TileSheet() {
    QImage sheet(kTileWidth * kTileCount, kTileHeight, QImage::Format_RGB32);
    QPainter p(&sheet);
    for (int code = 1; code <= kTileCount; ++code) p.drawImage((code - 1) * kTileWidth, 0, Tile(code));
    p.end();
    return sheet;
}

QImage GreySheet(const QImage& sheet) {
    return ArtStyle::Greyed(sheet, 0.75, -18).convertToFormat(QImage::Format_RGB32);
}

}  // namespace TileArt
