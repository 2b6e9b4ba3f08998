#include "tools/resgen/TableArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

#include "tools/resgen/ArtStyle.h"
#include "tools/resgen/TableLayout.h"

namespace TableArt {

namespace {

using namespace ArtStyle;
namespace L = TableLayout;

const std::array<const char*, 4> kGroupMark{{"自", "A", "B", "C"}};

void Label(QPainter& p, const QRectF& box, const QString& text, int size, const QColor& colour, bool bold = true,
           int align = Qt::AlignCenter) {
    p.save();
    p.setFont(Font(size, bold));
    p.setPen(colour);
    p.drawText(box, align, text);
    p.restore();
}

void Header(QPainter& p, const QRectF& box, const QString& text) {
    p.save();
    QLinearGradient g(box.topLeft(), box.topRight());
    g.setColorAt(0.0, QColor(0, 0, 0, 0));
    g.setColorAt(0.5, QColor(kGold.red(), kGold.green(), kGold.blue(), 70));
    g.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(box.adjusted(0, box.height() - 2, 0, 0));
    p.restore();
    Label(p, box, text, 13, kGoldLight);
}

// The frame every seat panel shares.
void PanelFrame(QPainter& p, const QColor& base) {
    Plate(p, QRectF(0.5, 0.5, L::kPanelWidth - 1, L::kPanelHeight - 1), base, 6);
    GoldFrame(p, QRectF(0, 0, L::kPanelWidth, L::kPanelHeight), 6);
}

void Background(QPainter& p) {
    QRadialGradient g(QPointF(310, 330), 620);
    g.setColorAt(0.0, kNavyMid);
    g.setColorAt(1.0, kNavyDeep);
    p.fillRect(QRect(0, 0, L::kWindowWidth, L::kWindowHeight), g);
    // A faint woven texture so the wide areas do not look empty.
    p.setPen(QPen(QColor(255, 255, 255, 7), 1));
    for (int d = -L::kWindowHeight; d < L::kWindowWidth; d += 6)
        p.drawLine(d, L::kWindowHeight, d + L::kWindowHeight, 0);
}

void Caption(QPainter& p) {
    QLinearGradient g(0, 0, 0, L::kCaptionHeight);
    g.setColorAt(0.0, QColor(28, 52, 98));
    g.setColorAt(1.0, kNavyDeep);
    p.fillRect(QRect(0, 0, L::kWindowWidth, L::kCaptionHeight), g);
    p.fillRect(QRect(0, L::kCaptionHeight - 2, L::kWindowWidth, 1), kGoldDark);
    p.fillRect(QRect(0, L::kCaptionHeight - 1, L::kWindowWidth, 1), kGold);
}

void SmallSeatTray(QPainter& p) { Well(p, QRectF(6, 32, 601, 142), QColor(14, 28, 58), 6); }

void OwnBoardArea(QPainter& p) {
    const QRectF area(L::kOwnBoardArea);
    p.fillRect(area, kFelt);
    GoldFrame(p, area, 6);
    // Small gold diamonds in the corners, outside the tiles' cells.
    const QPointF corners[] = {area.topLeft() + QPointF(9, 11), area.topRight() + QPointF(-9, 11),
                               area.bottomLeft() + QPointF(9, -9), area.bottomRight() + QPointF(-9, -9)};
    p.setPen(QPen(kGoldDark, 1));
    p.setBrush(kGold);
    for (const QPointF& c : corners) {
        p.drawPolygon(QPolygonF({c + QPointF(0, -5), c + QPointF(5, 0), c + QPointF(0, 5), c + QPointF(-5, 0)}));
    }
}

void RightColumn(QPainter& p) {
    const QRectF column(610, 34, 184, 560);
    Plate(p, column, QColor(26, 50, 94), 8);
    GoldFrame(p, column, 8);
    Header(p, QRectF(616, 38, 172, 22), QStringLiteral("分  组"));
    Header(p, QRectF(616, 168, 172, 24), QStringLiteral("道  具"));
    Well(p, QRectF(614, 193, 178, 60), QColor(16, 32, 64), 5);
    Header(p, QRectF(616, 260, 172, 26), QStringLiteral("聊天室"));
    const QRect chat = L::kChat.adjusted(-4, -4, 4, 4);
    Well(p, chat, QColor(14, 28, 58), 4);
    GoldFrame(p, chat, 4);
    const QRect users = L::kUserList.adjusted(-4, -4, 4, 4);
    Well(p, users, QColor(14, 28, 58), 4);
    GoldFrame(p, users, 4);
}

void BottomStrip(QPainter& p) {
    Label(p, QRectF(14, 570, 62, 26), QStringLiteral("时间"), 14, kGoldLight);
    const QRect timeSlot = L::kTimeBar.adjusted(-3, -3, 3, 3);
    Well(p, timeSlot, QColor(8, 16, 34), 5);
    GoldFrame(p, timeSlot, 5);
    Label(p, QRectF(470, 570, 70, 20), QStringLiteral("剩余方块"), 13, kGoldLight, true,
          Qt::AlignRight | Qt::AlignVCenter);
    const QRect countSlot = L::kOwnCount.adjusted(-3, -3, 3, 3);
    Well(p, countSlot, QColor(8, 16, 34), 3);
    GoldFrame(p, countSlot, 3);
}

void GroupBar(QPainter& p, const QRectF& r, int group) {
    const QColor tint = GroupTint(group);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, tint.lighter(112));
    g.setColorAt(1.0, tint.darker(108));
    p.setPen(QPen(tint.darker(160), 1));
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setPen(QPen(QColor(255, 255, 255, 140), 1));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(r.left() + 4, r.top() + 1.5), QPointF(r.right() - 4, r.top() + 1.5));
}

