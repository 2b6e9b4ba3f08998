// The animation pictures: the lightning strips along a link path, the three blast frames
// over a removed tile, and the combo banner with its digits.
#pragma once
#include <QImage>

namespace EffectArt {

QImage HzFlash();          // 434 x 24: 14 horizontal pieces of 31 x 24 on the board cloth
QImage VsFlash();          // 23 x 420: 12 vertical pieces of 23 x 35 on the board cloth
QImage BlastFrame(int n);  // n = 1..3, 88 x 80 on magenta; the tile's centre is at (45, 46)
QImage LianJiBk();         // 110 x 24 on black: the "连击" badge; digits go from (50, 5)
QImage Number();           // 110 x 15 on black: glyphs 0..9 and "/" of 10 x 15

}  // namespace EffectArt
