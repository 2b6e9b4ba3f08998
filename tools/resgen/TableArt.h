// The table itself: the window background, the seat panels and group bars, the seat
// numbers, the connection-lost mark, the raised hand, the program logo and the corner
// piece of the item help window.
#pragma once
#include <QImage>
#include <vector>

namespace TableArt {

QImage GameBack();           // 800 x 600
QImage OtherUserIn();        // 117 x 140, a taken small seat
QImage OtherUserOut();       // 117 x 140, a free small seat
QImage CurUserOut();         // 177 x 56, the own seat when it is free
QImage OtherUserPosNo();     // 5 cells of 25 x 25: the position numbers 1..5
QImage OtherUserFenZu();     // 4 rows of 115 x 33: group bars of small seats
QImage CurUserFenZu();       // 4 rows of 177 x 56: group bars of the own seat
QImage NetBreak();           // 22 x 22, opaque
QImage Hand();               // 32 x 32 with alpha
std::vector<QImage> Logo();  // 16 x 16 and 32 x 32 with alpha
QImage LogoAt(int side);     // the same mark at any size, for the desktop icons
QImage DaiJuInfoJiao();      // 8 x 7 corner piece

}  // namespace TableArt
