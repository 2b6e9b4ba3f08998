// The picture buttons painted from sheets: the caption's help and system buttons and
// the four group buttons. Each cell is drawn over the window background at the button's
// place, so its corners match what is around it.
#pragma once
#include <QImage>

namespace ButtonArt {

// 4 cells of 59 x 23: item help normal, highlighted; settings normal, highlighted.
QImage HelpBut(const QImage& gameBack);

// 8 cells of 21 x 21: minimise, full screen, back to window, close; each normal, highlighted.
QImage SystemBut(const QImage& gameBack);

// 4 columns (free, A, B, C) x 3 rows (normal, hover, selected) of 39 x 36.
QImage FenZuBut(const QImage& gameBack);

}  // namespace ButtonArt