// Signal bars gone grey with a red cross over them: the connection is lost.
void DrawLostSignal(QPainter& p, const QRectF& box) {
    p.save();
    UseUnitBox(p, box);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 186, 214));
    for (int i = 0; i < 4; ++i) {
        const qreal h = 22 + i * 20;
        p.drawRoundedRect(QRectF(6 + i * 22, 92 - h, 15, h), 4, 4);
    }
    p.setPen(QPen(kNavyDeep, 26, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(52, 12), QPointF(92, 52));
    p.drawLine(QPointF(92, 12), QPointF(52, 52));
    p.setPen(QPen(QColor(238, 56, 50), 14, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(52, 12), QPointF(92, 52));
    p.drawLine(QPointF(92, 12), QPointF(52, 52));
    p.restore();
}

// The program mark: two tiles joined by a golden link.
void DrawLogo(QPainter& p, const QRectF& box) {
    p.save();
    UseUnitBox(p, box);
    p.setPen(QPen(kInk, 5));
    p.setBrush(QColor(66, 130, 230));
    p.drawRoundedRect(QRectF(4, 30, 40, 60), 9, 9);
    p.setBrush(QColor(226, 72, 72));
    p.drawRoundedRect(QRectF(56, 10, 40, 60), 9, 9);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGoldLight, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath link(QPointF(24, 48));
    link.lineTo(24, 14);
    link.lineTo(76, 14);
    link.lineTo(76, 38);
    p.drawPath(link);
    p.setPen(QPen(kGoldDark, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(link);
    p.restore();
}

void DrawHand(QPainter& p, const QRectF& box) {
    p.save();
    UseUnitBox(p, box);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(26, 44, 50, 50), 16, 16);
    const QRectF fingers[] = {{26, 14, 12, 46}, {39, 6, 12, 50}, {52, 8, 12, 48}, {65, 18, 11, 40}};
    for (const QRectF& f : fingers) hand.addRoundedRect(f, 6, 6);
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-6, -6, 12, 38), 6, 6);
    QTransform t;
    t.translate(22, 62);
    t.rotate(-40);
    hand.addPath(t.map(thumb));
    hand.setFillRule(Qt::WindingFill);
    hand = hand.simplified();
    p.setPen(QPen(QColor(120, 70, 20), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient skin(0, 0, 100, 100);
    skin.setColorAt(0.0, QColor(255, 228, 150));
    skin.setColorAt(1.0, QColor(240, 178, 70));
    p.setBrush(skin);
    p.drawPath(hand);
    p.setPen(QPen(QColor(196, 120, 40), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(38, 56), QPointF(38, 46));
    p.drawLine(QPointF(51, 56), QPointF(51, 46));
    p.drawLine(QPointF(64, 56), QPointF(64, 46));
    p.restore();
}

}  // namespace

QImage GameBack() {
    QImage image = NewCanvas(L::kWindowWidth, L::kWindowHeight, kNavyDeep);
    QPainter p;
    BeginPaint(p, image);
    Background(p);
    Caption(p);
    SmallSeatTray(p);
    OwnBoardArea(p);
    RightColumn(p);
    BottomStrip(p);
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage OtherUserIn() {
    QImage image = NewCanvas(L::kPanelWidth, L::kPanelHeight, kNavyDeep);
    QPainter p;
    BeginPaint(p, image);
    PanelFrame(p, kNavyMid);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The well is one flat colour: erased tiles of the small board are filled with it.
    p.fillRect(L::kPanelWell, kSmallBoard);
    p.setPen(kSmallBoard.darker(125));
    p.setBrush(Qt::NoBrush);
    p.drawRect(L::kPanelBoard.adjusted(-1, -1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing, true);
    Label(p, QRectF(40, 8, 44, 13), QStringLiteral("剩余"), 11, QColor(30, 50, 96));
    // The group bar's place, seen only while the seat has no bar.
    Well(p, QRectF(L::kPanelGroupBar.x(), L::kPanelGroupBar.y(), 115, 33), QColor(20, 40, 80), 4);
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage OtherUserOut() {
    QImage image = NewCanvas(L::kPanelWidth, L::kPanelHeight, kNavyDeep);
    QPainter p;
    BeginPaint(p, image);
    PanelFrame(p, QColor(36, 52, 84));
    Well(p, QRectF(L::kPanelWell), QColor(52, 70, 106), 4);
    Label(p, QRectF(L::kPanelWell), QStringLiteral("空座位"), 15, QColor(150, 170, 205));
    Well(p, QRectF(L::kPanelGroupBar.x(), L::kPanelGroupBar.y(), 115, 33), QColor(26, 40, 70), 4);
    Label(p, QRectF(L::kPanelGroupBar.x(), L::kPanelGroupBar.y(), 115, 33), QStringLiteral("等待玩家"), 11,
          QColor(110, 130, 170), false);
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage CurUserOut() {
    QImage image = NewCanvas(177, 56, QColor(26, 50, 94));
    QPainter p;
    BeginPaint(p, image);
    Well(p, QRectF(0, 0, 177, 56), QColor(44, 60, 94), 6);
    GoldFrame(p, QRectF(0, 0, 177, 56), 6);
    Label(p, QRectF(0, 0, 177, 56), QStringLiteral("空座位"), 16, QColor(150, 170, 205));
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage OtherUserPosNo() {
    QImage image = NewCanvas(125, 25, kSmallBoard);
    QPainter p;
    BeginPaint(p, image);
    for (int n = 1; n <= 5; ++n) {
        const QRectF disc((n - 1) * 25 + 2.5, 2.5, 20, 20);
        QRadialGradient g(disc.center() - QPointF(3, 3), 14);
        g.setColorAt(0.0, kNavyLight);
        g.setColorAt(1.0, kNavy);
        p.setPen(QPen(kGold, 1.6));
        p.setBrush(g);
        p.drawEllipse(disc);
        OutlinedText(p, disc, QString::number(n), Font(15, true), kGoldLight, kNavyDeep, 0);
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage OtherUserFenZu() {
    QImage image = NewCanvas(115, 33 * 4, kNavyMid);
    QPainter p;
    BeginPaint(p, image);
    for (int g = 0; g < 4; ++g) {
        const QRectF bar(0, 33 * g, 115, 33);
        GroupBar(p, bar, g);
        Label(p, QRectF(84, bar.top() + 19, 28, 13), GroupName(g), 10, GroupTint(g).darker(230), true,
              Qt::AlignRight | Qt::AlignVCenter);
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage CurUserFenZu() {
    QImage image = NewCanvas(177, 56 * 4, kNavyMid);
    QPainter p;
    BeginPaint(p, image);
    for (int g = 0; g < 4; ++g) {
        const QRectF bar(0, 56 * g, 177, 56);
        GroupBar(p, bar, g);
        const QRectF medal(5, bar.top() + 6, 44, 44);
        QRadialGradient shine(medal.center() - QPointF(6, 8), 30);
        shine.setColorAt(0.0, GroupTint(g).lighter(115));
        shine.setColorAt(1.0, GroupTint(g).darker(150));
        p.setPen(QPen(kGold, 2));
        p.setBrush(shine);
        p.drawEllipse(medal);
        p.setPen(QPen(kGoldDark, 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(medal.adjusted(3, 3, -3, -3));
        OutlinedText(p, medal, QString::fromUtf8(kGroupMark[g]), Font(g == 0 ? 22 : 26, true), QColor(255, 255, 255),
                     GroupTint(g).darker(260), 1.5);
        Label(p, QRectF(110, bar.top() + 38, 62, 15), GroupName(g), 12, GroupTint(g).darker(240), true,
              Qt::AlignRight | Qt::AlignVCenter);
    }
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage NetBreak() {
    QImage image = NewCanvas(22, 22, kNavyMid);
    QPainter p;
    BeginPaint(p, image);
    p.setPen(QPen(kGold, 1));
    p.setBrush(kNavyDeep);
    p.drawRoundedRect(QRectF(0.5, 0.5, 21, 21), 4, 4);
    DrawLostSignal(p, QRectF(2, 2, 18, 18));
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage Hand() {
    QImage image = NewCanvas(32, 32);
    QPainter p;
    BeginPaint(p, image);
    DrawHand(p, QRectF(0, 0, 32, 32));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage LogoAt(int side) {
    QImage image = NewCanvas(side, side);
    QPainter p;
    BeginPaint(p, image);
    DrawLogo(p, QRectF(0, 0, side, side));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

std::vector<QImage> Logo() { return {LogoAt(16), LogoAt(32)}; }

QImage DaiJuInfoJiao() {
    // Drawn mirrored into the four corners of the item table's frame, over its fill.
    QImage image(8, 7, QImage::Format_RGB32);
    image.fill(QColor(107, 166, 255));
    QPainter p(&image);
    p.fillRect(0, 0, 8, 2, kGoldDark);
    p.fillRect(0, 0, 2, 7, kGoldDark);
    p.fillRect(1, 1, 6, 1, kGoldLight);
    p.fillRect(1, 1, 1, 5, kGoldLight);
    p.fillRect(3, 3, 2, 2, kGold);
    p.end();
    return image;
}

}  // namespace TableArt
