// The nine item pictures (compass, rearrange, freeze, alarm clock, bomb, blindfold,
// mirror, obstacle, map): the icons used as the mouse pointer, the flying picture and in
// the item help, and the item bar's button sheet.
#pragma once
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace ItemArt {

inline constexpr int kItemCount = 9;

// Draws item k's picture into the square centred in `box`.
void DrawItem(QPainter& p, const QRectF& box, int item);

// Item k's 32 x 32 icon with alpha.
QImage ItemIcon(int item);

// The item bar sheet: column k = item k, rows disabled, normal, hover, pressed; cells of
// 24 x 24 drawn over the window background `gameBack` at the buttons' places.
QImage DjBut(const QImage& gameBack);

}  // namespace ItemArt
